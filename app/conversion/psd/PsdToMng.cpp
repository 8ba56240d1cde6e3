#include "conversion/psd/PsdToMng.h"

#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"

namespace {
// The MNG keeps this much in memory before a temporary file takes it.
const uint32_t kMngMemory = 64 * 1024;
}  // namespace

PsdMng::PsdMng(const PsdDocument& document, const std::string& scratchBeside)
    : document_(document), output_(scratchBeside, kMngMemory), saver_(output_.Stream())
{
    output_.Run([&] {
        saver_.InitMNG(document.width, document.height, option.mngFps, !option.mngOffset);
        if (option.mngLoop)
            saver_.SetLoop();
    });
    ConfigurePngSaver(saver_);
    saver_.colorTag = document.color.tag;
}

void PsdMng::ConfigureFrameSaver(sdk::graphic::ImageSaverPNG& saver,
                                 const sdk::graphic::PngColorTag& tag)
{
    saver.InitMNGFrames(!option.mngOffset);
    ConfigurePngSaver(saver);
    saver.colorTag = tag;
}

sdk::graphic::ImageInfo PsdMng::FrameInfo(const sdk::graphic::ImageInfo& layer)
{
    sdk::graphic::ImageInfo frame = layer;
    if (!option.mngOffset) {
        frame.x = 0;
        frame.y = 0;
    }
    if (!option.mngTitle)
        frame.title.clear();
    // The comment carries the layer's blend-mode key ("norm"), plain ASCII, when asked.
    frame.comment = option.mngComment ? layer.mode : std::string();
    return frame;
}

void PsdMng::Finish()
{
    output_.Run([&] { saver_.EndMNG(); });
    output_.Close();
}

void PsdMng::Commit(ConvertContext& context)
{
    const std::string output = document_.base + ".mng";
    output_.CommitShown(context, document_.inputPath, output, OutputKind::Mng, document_.Frames());
}
