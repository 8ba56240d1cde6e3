// Selective Color ("selc"): changes of cyan, magenta, yellow and black ink for the pixels of
// nine colour families (reds, yellows, greens, cyans, blues, magentas, whites, neutrals,
// blacks), each pixel belonging to a family as far as its colour leans that way.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct SelectiveColorSettings {
    // Per family, in the order above: cyan, magenta, yellow and black, -100 .. 100 percent.
    int plates[9][4] = {};
    bool absolute = false;  // otherwise relative to the ink already there
};

class SelectiveColor : public PixelAdjustment<SelectiveColor> {
public:
    explicit SelectiveColor(const SelectiveColorSettings& settings) : settings_(settings) {}
    // A family's share of a pixel: for the primaries the lead of the largest channel over the
    // middle one, for the secondaries the lead of the middle one over the smallest, for whites
    // and blacks how far the pixel lies beyond the middle, for neutrals what remains. Ink is
    // 1 - channel; a change adds its share times the change (relative: times the ink there),
    // black counting for each ink.
    void Pixel(uint8_t* rgb) const;

private:
    SelectiveColorSettings settings_;
};

// The settings of a "selc" block: a version, the method (0 relative, 1 absolute), then ten
// records of four signed 16-bit values, the first unused. Raises kDamagedSettings for a block
// too short.
SelectiveColorSettings ReadSelectiveColorSettings(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
