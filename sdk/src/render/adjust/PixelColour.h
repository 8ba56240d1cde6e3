// Small colour helpers the adjustments share, on straight colour in 0 .. 255 as doubles.
#pragma once

#include <cstdint>

namespace sdk {
namespace render {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Rgb RgbOf(const uint8_t* pixel)
{
    return Rgb{double(pixel[0]), double(pixel[1]), double(pixel[2])};
}

// Rounds and clamps into pixel.
void StoreRgb(const Rgb& colour, uint8_t* pixel);

// The luminance the editor's non-separable modes use: 0.30 R + 0.59 G + 0.11 B.
double Luminance(const Rgb& colour);
// colour with its luminance set to luminance, its hue and saturation kept as far as the range
// allows (clipped toward the luminance where a channel would leave 0 .. 255).
Rgb WithLuminance(const Rgb& colour, double luminance);
// The HSL lightness, (max + min) / 2, and the HSL saturation (0 .. 1).
double Lightness(const Rgb& colour);
double HslSaturation(const Rgb& colour);
// colour with its HSL lightness set to lightness (0 .. 255), hue and saturation kept.
Rgb WithLightness(const Rgb& colour, double lightness);

}  // namespace render
}  // namespace sdk
