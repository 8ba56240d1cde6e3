// Test support: images from byte lists and back.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphic/Image.h"

namespace test_support {

using Bytes = std::vector<uint8_t>;

// An image of the given layout whose raster is bytes (which must hold its whole size).
inline sdk::graphic::Image MakeImage(int32_t channels, int32_t width, int32_t height,
                                     const Bytes& bytes)
{
    sdk::graphic::Image image(channels, width, height);
    std::memcpy(image.Data(), bytes.data(), static_cast<size_t>(image.Size()));
    return image;
}

inline Bytes RasterOf(const sdk::graphic::Image& image)
{
    return Bytes(image.Data(), image.Data() + image.Size());
}

}  // namespace test_support
