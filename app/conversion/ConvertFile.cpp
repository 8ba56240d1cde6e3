#include "conversion/ConvertFile.h"

#include <exception>

#include "conversion/BmpPngConversion.h"
#include "conversion/Option.h"
#include "conversion/OutputFiles.h"
#include "conversion/PsdDocument.h"
#include "conversion/PsdToMng.h"
#include "conversion/PsdToPng.h"
#include "conversion/PsdToText.h"
#include "files/AsciiText.h"
#include "graphic/ImageLoader.h"
#include "graphic/ImageOperations.h"
#include "stream/StreamFile.h"

using sdk::files::EqualsIgnoringCase;

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;
using sdk::graphic::ImageLoader;

namespace {

// Loads the merged image and the layers, then writes the PSD outputs in their fixed order.
void ConvertPsd(ConvertContext& context, ImageLoader& loader, const std::string& path,
                const std::string& base)
{
    const int32_t count = loader.LayerCount();
    const bool layer_outputs = option.psdToMng || option.psdToPngLayers;

    // Which layers are loaded: all of them, or those with pixels when empty ones are skipped.
    std::vector<int32_t> kept;
    if (layer_outputs) {
        for (int32_t i = 0; i < count; ++i) {
            if (option.skipEmptyLayers) {
                ImageInfo info;
                loader.LayerInfo(i, info);
                if (info.width < 1 || info.height < 1)
                    continue;
            }
            kept.push_back(i);
        }
    }
    const int32_t loaded = static_cast<int32_t>(kept.size());

    int32_t steps = 1;
    steps += option.psdToPngMerged ? 1 : 0;
    steps += option.textImageInfo ? 1 : 0;
    steps += option.textLayerInfo ? 1 : 0;
    steps += option.psdToMng ? loaded : 0;
    steps += option.psdToPngLayers ? loaded : 0;
    steps += layer_outputs ? loaded : 0;
    context.progress.SetRange(0, steps);

    PsdDocument document;
    document.inputPath = path;
    document.base = base;
    ImageInfo merged_info;
    loader.Load(document.merged, merged_info);
    if (option.removeMatte && option.psdToPngMerged)
        sdk::graphic::RemoveMatte(document.merged);
    context.progress.StepIt();

    if (option.psdToPngMerged)
        SaveMergedPng(context, document);
    if (option.textImageInfo || option.textLayerInfo)
        WriteTextInfo(context, document, loader, count);

    for (int32_t index : kept) {
        PsdLayer layer{index, Image(), ImageInfo()};
        loader.LayerLoad(index, layer.image);
        loader.LayerInfo(index, layer.info);
        if (option.fillBlank)
            FillBlank(layer.image);
        document.layers.push_back(layer);
        context.progress.StepIt();
    }
    if (!document.layers.empty() && option.psdToMng)
        SaveMng(context, document);
    if (!document.layers.empty() && option.psdToPngLayers)
        SaveLayerPngs(context, document);
}

}  // namespace

bool RunConversions(ConvertContext& context, const std::string& path, std::string& format)
{
    context.progress.SetPos(0);
    sdk::stream::file_in file(path);
    file.OpenRead();
    sdk::graphic::ReadOptions reading;
    reading.extendedPsd = option.extended;
    sdk::smart_ptr<ImageLoader> loader = sdk::graphic::CreateLoader(file, reading);
    if (loader.IsEmpty())
        return false;
    format = loader->FormatName();
    const std::string base = OutputBase(path);
    if (EqualsIgnoringCase(format, "BMP") && option.bmpToPng) {
        ConvertBmpToPng(context, *loader, path, base);
        return true;
    }
    if (EqualsIgnoringCase(format, "PNG") && option.pngToBmp) {
        ConvertPngToBmp(context, *loader, path, base);
        return true;
    }
    if (EqualsIgnoringCase(format, "PSD") && option.AnyPsdOutput()) {
        ConvertPsd(context, *loader, path, base);
        return true;
    }
    return false;
}

bool ConvertFile(ConvertContext& context, const std::string& path, ConversionFailure* failure)
{
    ConversionFailure found;
    sdk::stream::ClearLastFileError();
    try {
        if (RunConversions(context, path, found.format))
            return true;
    } catch (const std::exception& error) {
        AddStatusLine(context, error.what());
        found.tag = error.what();
        found.systemError = sdk::stream::LastFileError();
    } catch (...) {
    }
    if (failure != nullptr)
        *failure = found;
    return false;
}
