#include "conversion/bmp_png/BmpPngConversion.h"

#include <cstdint>

#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"
#include "graphic/Draw.h"
#include "graphic/ImageOperations.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "graphic/dispatch/LoaderDispatch.h"

using sdk::files::GetFileName;
using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

namespace {

void SaveBmp(const Image& image, const std::string& path,
             sdk::graphic::BmpForm form = sdk::graphic::BmpForm::Stored)
{
    WriteOutputFile(path,
                    [&](sdk::stream::stream_out& file) { sdk::graphic::SaveBMP(image, file, form); });
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
    const std::string plain_line = StatusLine(path, output);
    const std::string alpha_file_line =
        sdk::files::Format("%s + %s → %s", GetFileName(path).c_str(),
                           GetFileName(alpha_path).c_str(), GetFileName(output).c_str());
    // With an alpha file beside it, the status line waits for the picture: one with alpha of
    // its own (the extended reading of a file with an alpha mask) keeps it and takes no other.
    if (alpha_path.empty())
        AddStatusLine(context, plain_line);

    Image picture;
    ImageInfo info;
    try {
        loader.Load(picture, info);
    } catch (...) {
        if (!alpha_path.empty())
            AddStatusLine(context, alpha_file_line);
        throw;
    }
    const bool own_alpha = sdk::graphic::HasAlpha(picture);
    const bool use_alpha_file = !alpha_path.empty() && !own_alpha;
    if (!alpha_path.empty())
        AddStatusLine(context, use_alpha_file ? alpha_file_line : plain_line);
    context.progress.StepIt();

    if (use_alpha_file) {
        // The alpha file is read as the picture is.
        Image alpha;
        sdk::graphic::Load(alpha, alpha_path, ReadingOptions());
        picture = sdk::graphic::Merge(picture, alpha);
    } else if (option.alphaSplit && !own_alpha) {
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
    ReportWritten(context, path, output, OutputKind::Png);
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
    if (has_alpha && option.alphaFile && !option.alphaBgra) {
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
    context.progress.StepIt();

    // In the BGRA form the picture keeps its alpha in the one file.
    if (has_alpha && !option.alphaBgra) {
        const Image color = sdk::graphic::ExtractColor(picture);
        const Image alpha = sdk::graphic::ExtractAlpha(picture);
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
            ReportWritten(context, path, alpha_output, OutputKind::Bmp);
            picture = color;
        } else {
            picture = color;
        }
    }
    context.progress.StepIt();

    PrepareOutput(context, path, output);
    SaveBmp(picture, output,
            option.alphaBgra ? sdk::graphic::BmpForm::Bgra : sdk::graphic::BmpForm::Stored);
    ReportWritten(context, path, output, OutputKind::Bmp);
    context.progress.StepIt();
}
