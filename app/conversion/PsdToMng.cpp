#include "conversion/PsdToMng.h"

#include "conversion/Option.h"
#include "conversion/OutputFiles.h"
#include "conversion/StatusText.h"
#include "graphic/ImageSaverPNG.h"

void SaveMng(ConvertContext& context, const PsdDocument& document)
{
    const std::string output = document.base + ".mng";
    AddStatusLine(context, StatusLine(document.inputPath, output));
    PrepareOutput(context, document.inputPath, output);
    WriteOutputFile(output, [&](sdk::stream::stream_out& file) {
        sdk::graphic::ImageSaverPNG saver(file);
        saver.InitMNG(document.merged.Width(), document.merged.Height(), option.mngFps,
                      !option.mngOffset);
        if (option.mngLoop)
            saver.SetLoop();
        ConfigurePngSaver(saver);
        for (const PsdLayer& layer : document.layers) {
            sdk::graphic::ImageInfo frame = layer.info;
            if (!option.mngOffset) {
                frame.x = 0;
                frame.y = 0;
            }
            if (!option.mngTitle)
                frame.title.clear();
            // The comment carries the layer's blend-mode key ("norm"), plain ASCII, when asked.
            frame.comment = option.mngComment ? layer.info.mode : std::string();
            saver.Save(layer.image, frame);
            context.progress.StepIt();
        }
        saver.EndMNG();
    });
}
