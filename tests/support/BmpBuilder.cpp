#include "support/BmpBuilder.h"

namespace test_support {

namespace {

void Append16(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void Append32(std::vector<uint8_t>& bytes, uint32_t value)
{
    Append16(bytes, value & 0xFFFF);
    Append16(bytes, value >> 16);
}

}  // namespace

BmpBuilder& BmpBuilder::AddColour(uint8_t blue, uint8_t green, uint8_t red)
{
    palette.insert(palette.end(), {blue, green, red, 0});
    return *this;
}

BmpBuilder& BmpBuilder::AddRow(const Bytes& row)
{
    pixels.insert(pixels.end(), row.begin(), row.end());
    pixels.resize(pixels.size() + (4 - row.size() % 4) % 4, 0);
    return *this;
}

BmpBuilder::Bytes BmpBuilder::Build() const
{
    const bool core = headerSize == 12u;
    const size_t start =
        14 + (core ? 12 : 40) + headerExtra.size() + 4 * masks.size() + palette.size() + gap.size();
    const size_t total = start + pixels.size();

    Bytes file;
    file.reserve(total);
    Append16(file, type);
    Append32(file, fileSize.value_or(static_cast<uint32_t>(total)));
    Append16(file, reserved1);
    Append16(file, reserved2);
    Append32(file, offBits.value_or(static_cast<uint32_t>(start)));

    Append32(file, headerSize.value_or(static_cast<uint32_t>(40 + headerExtra.size())));
    if (core) {
        Append16(file, static_cast<uint32_t>(width));
        Append16(file, static_cast<uint32_t>(height));
        Append16(file, planes);
        Append16(file, bitCount);
    } else {
        Append32(file, static_cast<uint32_t>(width));
        Append32(file, static_cast<uint32_t>(height));
        Append16(file, planes);
        Append16(file, bitCount);
        Append32(file, compression);
        Append32(file, sizeImage.value_or(static_cast<uint32_t>(pixels.size())));
        Append32(file, static_cast<uint32_t>(xPelsPerMeter));
        Append32(file, static_cast<uint32_t>(yPelsPerMeter));
        Append32(file, clrUsed);
        Append32(file, clrImportant);
    }

    file.insert(file.end(), headerExtra.begin(), headerExtra.end());
    for (uint32_t mask : masks)
        Append32(file, mask);
    file.insert(file.end(), palette.begin(), palette.end());
    file.insert(file.end(), gap.begin(), gap.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

BmpBuilder BmpBuilder::Indexed8(int32_t width, int32_t height, uint32_t entries)
{
    BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.bitCount = 8;
    bmp.clrUsed = entries;
    const uint32_t count = entries == 0 ? 256 : entries;
    for (uint32_t i = 0; i < count; ++i)
        bmp.AddColour(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                      static_cast<uint8_t>(i / 2));
    const int32_t rows = height < 0 ? -height : height;
    for (int32_t y = 0; y < rows; ++y) {
        Bytes row;
        for (int32_t x = 0; x < width; ++x)
            row.push_back(static_cast<uint8_t>(x + 3 * y));
        bmp.AddRow(row);
    }
    return bmp;
}

BmpBuilder BmpBuilder::Rgb24(int32_t width, int32_t height)
{
    BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    const int32_t rows = height < 0 ? -height : height;
    for (int32_t y = 0; y < rows; ++y) {
        Bytes row;
        for (int32_t x = 0; x < width; ++x)
            row.insert(row.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                   static_cast<uint8_t>(x + y)});
        bmp.AddRow(row);
    }
    return bmp;
}

void PutLE16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes.at(offset) = static_cast<uint8_t>(value);
    bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    PutLE16(bytes, offset, static_cast<uint16_t>(value));
    PutLE16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

uint16_t GetLE16(const std::vector<uint8_t>& bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

uint32_t GetLE32(const std::vector<uint8_t>& bytes, size_t offset)
{
    return GetLE16(bytes, offset) | (static_cast<uint32_t>(GetLE16(bytes, offset + 2)) << 16);
}

}  // namespace test_support
