// Curves ("curv"): per channel, a smooth curve through points the user placed; the channel's
// own curve first, then the master curve.
#pragma once

#include <cstdint>
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

// The adjustment of a "curv" block: the points of its "Crv " extension where it has one,
// otherwise of its older list; or tables stored whole (the map form). Raises kDamagedSettings
// for a block too short for its counts.
std::unique_ptr<Adjustment> ReadCurves(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
