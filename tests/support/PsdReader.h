// Test support: a PSD reader over bytes in memory served like a file (short reads at the end,
// no error), keeping the bytes and the stream alive as long as the reader.
#pragma once

#include <utility>

#include "graphic/psd/ImageLoaderPSD.h"
#include "support/FileLikeStream.h"
#include "support/PsdBuilder.h"
#include "support/TestImages.h"

namespace test_support {

struct PsdReader {
    explicit PsdReader(Bytes file, bool extended = false)
        : bytes(std::move(file)), stream(bytes.data(), bytes.size()), psd(stream, extended)
    {
    }
    Bytes bytes;
    FileLikeStream stream;
    sdk::graphic::ImageLoaderPSD psd;
};

// The merged image of a document, as the bytes of its raster.
inline Bytes MergedRaster(const Bytes& file, bool extended = false)
{
    PsdReader reader(file, extended);
    sdk::graphic::Image image;
    sdk::graphic::ImageInfo info;
    reader.psd.Load(image, info);
    return RasterOf(image);
}

// The image of layer index, as the bytes of its raster; its channel count into channels.
inline Bytes LayerRaster(const Bytes& file, int32_t index, bool extended = false,
                         int32_t* channels = nullptr)
{
    PsdReader reader(file, extended);
    sdk::graphic::Image image;
    reader.psd.LayerLoad(index, image);
    if (channels)
        *channels = image.Channels();
    return RasterOf(image);
}

}  // namespace test_support
