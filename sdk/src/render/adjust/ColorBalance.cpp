#include "render/adjust/ColorBalance.h"

#include <algorithm>

#include "render/adjust/PixelColour.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

double Ramp(double value)
{
    return std::min(std::max(value, 0.0), 1.0);
}

}  // namespace

void ColorBalance::Pixel(uint8_t* pixel) const
{
    const Rgb before = RgbOf(pixel);
    const double l = Lightness(before) / 255;
    // Ramps a wide crossing at b and 1 - b; the three weights sum to one, and a range's
    // strongest shift moves a channel by about 0.7 of full scale.
    const double a = 0.25, b = 1.0 / 3, scale = 0.7;
    const double weights[3] = {
        Ramp((b - l) / a + 0.5) * scale,
        Ramp((l - b) / a + 0.5) * Ramp((1 - b - l) / a + 0.5) * scale,
        Ramp((l + b - 1) / a + 0.5) * scale,
    };
    double channels[3] = {before.r / 255, before.g / 255, before.b / 255};
    for (int c = 0; c < 3; ++c) {
        for (int range = 0; range < 3; ++range)
            channels[c] += weights[range] * settings_.shifts[range][c] / 100.0;
        channels[c] = Ramp(channels[c]);
    }
    Rgb after{channels[0] * 255, channels[1] * 255, channels[2] * 255};
    if (settings_.preserveLuminosity)
        after = WithLightness(after, Lightness(before));
    StoreRgb(after, pixel);
}

ColorBalanceSettings ReadColorBalanceSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    ColorBalanceSettings settings;
    for (auto& range : settings.shifts) {
        for (int& shift : range)
            shift = bytes.S16();
    }
    settings.preserveLuminosity = bytes.U8() != 0;
    return settings;
}

}  // namespace render
}  // namespace sdk
