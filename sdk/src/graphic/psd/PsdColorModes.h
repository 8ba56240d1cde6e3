// The colour modes of PSD documents that are not stored as RGB, turned into the B, G, R bytes of
// a row of pixels after their channels have been decoded into it.
#pragma once

#include <cstdint>

namespace sdk {
namespace graphic {

// row holds width pixels of channels bytes (3, or 4 with alpha first): cyan in the red byte,
// magenta in green and yellow in blue, and black holds a byte per pixel; all as stored, that is
// inverted ink (255 = no ink). Each colour byte becomes stored colour x stored black / 255,
// rounded: the usual rule without a colour profile.
void CmykRowToRgb(uint8_t* row, int32_t channels, int32_t width, const uint8_t* black);

// row holds width pixels of channels bytes (3, or 4 with alpha first): L in the red byte, a in
// green and b in blue, 8-bit encoded (L 0..255 for 0..100, a and b offset by 128). Each pixel
// becomes sRGB by the CIE formulas, the D50 white of Lab adapted to the D65 white of sRGB
// (Bradford).
void LabRowToRgb(uint8_t* row, int32_t channels, int32_t width);

// One Lab pixel in the 8-bit encoding above, as sRGB bytes.
void LabToSrgb(uint8_t l, uint8_t a, uint8_t b, uint8_t& red, uint8_t& green, uint8_t& blue);

// The same at 16 bits a sample (in the machine's byte order): CMYK, each colour value times black
// over 65535, rounded; Lab with 65535 for 255 of the 8-bit encoding, to sRGB of 16 bits.
void CmykRowToRgb16(uint16_t* row, int32_t channels, int32_t width, const uint16_t* black);
void LabRowToRgb16(uint16_t* row, int32_t channels, int32_t width);

}  // namespace graphic
}  // namespace sdk
