// The headers of a BMP file as the extended reading takes them: the 12-byte core header of OS/2
// 1.x and Windows 2 (3-byte palette entries), the OS/2 2.x header of 16 or 64 bytes, and the
// information header of 40 bytes with its longer versions (52, 56, 108 and 124 bytes: bit-field
// masks in the header from 52 bytes on, the alpha mask from 56 on). Any other size above 40 is
// an information header followed by bytes that are skipped. Multi-byte fields are little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// The file header's size, and the information header's (the one both readers take).
const uint32_t kBmpFileHeaderSize = 14;
const uint32_t kBmpInfoHeaderSize = 40;

// One palette entry as the image stores a pixel: blue, green, red.
struct BmpColour {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
};

struct BmpHeader {
    enum class Coding {
        Rgb,        // uncompressed palette indices of 1, 2, 4 or 8 bits, or 24-bit B, G, R
        Rle8,       // run-length coded 8-bit indices
        Rle4,       // run-length coded 4-bit indices
        BitFields,  // 16- or 32-bit words whose components the masks pick out
    };

    int32_t width = 0;   // at least 1
    int32_t height = 0;  // at least 1
    bool topDown = false;
    uint16_t bitCount = 0;
    Coding coding = Coding::Rgb;
    // Red, green, blue and alpha masks of BitFields; an uncompressed 16- or 32-bit file gets
    // the fixed masks of its layout (5-5-5, and B, G, R, unused). Alpha 0: the file has none.
    uint32_t masks[4] = {};
    std::vector<BmpColour> palette;  // 1 to 256 entries for 1 to 8 bits, else empty
    uint32_t pixelOffset = 0;        // inside the file
};

// Whether the file on stream is one that the basic reading takes (an information header of 40
// bytes or more, uncompressed, 8, 16, 24 or 32 bits a pixel), or too short to tell. Leaves the
// stream's position anywhere.
bool IsBasicBmp(stream::stream_in& stream);

// Reads and checks the headers and the palette from the start of the stream. Raises an
// "ImageLoaderBMP::LoadInfo:" tag for a file that is cut short or that no BMP writer meant.
void ReadBmpHeader(stream::stream_in& stream, BmpHeader& header);

}  // namespace graphic
}  // namespace sdk
