#include "conversion/BmpPngConversion.h"

#include <cstdint>

#include "conversion/Option.h"
#include "conversion/OutputFiles.h"
#include "conversion/StatusText.h"
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"
#include "graphic/Draw.h"
#include "graphic/ImageOperations.h"
#include "graphic/ImageSaverBMP.h"

using sdk::files::GetFileName;
using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

namespace {

void SaveBmp(const Image& image, const std::string& path)
{
    WriteOutputFile(path, [&](sdk::stream::stream_out& file) { sdk::graphic::SaveBMP(image, file); });
}

}  // namespace

void ConvertBmpToPng(ConvertContext& context, sdk::graphic::ImageLoader& loader,
                     const std::string& path, const std::string& base)
{
    context.progress.SetRange(0, 4);
    const std::string output = base + ".png";
    // The alpha half is looked for beside the input, also when an output folder is set, in any
    // letter case (as the input list passes over it in any case).
    const std::string alpha_path =
        option.alphaFile
            ? sdk::files::FindFileIgnoringCase(sdk::files::ChangeExt(path, std::string()) + "_.bmp")
            : std::string();
    const bool use_alpha_file = !alpha_path.empty();
    if (use_alpha_file) {
        AddStatusLine(context, sdk::files::Format("%s + %s → %s", GetFileName(path).c_str(),
                                                  GetFileName(alpha_path).c_str(),
                                                  GetFileName(output).c_str()));
    } else {
        AddStatusLine(context, StatusLine(path, output));
    }

    Image picture;
    ImageInfo info;
    loader.Load(picture, info);
    context.progress.StepIt();

    if (use_alpha_file) {
        Image alpha;
        sdk::graphic::Load(alpha, alpha_path);
        picture = sdk::graphic::Merge(picture, alpha);
    } else if (option.alphaSplit) {
        // Colour on the left half, alpha as gray on the right; an odd last column is dropped.
        const int32_t half = picture.Width() / 2;
        Image color(picture.Channels(), half, picture.Height());
        sdk::graphic::Draw(color, picture);
        Image alpha(1, half, picture.Height());
        sdk::graphic::Draw(alpha, picture, 0, 0, half, picture.Height(), half, 0);
        picture = sdk::graphic::Merge(color, alpha);
    }
    context.progress.StepIt();

    if (option.invertAlpha)
        sdk::graphic::InvertAlpha(picture);
    if (option.fillBlank)
        FillBlank(picture);
    context.progress.StepIt();

    PrepareOutput(context, path, output);
    SavePng(picture, output);
    context.progress.StepIt();
}

void ConvertPngToBmp(ConvertContext& context, sdk::graphic::ImageLoader& loader,
                     const std::string& path, const std::string& base)
{
    context.progress.SetRange(0, 5);
    const std::string output = base + ".bmp";
    const std::string alpha_output = base + "_.bmp";

    Image picture;
    ImageInfo info;
    loader.Load(picture, info);
    if (option.fillBlank)
        FillBlank(picture);
    context.progress.StepIt();

    const bool has_alpha = sdk::graphic::HasAlpha(picture);
    if (has_alpha && option.alphaFile) {
        AddStatusLine(context, sdk::files::Format("%s → %s / %s", GetFileName(path).c_str(),
                                                  GetFileName(output).c_str(),
                                                  GetFileName(alpha_output).c_str()));
    } else {
        AddStatusLine(context, StatusLine(path, output));
    }
    context.progress.StepIt();

    if (option.invertAlpha)
        sdk::graphic::InvertAlpha(picture);
    if (option.fillBlank)
        FillBlank(picture);
    const Image color = sdk::graphic::ExtractColor(picture);
    const Image alpha = sdk::graphic::ExtractAlpha(picture);
    context.progress.StepIt();

    if (has_alpha) {
        if (option.alphaSplit) {
            const int32_t width = picture.Width();
            // Twice the width must still be a width; Create bounds the byte count itself.
            if (width > INT32_MAX / 2)
                throw sdk::debug::runtime_error("ConvertPngToBmp:104");
            picture.Create(color.Channels(), 2 * width, picture.Height());
            sdk::graphic::Draw(picture, color);
            sdk::graphic::Draw(picture, alpha, width, 0);
        } else if (option.alphaFile) {
            PrepareOutput(context, path, alpha_output);
            SaveBmp(alpha, alpha_output);
            picture = color;
        } else {
            picture = color;
        }
    }
    context.progress.StepIt();

    PrepareOutput(context, path, output);
    SaveBmp(picture, output);
    context.progress.StepIt();
}
