#include "render/adjust/HueSaturation.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

// value taken around the circle into 0 .. 360.
double AroundTheCircle(double value)
{
    double d = std::fmod(value, 360.0);
    return d < 0 ? d + 360 : d;
}

// Hue in degrees of a colour (0 for grays).
double HueOf(double r, double g, double b)
{
    const double high = std::max(r, std::max(g, b)), low = std::min(r, std::min(g, b));
    const double chroma = high - low;
    if (chroma <= 0)
        return 0;
    double h;
    if (high == r)
        h = std::fmod((g - b) / chroma, 6.0);
    else if (high == g)
        h = (b - r) / chroma + 2;
    else
        h = (r - g) / chroma + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

// The colour of hue h (degrees) between low and high, the way a turn of hue keeps both.
void FromHue(double h, double low, double high, double* rgb)
{
    h = std::fmod(h, 360.0);
    if (h < 0)
        h += 360;
    const double chroma = high - low;
    const double sector = h / 60;
    const double x = chroma * (1 - std::fabs(std::fmod(sector, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(sector) % 6) {
    case 0: r = chroma; g = x; break;
    case 1: r = x; g = chroma; break;
    case 2: g = chroma; b = x; break;
    case 3: g = x; b = chroma; break;
    case 4: r = x; b = chroma; break;
    default: r = chroma; b = x; break;
    }
    rgb[0] = r + low;
    rgb[1] = g + low;
    rgb[2] = b + low;
}

double Lighten(double value, double lightness)
{
    return lightness >= 0 ? value + (255 - value) * lightness : value * (1 + lightness);
}

}  // namespace

HueSaturation::HueSaturation(const HueSaturationSettings& settings) : settings_(settings)
{
    for (const HueSaturationSettings::Range& range : settings.ranges) {
        const HueSaturationSettings::Change& c = range.change;
        if (c.hue == 0 && c.saturation == 0 && c.lightness == 0)
            continue;
        Range prepared;
        prepared.start = AroundTheCircle(range.fade[0]);
        prepared.rise = AroundTheCircle(range.full[0] - range.fade[0]);
        prepared.top = AroundTheCircle(range.full[1] - range.fade[0]);
        prepared.fall = AroundTheCircle(range.fade[1] - range.fade[0]);
        prepared.change = c;
        ranges_.push_back(prepared);
    }
}

// How much of a range's change applies at hue h (degrees, 0 .. 360): in full from the start
// of its full part to its end, fading in before and out after.
double HueSaturation::Weight(const Range& range, double h) const
{
    double at = h - range.start;
    if (at < 0)
        at += 360;
    if (at > range.fall)
        return 0;
    if (at < range.rise)
        return range.rise > 0 ? at / range.rise : 1;
    if (at <= range.top)
        return 1;
    return range.fall > range.top ? (range.fall - at) / (range.fall - range.top) : 1;
}

void HueSaturation::Pixel(uint8_t* pixel) const
{
    double rgb[3] = {double(pixel[0]), double(pixel[1]), double(pixel[2])};
    const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
    const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
    if (settings_.colorize) {
        // The pixel's lightness with the colorization's hue and saturation (HSL).
        const HueSaturationSettings::Change& c = settings_.colorization;
        const double l = Lighten((high + low) / 2, c.lightness / 100.0) / 255;
        const double s = c.saturation / 100.0;
        const double chroma = (1 - std::fabs(2 * l - 1)) * s;
        const double bottom = (l - chroma / 2) * 255;
        FromHue(c.hue, bottom, bottom + chroma * 255, rgb);
    } else {
        double hue = settings_.master.hue, saturation = settings_.master.saturation,
               lightness = settings_.master.lightness;
        if (high > low && (hue != 0 || !ranges_.empty())) {
            const double h = HueOf(rgb[0], rgb[1], rgb[2]);
            for (const Range& range : ranges_) {
                const double weight = Weight(range, h);
                hue += weight * range.change.hue;
                saturation += weight * range.change.saturation;
                lightness += weight * range.change.lightness;
            }
            if (hue != 0)
                FromHue(h + hue, low, high, rgb);
        }
        // Lightness comes before saturation: a darker or lighter pixel is then pushed out to
        // as much saturation as it had (the merged images keep a fully saturated colour
        // fully saturated when it is darkened).
        lightness = std::min(std::max(lightness, -100.0), 100.0) / 100;
        for (double& v : rgb)
            v = Lighten(v, lightness);
        saturation = std::min(std::max(saturation, -100.0), 100.0) / 100;
        const double top = std::max(rgb[0], std::max(rgb[1], rgb[2]));
        const double bottom = std::min(rgb[0], std::min(rgb[1], rgb[2]));
        if (saturation != 0 && top > bottom) {
            // Apart from the lightness (HSL): more saturation pushes away from it as far as
            // the pixel's own saturation allows, less pulls toward it.
            const double l = (top + bottom) / 2;
            const double delta = (top - bottom) / 255, sum = (top + bottom) / 255;
            const double s = sum < 1 ? delta / sum : delta / (2 - sum);
            double factor;
            if (saturation > 0)
                factor = 1 / std::max(saturation + s >= 1 ? s : 1 - saturation, 1e-6) - 1;
            else
                factor = saturation;
            for (double& v : rgb)
                v += (v - l) * factor;
        }
    }
    for (int i = 0; i < 3; ++i)
        pixel[i] = ToLevel(rgb[i]);
}

HueSaturationSettings ReadHueSaturationSettings(const std::vector<uint8_t>& block, bool old)
{
    SettingsBytes bytes(block);
    HueSaturationSettings settings;
    bytes.U16();  // the version
    settings.colorize = bytes.U8() != 0;
    bytes.U8();
    auto change = [&bytes](HueSaturationSettings::Change& c) {
        c.hue = bytes.S16();
        c.saturation = bytes.S16();
        c.lightness = bytes.S16();
    };
    change(settings.colorization);
    // The older form keeps the colorization's hue in -180 .. 180.
    if (old && settings.colorization.hue < 0)
        settings.colorization.hue += 360;
    change(settings.master);
    for (HueSaturationSettings::Range& range : settings.ranges) {
        range.fade[0] = bytes.S16();
        range.full[0] = bytes.S16();
        range.full[1] = bytes.S16();
        range.fade[1] = bytes.S16();
        change(range.change);
    }
    return settings;
}

}  // namespace render
}  // namespace sdk
