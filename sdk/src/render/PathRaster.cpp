#include "render/PathRaster.h"

#include <algorithm>
#include <cmath>

namespace sdk {
namespace render {

namespace {

// The sums of a fully covered pixel come within rounding of 1 or 0; these count as exact.
const double kExact = 1e-6;

double Fill(double winding, FillRule rule)
{
    double coverage = std::fabs(winding);
    if (rule == FillRule::EvenOdd) {
        coverage = std::fmod(coverage, 2.0);
        if (coverage > 1)
            coverage = 2 - coverage;
    } else if (coverage > 1) {
        coverage = 1;
    }
    if (coverage < kExact)
        return 0;
    if (coverage > 1 - kExact)
        return 1;
    return coverage;
}

RasterPoint CubicAt(const RasterPoint& p0, const RasterPoint& p1, const RasterPoint& p2,
                    const RasterPoint& p3, double t)
{
    const double s = 1 - t;
    const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    RasterPoint point;
    point.x = a * p0.x + b * p1.x + c * p2.x + d * p3.x;
    point.y = a * p0.y + b * p1.y + c * p2.y + d * p3.y;
    return point;
}

}  // namespace

PathRaster::PathRaster(int32_t left, int32_t width)
    : left_(left), width_(std::max<int32_t>(width, 0)), cells_(static_cast<size_t>(width_) + 2, 0.0)
{
}

void PathRaster::AddLine(uint32_t shape, const RasterPoint& from, const RasterPoint& to)
{
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
        !std::isfinite(to.y) || from.y == to.y)
        return;
    const bool down = to.y > from.y;
    const RasterPoint& top = down ? from : to;
    const RasterPoint& bottom = down ? to : from;
    Edge edge;
    edge.x0 = top.x;
    edge.y0 = top.y;
    edge.y1 = bottom.y;
    edge.dxdy = (bottom.x - top.x) / (bottom.y - top.y);
    edge.winding = down ? 1 : -1;
    edge.shape = shape;
    if (!std::isfinite(edge.dxdy) || edges_.size() >= UINT32_MAX)
        return;
    edges_.push_back(edge);
    sorted_ = false;
}

void PathRaster::AddCubic(uint32_t shape, const RasterPoint& p0, const RasterPoint& p1,
                          const RasterPoint& p2, const RasterPoint& p3, int32_t segments)
{
    segments = std::max<int32_t>(segments, 1);
    RasterPoint from = p0;
    for (int32_t i = 1; i <= segments; ++i) {
        const RasterPoint to =
            i == segments ? p3 : CubicAt(p0, p1, p2, p3, static_cast<double>(i) / segments);
        AddLine(shape, from, to);
        from = to;
    }
}

int32_t PathRaster::CubicSegments(const RasterPoint& p0, const RasterPoint& p1,
                                  const RasterPoint& p2, const RasterPoint& p3, double tolerance,
                                  int32_t limit)
{
    // Lines at equal parameter steps stay within 3/4 of the larger second difference of the
    // control points over the square of their number.
    const double ax = p0.x - 2 * p1.x + p2.x, ay = p0.y - 2 * p1.y + p2.y;
    const double bx = p1.x - 2 * p2.x + p3.x, by = p1.y - 2 * p2.y + p3.y;
    const double bend = std::max(std::hypot(ax, ay), std::hypot(bx, by));
    const double count = std::ceil(std::sqrt(0.75 * bend / tolerance));
    if (!(count < limit))  // also what is not a number
        return std::max<int32_t>(limit, 1);
    return std::max<int32_t>(static_cast<int32_t>(count), 1);
}

const std::vector<uint32_t>& PathRaster::Row(int32_t y)
{
    if (!sorted_) {
        std::stable_sort(edges_.begin(), edges_.end(),
                         [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
        sorted_ = true;
        started_ = false;
    }
    if (!started_ || y < row_) {
        active_.clear();
        next_ = 0;
    }
    started_ = true;
    row_ = y;
    const double top = y, bottom = top + 1.0;

    active_.erase(std::remove_if(active_.begin(), active_.end(),
                                 [&](uint32_t e) { return edges_[e].y1 <= top; }),
                  active_.end());
    bool added = false;
    for (; next_ < edges_.size() && edges_[next_].y0 < bottom; ++next_) {
        if (edges_[next_].y1 > top) {
            active_.push_back(static_cast<uint32_t>(next_));
            added = true;
        }
    }
    if (added) {
        std::sort(active_.begin(), active_.end(), [&](uint32_t a, uint32_t b) {
            return edges_[a].shape != edges_[b].shape ? edges_[a].shape < edges_[b].shape : a < b;
        });
    }
    shapes_.clear();
    runs_.clear();
    for (size_t i = 0; i < active_.size(); ++i) {
        if (i == 0 || edges_[active_[i]].shape != shapes_.back()) {
            shapes_.push_back(edges_[active_[i]].shape);
            runs_.push_back(i);
        }
    }
    runs_.push_back(active_.size());
    return shapes_;
}

void PathRaster::Coverage(size_t index, FillRule rule, float* coverage)
{
    if (width_ == 0)
        return;
    touchedFirst_ = width_ + 1;
    touchedLast_ = -1;
    if (index + 1 < runs_.size()) {
        for (size_t i = runs_[index]; i < runs_[index + 1]; ++i)
            Accumulate(edges_[active_[i]]);
    }
    // Left of the first cell touched nothing is covered; from the last one on, nothing changes.
    const int32_t first = std::min(touchedFirst_, width_);
    const int32_t last = std::min(touchedLast_, width_ - 1);
    std::fill(coverage, coverage + first, 0.0f);
    double sum = 0;
    for (int32_t x = first; x <= last; ++x) {
        sum += cells_[x];
        coverage[x] = static_cast<float>(Fill(sum, rule));
    }
    const int32_t rest = std::max(first, last + 1);
    std::fill(coverage + rest, coverage + width_, static_cast<float>(Fill(sum, rule)));
    if (touchedLast_ >= touchedFirst_)
        std::fill(cells_.begin() + touchedFirst_, cells_.begin() + touchedLast_ + 1, 0.0);
}

void PathRaster::Accumulate(const Edge& edge)
{
    const double top = row_;
    const double ya = std::max(edge.y0, top), yb = std::min(edge.y1, top + 1.0);
    if (!(yb > ya))
        return;
    const double xa = edge.x0 + (ya - edge.y0) * edge.dxdy - left_;
    const double xb = edge.x0 + (yb - edge.y0) * edge.dxdy - left_;
    Segment(xa, ya - top, xb, yb - top, edge.winding);
}

// A piece of an edge within the row, ya < yb, in columns of the window.
void PathRaster::Segment(double xa, double ya, double xb, double yb, double winding)
{
    const double width = width_;
    // The part left of the window covers all of it, as if it ran down its left border; the part
    // right of it covers nothing.
    if (xa <= 0 && xb <= 0) {
        Cell(0, 0, 0, (yb - ya) * winding);
        return;
    }
    if (xa >= width && xb >= width)
        return;
    if (xa < 0 || xb < 0) {
        const double y = std::min(yb, std::max(ya, ya + (0 - xa) * (yb - ya) / (xb - xa)));
        if (xa < 0) {
            Cell(0, 0, 0, (y - ya) * winding);
            xa = 0;
            ya = y;
        } else {
            Cell(0, 0, 0, (yb - y) * winding);
            xb = 0;
            yb = y;
        }
    }
    if (xa > width || xb > width) {
        const double y = std::min(yb, std::max(ya, ya + (width - xa) * (yb - ya) / (xb - xa)));
        if (xa > width) {
            xa = width;
            ya = y;
        } else {
            xb = width;
            yb = y;
        }
    }

    // Column by column; at most width + 1 steps.
    if (std::floor(xa) == std::floor(xb) || xa == xb) {
        Cell(static_cast<int32_t>(std::floor(std::min(xa, xb))), xa, xb, (yb - ya) * winding);
        return;
    }
    const double slope = (yb - ya) / (xb - xa);
    double x = xa, y = ya;
    if (xb > xa) {
        for (int32_t column = static_cast<int32_t>(std::floor(xa));; ++column) {
            const double next = column + 1.0;
            if (next >= xb || column >= width_) {
                Cell(column, x, xb, (yb - y) * winding);
                return;
            }
            const double yNext = std::min(yb, ya + (next - xa) * slope);
            Cell(column, x, next, (yNext - y) * winding);
            x = next;
            y = yNext;
        }
    }
    for (int32_t column = static_cast<int32_t>(std::ceil(xa)) - 1;; --column) {
        const double next = column;
        if (next <= xb || column <= 0) {
            Cell(column, x, xb, (yb - y) * winding);
            return;
        }
        const double yNext = std::min(yb, ya + (next - xa) * slope);
        Cell(column, x, next, (yNext - y) * winding);
        x = next;
        y = yNext;
    }
}

// area: the height of the piece of edge in the column times its winding. The column's pixel
// gets the part of it right of the piece, the columns after it all of it.
void PathRaster::Cell(int32_t column, double x0, double x1, double area)
{
    column = std::min(std::max(column, 0), width_);
    const double right = std::min(1.0, std::max(0.0, (x0 + x1) * 0.5 - column));
    cells_[column] += area * (1 - right);
    cells_[column + 1] += area * right;
    touchedFirst_ = std::min(touchedFirst_, column);
    touchedLast_ = std::max(touchedLast_, column + 1);
}

}  // namespace render
}  // namespace sdk
