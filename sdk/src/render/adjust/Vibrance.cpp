#include "render/adjust/Vibrance.h"

#include <algorithm>
#include <cmath>

#include "graphic/psd/PsdDescriptor.h"
#include "render/adjust/PixelColour.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

// The channels' spread about the lightness scaled by factor, as far as 0 .. 255 allows.
Rgb Spread(const Rgb& colour, double factor)
{
    const double l = Lightness(colour);
    double values[3] = {colour.r, colour.g, colour.b};
    double limit = factor;
    for (double v : values) {
        const double d = v - l;
        if (d * factor > 255 - l && d > 0)
            limit = std::min(limit, (255 - l) / d);
        if (d * factor < -l && d < 0)
            limit = std::min(limit, -l / d);
    }
    factor = std::max(limit, 0.0);
    return Rgb{l + (colour.r - l) * factor, l + (colour.g - l) * factor,
               l + (colour.b - l) * factor};
}

}  // namespace

void Vibrance::Pixel(uint8_t* pixel) const
{
    Rgb colour = RgbOf(pixel);
    const double vibrance = std::min(std::max(vibrance_, -100), 100) / 100.0;
    const double saturation = std::min(std::max(saturation_, -100), 100) / 100.0;
    if (vibrance != 0) {
        const double dull = 1 - HslSaturation(colour);
        colour = Spread(colour, 1 + (vibrance > 0 ? vibrance * dull * dull : vibrance));
    }
    if (saturation != 0)
        colour = Spread(colour, 1 + saturation);
    StoreRgb(colour, pixel);
}

VibranceSettings ReadVibranceSettings(const std::vector<uint8_t>& block)
{
    size_t at = 0;
    const graphic::PsdDescriptorValue descriptor =
        graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at, kDamagedSettings);
    auto percent = [&](const char* key) {
        const double value = descriptor.Number(key, 0);
        return static_cast<int>(
            std::lround(std::isnan(value) ? 0 : std::min(std::max(value, -100.0), 100.0)));
    };
    VibranceSettings settings;
    settings.vibrance = percent("vibrance");
    settings.saturation = percent("Strt");
    return settings;
}

std::unique_ptr<Adjustment> ReadVibrance(const std::vector<uint8_t>& block)
{
    const VibranceSettings settings = ReadVibranceSettings(block);
    return std::unique_ptr<Adjustment>(new Vibrance(settings.vibrance, settings.saturation));
}

}  // namespace render
}  // namespace sdk
