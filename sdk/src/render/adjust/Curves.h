// Curves ("curv"): per channel, a smooth curve through points the user placed; the channel's
// own curve first, then the master curve.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct CurvePoint {
    int input = 0;
    int output = 0;
};

// The curve's table: a natural cubic spline through the points (second derivative 0 at both
// ends), flat before the first point and after the last, rounded. Points are taken in the
// order of their inputs; two of one input keep the later. Fewer than two points: the identity
// (one point alone: its output everywhere).
ChannelTable CurveTable(std::vector<CurvePoint> points);

// The curves of a "curv" block by channel: 0 the master curve, 1 .. 3 red, green and blue (1 the
// gray of a gray document); others are kept but not drawn. Each curve is its points or, in the
// map form, its table stored whole.
struct CurvesSettings {
    bool map = false;
    std::map<int, std::vector<CurvePoint>> points;
    std::map<int, ChannelTable> tables;
};

// The settings of a "curv" block: the curves of its "Crv " extension where it has one,
// otherwise of its older list. Raises kDamagedSettings for a block too short for its counts.
CurvesSettings ReadCurvesSettings(const std::vector<uint8_t>& block);
// The adjustment of the settings: each channel's curve, then the master curve; a channel
// without a curve is left as it is.
std::unique_ptr<Adjustment> MakeCurves(const CurvesSettings& settings, bool gray);
// The adjustment of a "curv" block; raises as ReadCurvesSettings.
std::unique_ptr<Adjustment> ReadCurves(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
