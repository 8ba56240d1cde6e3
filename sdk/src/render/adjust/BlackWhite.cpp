#include "render/adjust/BlackWhite.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphic/psd/PsdDescriptor.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

double BlackWhite::Gray(const uint8_t* rgb, const int (&weights)[6])
{
    int high = 0, low = 0;
    for (int c = 1; c < 3; ++c) {
        if (rgb[c] > rgb[high])
            high = c;
        if (rgb[c] < rgb[low])
            low = c;
    }
    if (high == low)
        return rgb[0];
    const int middle = 3 - high - low;
    // Primaries red, green, blue at 0, 2, 4; the secondary of two channels between them:
    // red and green yellow (1), green and blue cyan (3), blue and red magenta (5).
    const int primary = high * 2;
    const int pair = high + middle;  // 1: red+green, 3: green+blue, 2: red+blue
    const int secondary = pair == 1 ? 1 : pair == 3 ? 3 : 5;
    return rgb[low] + (rgb[high] - rgb[middle]) * weights[primary] / 100.0 +
           (rgb[middle] - rgb[low]) * weights[secondary] / 100.0;
}

void BlackWhite::Apply(uint8_t* rgb, int32_t count) const
{
    for (int32_t x = 0; x < count; ++x) {
        uint8_t* pixel = rgb + x * 3;
        const double gray = std::min(std::max(Gray(pixel, settings_.weights), 0.0), 255.0);
        if (settings_.tint)
            StoreRgb(WithLuminance(settings_.tintColour, gray), pixel);
        else
            memset(pixel, ToLevel(gray), 3);
    }
}

BlackWhiteSettings ReadBlackWhiteSettings(const std::vector<uint8_t>& block)
{
    size_t at = 0;
    const graphic::PsdDescriptorValue descriptor =
        graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at, kDamagedSettings);
    BlackWhiteSettings settings;
    const char* keys[6] = {"Rd  ", "Yllw", "Grn ", "Cyn ", "Bl  ", "Mgnt"};
    for (int i = 0; i < 6; ++i) {
        const double value = descriptor.Number(keys[i], settings.weights[i]);
        settings.weights[i] = static_cast<int>(std::lround(std::min(std::max(value, -200.0), 300.0)));
    }
    settings.tint = descriptor.Bool("useTint", false);
    if (const graphic::PsdDescriptorValue* tint = descriptor.Find("tintColor")) {
        settings.tintColour = Rgb{tint->Number("Rd  ", settings.tintColour.r),
                                  tint->Number("Grn ", settings.tintColour.g),
                                  tint->Number("Bl  ", settings.tintColour.b)};
    }
    return settings;
}

}  // namespace render
}  // namespace sdk
