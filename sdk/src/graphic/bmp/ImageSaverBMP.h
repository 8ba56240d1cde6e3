// The BMP writer: a BITMAPFILEHEADER, an information header, then the rows bottom-up, each
// padded to a multiple of 4 bytes. In its stored form the header has 40 bytes and every pixel
// layout is written byte for byte as it lies in memory:
//   1 byte  (G)        8-bit with a 256-step grey palette
//   2 bytes (A, G)     16-bit BI_BITFIELDS, grey as red, alpha as green
//   3 bytes (B, G, R)  ordinary 24-bit
//   4 bytes (A, B, G, R) 32-bit BI_BITFIELDS, the alpha byte under no mask
// In its BGRA form every layout is written as 32-bit B, G, R, A under a 124-byte
// BITMAPV5HEADER: BI_BITFIELDS with the masks 0x00FF0000, 0x0000FF00, 0x000000FF and 0xFF000000
// (red, green, blue, alpha) and the sRGB colour space, the form that current programs read with
// its transparency. Grey becomes colour, and a layout without alpha is written opaque.
// The file must start at position 0 of the stream, and the stream must be able to move back:
// the file size and the pixel offset are filled in at the end.
#pragma once

#include <string>

#include "graphic/Image.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

enum class BmpForm {
    Stored,  // each layout as it lies in memory, under a 40-byte header
    Bgra,    // 32-bit B, G, R, A under a BITMAPV5HEADER
};

class ImageSaverBMP {
public:
    explicit ImageSaverBMP(sdk::stream::stream_out& output, BmpForm form = BmpForm::Stored);
    virtual ~ImageSaverBMP();
    ImageSaverBMP(const ImageSaverBMP&) = delete;
    ImageSaverBMP& operator=(const ImageSaverBMP&) = delete;

    // Writes the whole file; leaves the stream at position 14.
    void Save(const Image& image);

private:
    void SaveBgra(const Image& image);

    sdk::stream::stream_out& output;
    const BmpForm form;
};

void SaveBMP(const Image& image, sdk::stream::stream_out& output, BmpForm form = BmpForm::Stored);
// Creates (or empties) the file at path and writes image into it.
void SaveBMP(const Image& image, const std::string& path, BmpForm form = BmpForm::Stored);

}  // namespace graphic
}  // namespace sdk
