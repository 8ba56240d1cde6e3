#include "conversion/output/OutputFiles.h"

#include <algorithm>

#include "conversion/Option.h"
#include "conversion/output/RunOutputs.h"
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/Path.h"
#include "stream/StreamFile.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

std::string OutputBase(const std::string& path, const std::string& subfolder)
{
    if (option.outputFolder.empty())
        return sdk::files::ChangeExt(path, std::string());
    const std::string folder = subfolder.empty()
                                   ? option.outputFolder
                                   : sdk::files::MakePath(option.outputFolder, subfolder);
    return sdk::files::MakePath(folder, sdk::files::GetName(path));
}

void AddStatusLine(ConvertContext& context, const std::string& text)
{
    context.status.AddLine(text);
}

void ReportWritten(ConvertContext& context, const std::string& input, const std::string& output,
                   OutputKind kind, int32_t layer)
{
    context.status.OutputWritten(WrittenOutput{input, output, kind, layer});
}

const char* OutputKindName(OutputKind kind)
{
    switch (kind) {
    case OutputKind::Merged: return "merged";
    case OutputKind::Layer: return "layer";
    case OutputKind::Group: return "group";
    case OutputKind::Mng: return "mng";
    case OutputKind::Apng: return "apng";
    case OutputKind::Text: return "text";
    case OutputKind::Manifest: return "manifest";
    case OutputKind::Bmp: return "bmp";
    case OutputKind::Png: return "png";
    case OutputKind::SmartObject: return "smartObject";
    }
    return "";
}

void PrepareOutput(ConvertContext& context, const std::string& input, const std::string& output)
{
    if (context.outputs != nullptr)
        context.outputs->Claim(input, output);
    sdk::files::MakeDirectories(sdk::files::GetFolder(output));
}

void WriteOutputFile(const std::string& path,
                     const std::function<void(sdk::stream::stream_out&)>& write)
{
    sdk::stream::file_out file(path);
    file.OpenReplace();
    write(file);
    file.Commit();
}

void ConfigurePngSaver(sdk::graphic::ImageSaverPNG& saver)
{
    saver.bestCompression = option.compressBest;
    saver.fastCompression = option.compressFast;
}

void SavePngInfo(const Image& image, const ImageInfo& info, const std::string& path)
{
    WriteOutputFile(path, [&](sdk::stream::stream_out& file) {
        sdk::graphic::ImageSaverPNG saver(file);
        ConfigurePngSaver(saver);
        saver.Save(image, info);
    });
}

void SavePng(const Image& image, const std::string& path)
{
    SavePngInfo(image, ImageInfo(), path);
}

void FillBlank(Image& image)
{
    const int64_t pixels = static_cast<int64_t>(image.Width()) * image.Height();
    if (pixels == 0)
        throw sdk::debug::logic_error("FillBlank:419");
    uint8_t* row = image.Data();
    for (int32_t y = 0; y < image.Height(); ++y, row += image.Stride())
        FillBlankRow(row, image.Channels(), image.Width());
}

void FillBlankRow16(uint16_t* row, int32_t channels, int32_t width)
{
    if (channels != 2 && channels != 4)
        return;
    uint16_t* pixel = row;
    for (int32_t i = 0; i < width; ++i, pixel += channels) {
        if (pixel[0] == 0)
            std::fill(pixel + 1, pixel + channels, uint16_t{0});
    }
}

void FillBlankRow(uint8_t* row, int32_t channels, int32_t width)
{
    if (channels != 2 && channels != 4)
        return;
    uint8_t* pixel = row;
    for (int32_t i = 0; i < width; ++i, pixel += channels) {
        if (pixel[0] == 0) {
            for (int32_t c = 1; c < channels; ++c)
                pixel[c] = 0;
        }
    }
}
