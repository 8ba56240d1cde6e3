// Test support: ICC profiles made with the colour engine, for documents that embed one and for
// --cmyk-profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

// sRGB, as the engine makes it.
Bytes SrgbProfile();
// A wide-gamut RGB profile: Adobe RGB's primaries and white, gamma 2.2, described "Wide RGB".
Bytes WideRgbProfile();
// sRGB's primaries and white with a linear curve, as 32-bit documents embed; described
// "Linear sRGB".
Bytes LinearSrgbProfile();
// Gray of a gamma (white D50), described "Gray gamma G".
Bytes GrayGammaProfile(double gamma);
// A CMYK profile (colour-space class) whose ink darkens sRGB nearly as the simple formula does,
// each colour (1 - ink) x (1 - black), but whose cyan takes only half the red: full cyan is
// sRGB 128, 255, 255 where the formula gives 0, 255, 255. Described "Test ink".
Bytes InkProfile();

}  // namespace test_support
