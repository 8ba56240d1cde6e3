// Gradient Map ("grdm"): each pixel's luminance picks its colour from a gradient, dark at the
// gradient's start and light at its end.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"
#include "render/adjust/GradientRamp.h"

namespace sdk {
namespace render {

struct GradientMapSettings {
    GradientRamp ramp;  // built, unless a noise gradient
    bool reverse = false;
    bool dither = false;
};

class GradientMap : public Adjustment {
public:
    // The ramp's colours for the 256 luminances (0.30 R + 0.59 G + 0.11 B, rounded), turned
    // around when reverse; gray made of them in a gray document.
    GradientMap(const GradientRamp& ramp, bool reverse, bool gray);
    void Apply(uint8_t* rgb, int32_t count) const override;

private:
    uint8_t colours_[256][3];
};

// The settings of a "grdm" block: a version (1, or 3 with the interpolation method), reverse
// and dither flags, a name, colour stops (location, midpoint, colour space and four 16-bit
// components) and transparency stops, then the smoothness and the noise settings. The
// transparency stops are not kept. Raises kDamagedSettings for a block too short for what it
// declares, of another version, or with more than GradientRamp::kMostStops stops of either
// kind.
GradientMapSettings ReadGradientMapSettings(const std::vector<uint8_t>& block);
// The adjustment of the settings; the dither is not drawn, nor a noise gradient (nullptr then).
std::unique_ptr<Adjustment> MakeGradientMap(const GradientMapSettings& settings, bool gray);
// The adjustment of a "grdm" block; raises as ReadGradientMapSettings.
std::unique_ptr<Adjustment> ReadGradientMap(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
