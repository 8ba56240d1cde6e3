// The reader of Windows bitmaps. Its basic reading takes uncompressed files with an information
// header of 40 bytes or more: 8-bit palette, 16-bit (5-5-5), 24-bit and 32-bit (B, G, R, unused),
// stored bottom-up or top-down; every such file loads as a 3-byte-per-pixel image (B, G, R).
//
// The extended reading takes those files as the basic one does, and also (BmpHeader.h) the core
// and OS/2 headers, 1-, 2- and 4-bit palettes, run-length coded 8- and 4-bit files (BmpRle.h)
// and 16- and 32-bit bit fields (BmpBitFields.h). A file whose header has a nonzero alpha mask
// loads with alpha (4 bytes a pixel); when every pixel's alpha is 0 the picture is taken as
// opaque, since such files come from writers that leave the alpha byte unset, not from wholly
// transparent pictures. Other files load as B, G, R. Multi-byte fields are little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/ImageLoader.h"
#include "graphic/bmp/BmpHeader.h"

namespace sdk {
namespace graphic {

class ImageLoaderBMP : public ImageLoader {
public:
    using Colour = BmpColour;

    // extended: the extended reading.
    explicit ImageLoaderBMP(sdk::stream::stream_in& stream, bool extended = false);
    ~ImageLoaderBMP() override;

    const char* FormatName() const override;
    void Load(Image& image, ImageInfo& info) override;
    // Reads and checks the headers and the palette from the start of the file, fills width and
    // height, and leaves the stream at the first pixel byte.
    void LoadInfo(ImageInfo& info);

private:
    void LoadBasicInfo(ImageInfo& info);
    void LoadBasic(Image& image, const ImageInfo& info);
    void LoadExtended(Image& image);

    sdk::stream::stream_in& stream;
    const bool extended;
    bool basic = true;  // the file is read the basic way
    // The basic reading's description of the file.
    bool topDown = false;         // rows stored top row first (negative height)
    std::vector<Colour> palette;  // empty unless the file has 8 bits per pixel
    uint16_t bitCount = 0;        // bits per pixel of the file: 8, 16, 24 or 32
    // The extended reading's.
    BmpHeader header;
};

}  // namespace graphic
}  // namespace sdk
