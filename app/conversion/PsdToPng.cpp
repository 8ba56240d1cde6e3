#include "conversion/PsdToPng.h"

#include <algorithm>

#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/StatusText.h"
#include "files/CodePage.h"
#include "files/Format.h"
#include "files/Path.h"
#include "graphic/Draw.h"
#include "graphic/ImageOperations.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

std::string SafeLayerName(const std::string& name)
{
    std::string result;
    std::string part;
    auto flush_part = [&] {
        if (part.empty())
            return;
        if (part.find_first_not_of('.') == std::string::npos)
            part.assign(part.size(), '_');
        if (!result.empty())
            result += sdk::files::kPathSeparator;
        result += part;
        part.clear();
    };
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = sdk::files::CharLength(name, pos);
        const char c = name[pos];
        if (length == 1 && sdk::files::IsSeparator(c)) {
            flush_part();
        } else if (length == 1 && c == ':') {
            part += '_';
        } else {
            part.append(name, pos, length);
        }
        pos += length;
    }
    flush_part();
    return result;
}

std::string LayerFileName(char separator, bool serial, int32_t index, const std::string& title)
{
    if (serial)
        return sdk::files::Format("%c%04d.png", separator, index);
    return sdk::files::Format("%c%s.png", separator, SafeLayerName(title).c_str());
}

void SaveMergedPng(ConvertContext& context, const PsdDocument& document)
{
    const std::string output = document.base + ".png";
    AddStatusLine(context, StatusLine(document.inputPath, output));
    MakeOutputFolder(output);
    SavePng(document.merged, output);
    context.progress.StepIt();
}

void SaveLayerPngs(ConvertContext& context, const PsdDocument& document)
{
    // One canvas for every layer cut to the document's frame: gray or colour as the document,
    // with alpha unless alpha is dropped.
    Image canvas;
    if (option.pngTrim) {
        const int32_t merged_channels = document.merged.Channels();
        const int32_t channels = (option.pngNoAlpha ? 1 : 2) + (merged_channels >= 3 ? 2 : 0);
        canvas.Create(channels, document.merged.Width(), document.merged.Height());
    }
    const std::string input_name = sdk::files::GetFileName(document.inputPath);
    for (const PsdLayer& layer : document.layers) {
        Image image = layer.image;
        ImageInfo info = layer.info;
        const std::string output =
            document.base +
            LayerFileName(option.separator, option.serialNumber, layer.index, info.title);
        AddStatusLine(context, sdk::files::Format("%s (%d) → %s", input_name.c_str(),
                                                  layer.index + 1,
                                                  sdk::files::GetFileName(output).c_str()));
        if (option.pngNoAlpha)
            image = sdk::graphic::ExtractColor(image);
        if (option.pngTrim) {
            std::fill(canvas.Data(), canvas.Data() + canvas.Size(), 0);
            sdk::graphic::Draw(canvas, image, info.x, info.y);
            info.x = 0;
            info.y = 0;
            image = canvas;
        }
        MakeOutputFolder(output);
        if (!option.pngOffset) {
            info.x = 0;
            info.y = 0;
        }
        SavePngInfo(image, info, output);
        context.progress.StepIt();
    }
}
