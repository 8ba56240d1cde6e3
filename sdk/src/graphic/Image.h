// sdk::graphic::Image: a handle to a packed raster of 1 to 4 bytes per pixel.
//
// Layouts by channel count (byte order within a pixel):
//   1  gray          G
//   2  gray + alpha  A G
//   3  colour        B G R
//   4  colour+alpha  A B G R
// Alpha, when present, is byte 0 and 255 means opaque. Rows run top-down with no padding
// (stride = channels * width). The raster starts on an 8-byte boundary.
//
// Copies of an Image share one raster; Create and Release attach a new one to this handle only.
#pragma once

#include <cstdint>
#include <memory>

#include "smart_ptr/SmartPtr.h"

namespace sdk {
namespace graphic {

class Image {
public:
    // The raster itself. An empty impl has every field zero and no buffer.
    class impl {
    public:
        impl() = default;
        // Allocates a zero-filled raster; the caller has checked that the size fits in int32.
        impl(int32_t channels, int32_t width, int32_t height);
        impl(const impl&) = delete;
        impl& operator=(const impl&) = delete;

        int32_t channels = 0;
        int32_t width = 0;
        int32_t height = 0;
        int32_t stride = 0;
        int32_t size = 0;                  // stride * height
        std::unique_ptr<uint8_t[]> buffer;  // size + 7 bytes, so data can be aligned
        uint8_t* data = nullptr;           // first 8-byte aligned address inside buffer
    };

    // An invalid image (no raster).
    Image();
    Image(int32_t channels, int32_t width, int32_t height);
    Image(const Image&) = default;
    Image& operator=(const Image&) = default;
    virtual ~Image();

    // Attaches a new zero-filled raster. Bad dimensions raise debug::runtime_error and leave the
    // handle as it was.
    void Create(int32_t channels, int32_t width, int32_t height);
    // Detaches the raster; the image becomes invalid.
    void Release();

    int32_t Channels() const;
    int32_t Width() const;
    int32_t Height() const;
    int32_t Stride() const;
    int32_t Size() const;
    bool IsValid() const;
    // The first byte of the raster; raises debug::logic_error on an invalid image.
    uint8_t* Data();
    const uint8_t* Data() const;

private:
    smart_ptr<impl> impl_;
};

// Raises what Image::Create raises for a layout or size that no raster can have: a channel count
// outside 1..4 ("Image::Create:58"), a width or height below 1 (":59", ":60"). The limit on a
// raster's bytes is Create's alone.
void CheckImageShape(int32_t channels, int32_t width, int32_t height);

// Address of pixel (x, y). No bounds checks.
uint8_t* Pixel(Image& image, int32_t x, int32_t y);
const uint8_t* Pixel(const Image& image, int32_t x, int32_t y);

// Same channel count, width and height.
bool SameFormat(const Image& a, const Image& b);
// 2 or 4 channels.
bool HasAlpha(const Image& image);

}  // namespace graphic
}  // namespace sdk
