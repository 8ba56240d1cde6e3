// The BMP writer: a BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER, then the rows bottom-up, each
// padded to a multiple of 4 bytes. Every pixel layout is written byte for byte as it lies in
// memory:
//   1 byte  (G)        8-bit with a 256-step grey palette
//   2 bytes (A, G)     16-bit BI_BITFIELDS, grey as red, alpha as green
//   3 bytes (B, G, R)  ordinary 24-bit
//   4 bytes (A, B, G, R) 32-bit BI_BITFIELDS, the alpha byte under no mask
// The file must start at position 0 of the stream, and the stream must be able to move back:
// the file size and the pixel offset are filled in at the end.
#pragma once

#include <string>

#include "graphic/Image.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

class ImageSaverBMP {
public:
    explicit ImageSaverBMP(sdk::stream::stream_out& output);
    virtual ~ImageSaverBMP();
    ImageSaverBMP(const ImageSaverBMP&) = delete;
    ImageSaverBMP& operator=(const ImageSaverBMP&) = delete;

    // Writes the whole file; leaves the stream at position 14.
    void Save(const Image& image);

private:
    sdk::stream::stream_out& output;
};

void SaveBMP(const Image& image, sdk::stream::stream_out& output);
// Creates (or empties) the file at path and writes image into it.
void SaveBMP(const Image& image, const std::string& path);

}  // namespace graphic
}  // namespace sdk
