#include "render/adjust/PixelColour.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

void StoreRgb(const Rgb& colour, uint8_t* pixel)
{
    pixel[0] = ToLevel(colour.r);
    pixel[1] = ToLevel(colour.g);
    pixel[2] = ToLevel(colour.b);
}

double Luminance(const Rgb& colour)
{
    return 0.30 * colour.r + 0.59 * colour.g + 0.11 * colour.b;
}

Rgb WithLuminance(const Rgb& colour, double luminance)
{
    const double d = luminance - Luminance(colour);
    Rgb c{colour.r + d, colour.g + d, colour.b + d};
    const double l = Luminance(c);
    const double low = std::min(c.r, std::min(c.g, c.b));
    const double high = std::max(c.r, std::max(c.g, c.b));
    auto clip = [&](double v) {
        if (low < 0 && l - low > 0)
            v = l + (v - l) * l / (l - low);
        if (high > 255 && high - l > 0)
            v = l + (v - l) * (255 - l) / (high - l);
        return v;
    };
    return Rgb{clip(c.r), clip(c.g), clip(c.b)};
}

double Lightness(const Rgb& colour)
{
    return (std::max(colour.r, std::max(colour.g, colour.b)) +
            std::min(colour.r, std::min(colour.g, colour.b))) / 2;
}

double HslSaturation(const Rgb& colour)
{
    const double high = std::max(colour.r, std::max(colour.g, colour.b)) / 255;
    const double low = std::min(colour.r, std::min(colour.g, colour.b)) / 255;
    const double sum = high + low, delta = high - low;
    if (delta <= 0)
        return 0;
    return sum < 1 ? delta / sum : delta / std::max(2 - sum, 1e-9);
}

Rgb WithLightness(const Rgb& colour, double lightness)
{
    // Keep hue and saturation: the colour's spread about its lightness is rescaled to what
    // the saturation allows at the new lightness.
    const double s = HslSaturation(colour);
    const double l = std::min(std::max(lightness, 0.0), 255.0) / 255;
    const double oldL = Lightness(colour) / 255;
    const double oldSpread = (1 - std::fabs(2 * oldL - 1)) * s;
    const double newSpread = (1 - std::fabs(2 * l - 1)) * s;
    const double scale = oldSpread > 0 ? newSpread / oldSpread : 0;
    const double centre = oldL * 255, target = l * 255;
    return Rgb{target + (colour.r - centre) * scale, target + (colour.g - centre) * scale,
               target + (colour.b - centre) * scale};
}

}  // namespace render
}  // namespace sdk
