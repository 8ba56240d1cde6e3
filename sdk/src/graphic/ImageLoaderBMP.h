// The reader for uncompressed Windows bitmaps: 8-bit palette, 16-bit (5-5-5), 24-bit and 32-bit
// (B, G, R, unused) files, stored bottom-up or top-down. Every file loads as a 3-byte-per-pixel
// image (B, G, R); BMP files carry no alpha for this reader. Multi-byte fields are little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderBMP : public ImageLoader {
public:
    // One palette entry as the image stores a pixel: blue, green, red.
    struct Colour {
        uint8_t blue;
        uint8_t green;
        uint8_t red;
    };

    explicit ImageLoaderBMP(sdk::stream::stream_in& stream);
    ~ImageLoaderBMP() override;

    const char* FormatName() const override;
    void Load(Image& image, ImageInfo& info) override;
    // Reads and checks the headers and the palette from the start of the file, fills width and
    // height, and leaves the stream at the first pixel byte.
    void LoadInfo(ImageInfo& info);

private:
    sdk::stream::stream_in& stream;
    bool topDown = false;          // rows stored top row first (negative height)
    std::vector<Colour> palette;   // empty unless the file has 8 bits per pixel
    uint16_t bitCount = 0;         // bits per pixel of the file: 8, 16, 24 or 32
};

}  // namespace graphic
}  // namespace sdk
