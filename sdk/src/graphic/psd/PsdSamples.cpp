#include "graphic/psd/PsdSamples.h"

#include <cmath>
#include <cstring>

#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

int64_t PsdRowBytes(int64_t width, int32_t depth)
{
    if (depth == 1)
        return (width + 7) / 8;
    return width * (depth / 8);
}

uint8_t EightBitFromFloat(float value, bool light)
{
    // NaN fails both comparisons and ends up as 0.
    double linear = value > 0.0f ? value : 0.0;
    if (linear > 1.0)
        linear = 1.0;
    double encoded = linear;
    if (light)
        encoded =
            linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::floor(encoded * 255.0 + 0.5));
}

void PsdRowToEightBit(const uint8_t* source, uint8_t* destination, int32_t width, int32_t depth,
                      bool light)
{
    switch (depth) {
        case 1:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = (source[x / 8] >> (7 - x % 8) & 1) != 0 ? 0 : 255;
            return;
        case 16:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = EightBitFrom16(stream::BigEndian16(source + 2 * x));
            return;
        case 32:
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t bits = stream::BigEndian32(source + 4 * x);
                float value = 0.0f;
                std::memcpy(&value, &bits, sizeof value);
                destination[x] = EightBitFromFloat(value, light);
            }
            return;
        default:
            std::memcpy(destination, source, static_cast<size_t>(width));
            return;
    }
}

}  // namespace graphic
}  // namespace sdk
