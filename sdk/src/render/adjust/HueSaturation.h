// Hue/Saturation ("hue2", and the older "hue "): a hue turn, a saturation and a lightness change
// for all colours (the master settings), each added to where a pixel's hue falls in one of six
// ranges; or, colorized, every pixel given one hue and saturation.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct HueSaturationSettings {
    struct Change {
        int hue = 0;         // degrees, -180 .. 180
        int saturation = 0;  // -100 .. 100
        int lightness = 0;   // -100 .. 100
    };
    // A range of hues in degrees: its change applies in full from full[0] to full[1] and fades
    // out to fade[0] below and fade[1] above (all taken around the circle).
    struct Range {
        int fade[2] = {0, 0};
        int full[2] = {0, 0};
        Change change;
    };
    bool colorize = false;
    Change colorization;  // hue 0 .. 360, saturation 0 .. 100, lightness
    Change master;
    Range ranges[6];
};

class HueSaturation : public PixelAdjustment<HueSaturation> {
public:
    explicit HueSaturation(const HueSaturationSettings& settings);
    // One pixel: red, green, blue in and out.
    void Pixel(uint8_t* rgb) const;

private:
    // A range that changes something, its hues as distances along the circle from where its
    // fade-in starts.
    struct Range {
        double start = 0;  // 0 .. 360
        double rise = 0, top = 0, fall = 0;
        HueSaturationSettings::Change change;
    };
    double Weight(const Range& range, double h) const;

    HueSaturationSettings settings_;
    std::vector<Range> ranges_;
};

// The settings of a "hue2" or "hue " block: a version, the colorize flag, the colorization's
// and the master's hue, saturation and lightness, then six ranges (reds, yellows, greens, cyans,
// blues, magentas) of four hues and three changes, all 16-bit. Raises kDamagedSettings for a
// block too short.
HueSaturationSettings ReadHueSaturationSettings(const std::vector<uint8_t>& block, bool old);

}  // namespace render
}  // namespace sdk
