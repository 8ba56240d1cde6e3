#include "render/adjust/SelectiveColor.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

void SelectiveColor::Pixel(uint8_t* pixel) const
{
    const double v[3] = {pixel[0] / 255.0, pixel[1] / 255.0, pixel[2] / 255.0};
    int high = 0, low = 0;
    for (int c = 1; c < 3; ++c) {
        if (v[c] > v[high])
            high = c;
        if (v[c] < v[low])
            low = c;
    }
    if (high == low)
        low = (high + 1) % 3;
    const int middle = 3 - high - low;
    const double max = v[high], mid = v[middle], min = v[low];

    double share[9] = {};
    // Reds, greens and blues: the largest channel names the family.
    share[high * 2] = max - mid;
    // Cyans, magentas and yellows: the smallest channel names the family.
    const int secondary[3] = {3, 5, 1};
    share[secondary[low]] = mid - min;
    share[6] = std::max(0.0, (min - 0.5) * 2);   // whites
    share[8] = std::max(0.0, (0.5 - max) * 2);   // blacks
    share[7] = std::max(0.0, 1 - std::fabs(max - 0.5) - std::fabs(min - 0.5));  // neutrals

    double out[3];
    for (int c = 0; c < 3; ++c) {
        const double ink = 1 - v[c];
        double change = 0;
        for (int family = 0; family < 9; ++family) {
            if (share[family] <= 0)
                continue;
            const double plate = settings_.plates[family][c] / 100.0;
            const double black = settings_.plates[family][3] / 100.0;
            const double amount = settings_.absolute ? plate + black * (1 - ink)
                                                     : (plate + black) * ink;
            change += share[family] * amount;
        }
        out[c] = (1 - std::min(std::max(ink + change, 0.0), 1.0)) * 255;
    }
    for (int c = 0; c < 3; ++c)
        pixel[c] = ToLevel(out[c]);
}

SelectiveColorSettings ReadSelectiveColorSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    SelectiveColorSettings settings;
    bytes.U16();  // the version
    settings.absolute = bytes.U16() != 0;
    bytes.Skip(8);  // the first record is not used
    for (auto& family : settings.plates) {
        for (int& value : family)
            value = bytes.S16();
    }
    return settings;
}

}  // namespace render
}  // namespace sdk
