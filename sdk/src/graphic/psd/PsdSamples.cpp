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

namespace {

// A linear value clamped to 0..1 and, for light, encoded with the sRGB transfer curve.
double Encoded(float value, bool light)
{
    // NaN fails both comparisons and ends up as 0.
    double linear = value > 0.0f ? value : 0.0;
    if (linear > 1.0)
        linear = 1.0;
    if (!light)
        return linear;
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

float FloatAt(const uint8_t* source)
{
    const uint32_t bits = stream::BigEndian32(source);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

uint8_t EightBitFromFloat(float value, bool light)
{
    return static_cast<uint8_t>(std::floor(Encoded(value, light) * 255.0 + 0.5));
}

uint16_t SixteenBitFromFloat(float value, bool light)
{
    return static_cast<uint16_t>(std::floor(Encoded(value, light) * 65535.0 + 0.5));
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
            for (int32_t x = 0; x < width; ++x)
                destination[x] = EightBitFromFloat(FloatAt(source + 4 * x), light);
            return;
        default:
            std::memcpy(destination, source, static_cast<size_t>(width));
            return;
    }
}

void PsdRowToSixteenBit(const uint8_t* source, uint16_t* destination, int32_t width, int32_t depth,
                        bool light)
{
    switch (depth) {
        case 1:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = (source[x / 8] >> (7 - x % 8) & 1) != 0 ? 0 : 65535;
            return;
        case 16:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = stream::BigEndian16(source + 2 * x);
            return;
        case 32:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = SixteenBitFromFloat(FloatAt(source + 4 * x), light);
            return;
        default:
            for (int32_t x = 0; x < width; ++x)
                destination[x] = static_cast<uint16_t>(source[x] * 257);
            return;
    }
}

}  // namespace graphic
}  // namespace sdk
