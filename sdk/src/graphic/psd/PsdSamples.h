// Channel samples of a PSD document at its bit depth, made 8-bit (or 16-bit) one row at a time.
//
// Rows of 1 bit per sample are packed eight pixels to a byte, the first pixel in the high bit;
// 16-bit samples are big-endian integers; 32-bit samples are big-endian IEEE floats in linear
// light, 0 to 1.
#pragma once

#include <cstdint>

namespace sdk {
namespace graphic {

// The bytes one row of width samples takes at depth (1, 8, 16 or 32 bits).
int64_t PsdRowBytes(int64_t width, int32_t depth);

// 16 bits to 8: v x 255 / 65535, rounded.
inline uint8_t EightBitFrom16(uint16_t value)
{
    return static_cast<uint8_t>((static_cast<uint32_t>(value) + 128) / 257);
}

// A linear 32-bit value to 8 bits: clamped to 0..1 and, for colour (light), encoded with the
// sRGB transfer curve; transparency is coverage, not light, and is only scaled. Rounded.
uint8_t EightBitFromFloat(float value, bool light);

// One row of width samples at depth, as 8-bit values. At 1 bit a set bit is black (0) and a
// clear one white (255). light is passed on for 32-bit samples.
void PsdRowToEightBit(const uint8_t* source, uint8_t* destination, int32_t width, int32_t depth,
                      bool light);

// A linear 32-bit value to 16 bits, as EightBitFromFloat does to 8.
uint16_t SixteenBitFromFloat(float value, bool light);

// One row of width samples at depth, as 16-bit values: 16-bit samples as they are, 32-bit ones
// as SixteenBitFromFloat makes them, 8-bit ones times 257, 1-bit ones 0 (set) or 65535.
void PsdRowToSixteenBit(const uint8_t* source, uint16_t* destination, int32_t width, int32_t depth,
                        bool light);

}  // namespace graphic
}  // namespace sdk
