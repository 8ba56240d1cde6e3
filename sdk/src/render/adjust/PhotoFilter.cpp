#include "render/adjust/PhotoFilter.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

void PhotoFilter::Pixel(uint8_t* pixel) const
{
    const Rgb before = RgbOf(pixel);
    const double d = std::min(std::max(settings_.density, 0), 100) / 100.0;
    const Rgb& f = settings_.colour;
    Rgb after{before.r + d * (before.r * f.r / 255 - before.r),
              before.g + d * (before.g * f.g / 255 - before.g),
              before.b + d * (before.b * f.b / 255 - before.b)};
    if (settings_.preserveLuminosity)
        after = WithLuminance(after, Luminance(before));
    StoreRgb(after, pixel);
}

namespace {

// sRGB (0 .. 255) of a D50 XYZ colour, through the Bradford-adapted matrix to linear sRGB.
Rgb FromXyz(double x, double y, double z)
{
    const double linear[3] = {
        3.1338561 * x - 1.6168667 * y - 0.4906146 * z,
        -0.9787684 * x + 1.9161415 * y + 0.0334540 * z,
        0.0719453 * x - 0.2289914 * y + 1.4052427 * z,
    };
    double out[3];
    for (int i = 0; i < 3; ++i) {
        const double v = std::min(std::max(linear[i], 0.0), 1.0);
        out[i] = 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    }
    return Rgb{out[0], out[1], out[2]};
}

}  // namespace

PhotoFilterSettings ReadPhotoFilterSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    PhotoFilterSettings settings;
    const uint16_t version = bytes.U16();
    if (version == 3) {
        const double x = static_cast<int32_t>(bytes.U32()) / 65536.0;
        const double y = static_cast<int32_t>(bytes.U32()) / 65536.0;
        const double z = static_cast<int32_t>(bytes.U32()) / 65536.0;
        settings.colour = FromXyz(x, y, z);
    } else if (version == 2) {
        const uint16_t space = bytes.U16();
        uint16_t components[4];
        for (uint16_t& component : components)
            component = bytes.U16();
        if (space == 0)
            settings.colour = Rgb{components[0] / 257.0, components[1] / 257.0,
                                  components[2] / 257.0};
        else if (space == 8)
            settings.colour = Rgb{255 - components[0] * 255 / 10000.0,
                                  255 - components[0] * 255 / 10000.0,
                                  255 - components[0] * 255 / 10000.0};
    } else {
        SettingsBytes::Fail();
    }
    settings.density = static_cast<int>(std::min<uint32_t>(bytes.U32(), 100));
    settings.preserveLuminosity = bytes.U8() != 0;
    return settings;
}

}  // namespace render
}  // namespace sdk
