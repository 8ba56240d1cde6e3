// The colour modes of PSD documents that are not stored as RGB, turned into the B, G, R bytes of
// an image after their channels have been decoded into it.
#pragma once

#include <cstdint>

#include "graphic/Image.h"

namespace sdk {
namespace graphic {

// image holds cyan in its red byte, magenta in green and yellow in blue, black in a plane of
// its own (one byte per pixel, rows top-down); all as stored, that is inverted ink (255 = no
// ink). Each colour byte becomes stored colour x stored black / 255, rounded: the usual rule
// without a colour profile.
void CmykToRgb(Image& image, const uint8_t* black);

// image holds L in its red byte, a in green and b in blue, 8-bit encoded (L 0..255 for 0..100,
// a and b offset by 128). Each pixel becomes sRGB by the CIE formulas, the D50 white of Lab
// adapted to the D65 white of sRGB (Bradford).
void LabToRgb(Image& image);

// One Lab pixel in the 8-bit encoding above, as sRGB bytes.
void LabToSrgb(uint8_t l, uint8_t a, uint8_t b, uint8_t& red, uint8_t& green, uint8_t& blue);

}  // namespace graphic
}  // namespace sdk
