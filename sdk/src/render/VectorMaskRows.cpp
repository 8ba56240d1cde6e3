#include "render/VectorMaskRows.h"

#include <algorithm>

namespace sdk {
namespace render {

namespace {

using graphic::PsdPathKnot;
using graphic::PsdSubpath;

// Calls curve(p0, p1, p2, p3) for each piece of the subpath's outline in pixels: the curve from
// each knot to the next, round to the first for a closed subpath, and for an open one the
// straight line that closes it.
template <class Curve>
void ForEachCurve(const PsdSubpath& subpath, double width, double height, Curve curve)
{
    const std::vector<PsdPathKnot>& knots = subpath.knots;
    auto pixels = [&](const graphic::PsdPathPoint& point) {
        RasterPoint result;
        result.x = point.x * width;
        result.y = point.y * height;
        return result;
    };
    const size_t count = knots.size();
    const size_t curves = subpath.closed ? count : (count == 0 ? 0 : count - 1);
    for (size_t k = 0; k < curves; ++k) {
        const PsdPathKnot& from = knots[k];
        const PsdPathKnot& to = knots[(k + 1) % count];
        curve(pixels(from.anchor), pixels(from.after), pixels(to.before), pixels(to.anchor));
    }
    if (!subpath.closed && count > 1) {
        const RasterPoint last = pixels(knots.back().anchor), first = pixels(knots.front().anchor);
        curve(last, last, first, first);
    }
}

// Coverage a combined with b by operation, in place.
void Combine(int16_t operation, float* a, const float* b, int32_t width)
{
    switch (operation) {
        case PsdSubpath::kXor:
            for (int32_t x = 0; x < width; ++x)
                a[x] = a[x] + b[x] - 2 * a[x] * b[x];
            break;
        case PsdSubpath::kSubtract:
            for (int32_t x = 0; x < width; ++x)
                a[x] = std::max(0.0f, a[x] - b[x]);
            break;
        case PsdSubpath::kIntersect:
            for (int32_t x = 0; x < width; ++x)
                a[x] = a[x] * b[x];
            break;
        default:
            for (int32_t x = 0; x < width; ++x)
                a[x] = a[x] + b[x] - a[x] * b[x];
            break;
    }
}

}  // namespace

VectorMaskRows::VectorMaskRows(const graphic::PsdVectorMask& mask, int32_t documentWidth,
                               int32_t documentHeight, int32_t left, int32_t width)
    : raster_(left, width),
      invert_(mask.invert),
      width_(std::max<int32_t>(width, 0)),
      shape_(static_cast<size_t>(width_))
{
    const std::vector<PsdSubpath>& subpaths = mask.subpaths;
    std::vector<uint32_t> shapeOf(subpaths.size());
    for (size_t i = 0; i < subpaths.size(); ++i) {
        if (operations_.empty() || subpaths[i].operation != PsdSubpath::kNone)
            operations_.push_back(subpaths[i].operation);
        shapeOf[i] = static_cast<uint32_t>(operations_.size() - 1);
    }
    if (operations_.empty()) {
        start_ = mask.startsFilled ? 1.0f : 0.0f;
    } else if (operations_[0] == PsdSubpath::kNone) {
        start_ = mask.startsFilled ? 1.0f : 0.0f;
        operations_[0] = PsdSubpath::kXor;
    } else {
        const bool outside =
            operations_[0] == PsdSubpath::kSubtract || operations_[0] == PsdSubpath::kIntersect;
        start_ = outside ? 1.0f : 0.0f;
    }

    const double scaleX = documentWidth, scaleY = documentHeight;
    int64_t lines = 0;
    for (const PsdSubpath& subpath : subpaths) {
        ForEachCurve(subpath, scaleX, scaleY,
                     [&](const RasterPoint& p0, const RasterPoint& p1, const RasterPoint& p2,
                         const RasterPoint& p3) {
                         lines +=
                             PathRaster::CubicSegments(p0, p1, p2, p3, kTolerance, kCurveLines);
                     });
    }
    for (size_t i = 0; i < subpaths.size(); ++i) {
        ForEachCurve(subpaths[i], scaleX, scaleY,
                     [&](const RasterPoint& p0, const RasterPoint& p1, const RasterPoint& p2,
                         const RasterPoint& p3) {
                         int64_t segments =
                             PathRaster::CubicSegments(p0, p1, p2, p3, kTolerance, kCurveLines);
                         if (lines > kPathLines)
                             segments = std::max<int64_t>(1, segments * kPathLines / lines);
                         raster_.AddCubic(shapeOf[i], p0, p1, p2, p3,
                                          static_cast<int32_t>(segments));
                     });
    }
}

void VectorMaskRows::Row(int32_t y, float* coverage)
{
    if (width_ == 0)
        return;
    std::fill(coverage, coverage + width_, start_);
    const std::vector<uint32_t>& drawn = raster_.Row(y);
    size_t next = 0;
    for (uint32_t shape = 0; shape < operations_.size(); ++shape) {
        if (next < drawn.size() && drawn[next] == shape) {
            raster_.Coverage(next++, FillRule::EvenOdd, shape_.data());
            Combine(operations_[shape], coverage, shape_.data(), width_);
        } else if (operations_[shape] == PsdSubpath::kIntersect) {
            // A shape without edges in the row covers none of it; the other operations keep
            // what was there.
            std::fill(coverage, coverage + width_, 0.0f);
        }
    }
    if (invert_) {
        for (int32_t x = 0; x < width_; ++x)
            coverage[x] = 1 - coverage[x];
    }
}

}  // namespace render
}  // namespace sdk
