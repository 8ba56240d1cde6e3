// Test support: BMP files assembled byte by byte in memory. Every header field can be set, so a
// hostile file is one assignment away from a valid one; fields left unset are computed from what
// the file really holds. Also little-endian helpers for looking into files that were written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace test_support {

class BmpBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    // BITMAPFILEHEADER
    uint16_t type = 0x4D42;             // "BM"
    std::optional<uint32_t> fileSize;   // unset: the length of the built file
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    std::optional<uint32_t> offBits;    // unset: where pixels start in the built file

    // BITMAPINFOHEADER; with headerSize 12 a BITMAPCOREHEADER of width, height (16 bits each),
    // planes and bitCount, whose palette entries have 3 bytes
    std::optional<uint32_t> headerSize;  // biSize; unset: 40 + headerExtra.size()
    int32_t width = 1;
    int32_t height = 1;                  // negative: rows stored top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;            // BI_RGB
    std::optional<uint32_t> sizeImage;   // unset: pixels.size()
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;

    // What follows the 40 bytes of the information header, in file order.
    Bytes headerExtra;              // the rest of a longer information header
    std::vector<uint32_t> masks;    // bit-field masks
    Bytes palette;                  // 4 bytes per entry: blue, green, red, reserved (core: 3)
    Bytes gap;                      // anything between the palette and the pixels
    Bytes pixels;                   // the pixel rows exactly as stored

    // Appends a palette entry with a zero reserved byte.
    BmpBuilder& AddColour(uint8_t blue, uint8_t green, uint8_t red);
    // Appends a row of pixel bytes followed by zeros up to a multiple of 4.
    BmpBuilder& AddRow(const Bytes& row);

    Bytes Build() const;

    // An 8-bit file of the given size whose palette maps index i to (i, 255 - i, i / 2) (blue,
    // green, red); entries = 0 writes all 256 and leaves clrUsed 0. Rows (bottom-up) hold
    // the indices (x + 3y) mod 256.
    static BmpBuilder Indexed8(int32_t width, int32_t height, uint32_t entries = 0);
    // A 24-bit file whose pixel (x, y of the file's row order) is (x, y, x + y) (blue, green, red).
    static BmpBuilder Rgb24(int32_t width, int32_t height);
};

void PutLE16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
uint16_t GetLE16(const std::vector<uint8_t>& bytes, size_t offset);
uint32_t GetLE32(const std::vector<uint8_t>& bytes, size_t offset);

}  // namespace test_support
