#include "render/effects/StrokeBandRows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace sdk {
namespace render {

namespace {

const float kNoEdge = std::numeric_limits<float>::infinity();
const double kFar = std::numeric_limits<double>::infinity();
const int64_t kNone = std::numeric_limits<int64_t>::min();

double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// The share of a pixel whose centre is d from the edge that lies in the band [0, width].
double Band(double d, double width)
{
    return Clamp01(d + 0.5) - Clamp01(d - width + 0.5);
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The least n >= 0 with n * n >= v.
int64_t CeilSqrt(int64_t v)
{
    int64_t n = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
    while (n * n < v)
        ++n;
    while (n > 0 && (n - 1) * (n - 1) >= v)
        --n;
    return n;
}

// The greatest n >= 0 with n * n < v (v > 0).
int64_t RootBelow(double v)
{
    int64_t n = static_cast<int64_t>(std::sqrt(v));
    while (n > 0 && static_cast<double>(n * n) >= v)
        --n;
    while (static_cast<double>((n + 1) * (n + 1)) < v)
        ++n;
    return n;
}

}  // namespace

// One side of the edge: outwards, what an empty pixel measures to the nearest pixel with some
// coverage; inwards, what a full pixel measures to the nearest short of full. The pixels that
// state an edge (see Classify) over the window of rows current - reach .. current + reach, each
// with what it adds to the distance (0.5 - a outwards, a - 0.5 inwards), and per column the
// nearest of them up and down from the current row.
struct StrokeBandRows::Side {
    Side(bool inward, double band, int32_t reach, int32_t columns)
        : inward(inward), band(band), reach(reach), columns(columns)
    {
        const size_t width = static_cast<size_t>(columns);
        const size_t slots = static_cast<size_t>(2 * reach + 1);
        cost.resize(slots * width);
        edged.assign(slots, 0);
        above.assign(width, kNone);
        below.assign(width, kNone);
        g.resize(width);
        nextNear.resize(width + 1);
        nearBefore.resize(width + 1);
        rowsWithin.resize(static_cast<size_t>(reach) + 1);
        nearRows.reserve(slots);
        s.resize(width);
        t.resize(width);
        nearest2.resize(width);
        nearestColumn.resize(width);
        distance.assign(width, kFar);
    }

    size_t Slot(int64_t r) const
    {
        const int64_t slots = 2 * static_cast<int64_t>(reach) + 1;
        return static_cast<size_t>(((r % slots) + slots) % slots);
    }
    float* CostRow(int64_t r) { return cost.data() + Slot(r) * static_cast<size_t>(columns); }
    const float* CostRow(int64_t r) const
    {
        return cost.data() + Slot(r) * static_cast<size_t>(columns);
    }

    void Clear()
    {
        std::fill(edged.begin(), edged.end(), 0);
        edgedRows = 0;
        std::fill(above.begin(), above.end(), kNone);
        std::fill(below.begin(), below.end(), kNone);
    }

    // Row r, given with the rows above and below it. A full pixel whose four neighbours are
    // full is never the nearest edge of an empty pixel: its neighbour a step towards that pixel
    // (along the axis it is further along) is nearer at the same cost. So outwards the edge
    // pixels are the partial ones and the full ones beside a pixel short of full (the columns
    // beyond count as empty); inwards, the partial ones and the empty ones beside a pixel with
    // coverage.
    void Classify(int64_t r, const float* up, const float* row, const float* down, bool any)
    {
        const size_t slot = Slot(r);
        edgedRows -= edged[slot];
        edged[slot] = 0;
        if (!any)
            return;
        float* out = CostRow(r);
        const int32_t end = columns - 1;
        bool found = false;
        for (int32_t x = 0; x < columns; ++x) {
            const float a = row[x];
            float c = kNoEdge;
            if (!inward) {
                if (a >= 1) {
                    if (x == 0 || x == end || row[x - 1] < 1 || row[x + 1] < 1 || up[x] < 1 ||
                        down[x] < 1)
                        c = -0.5f;
                } else if (a > 0) {
                    c = 0.5f - a;
                }
            } else {
                if (a <= 0) {
                    if ((x > 0 && row[x - 1] > 0) || (x < end && row[x + 1] > 0) || up[x] > 0 ||
                        down[x] > 0)
                        c = -0.5f;
                } else if (a < 1) {
                    c = a - 0.5f;
                }
            }
            out[x] = c;
            found = found || c != kNoEdge;
        }
        edged[slot] = found ? 1 : 0;
        edgedRows += edged[slot];
    }

    // The nearest edge up and down each column, for the window just filled around row y.
    void Begin(int64_t y)
    {
        for (int64_t r = y - reach; r <= y + reach; ++r) {
            if (!edged[Slot(r)])
                continue;
            const float* row = CostRow(r);
            for (int32_t x = 0; x < columns; ++x) {
                if (row[x] == kNoEdge)
                    continue;
                if (r <= y)
                    above[x] = r;
                if (r >= y && below[x] == kNone)
                    below[x] = r;
            }
        }
    }

    // The window moves from row y to y + 1, row y + 1 + reach just classified. Each column's
    // search for the next edge down starts where the last one ended, so it passes each row once.
    void Step(int64_t y)
    {
        const int64_t newest = y + 1 + reach;
        if (edged[Slot(newest)]) {
            const float* row = CostRow(newest);
            for (int32_t x = 0; x < columns; ++x)
                if (row[x] != kNoEdge && below[x] == kNone)
                    below[x] = newest;
        }
        if (edged[Slot(y)]) {
            const float* row = CostRow(y);
            for (int32_t x = 0; x < columns; ++x) {
                if (row[x] == kNoEdge)
                    continue;
                int64_t next = kNone;
                for (int64_t r = y + 1; r <= newest; ++r)
                    if (edged[Slot(r)] && CostRow(r)[x] != kNoEdge) {
                        next = r;
                        break;
                    }
                below[x] = next;
            }
        }
        if (edged[Slot(y + 1)]) {
            const float* row = CostRow(y + 1);
            for (int32_t x = 0; x < columns; ++x)
                if (row[x] != kNoEdge)
                    above[x] = y + 1;
        }
    }

    // The squared distance from each pixel of row y to the nearest edge pixel, and its column:
    // the lower envelope across the row of each column's nearest up or down (Meijster's
    // transform). A column with none within reach counts as reach + 1 away, further than any
    // distance wanted.
    void Transform(int64_t y)
    {
        const int64_t far = reach + 1;
        for (int32_t x = 0; x < columns; ++x) {
            int64_t d = far;
            if (above[x] != kNone && y - above[x] <= reach)
                d = y - above[x];
            if (below[x] != kNone && below[x] - y < d)
                d = below[x] - y;
            g[x] = d;
        }
        nextNear[columns] = columns;
        for (int32_t x = columns - 1; x >= 0; --x)
            nextNear[x] = g[x] < far ? x : nextNear[x + 1];
        nearBefore[0] = 0;
        for (int32_t x = 0; x < columns; ++x)
            nearBefore[x + 1] = nearBefore[x] + (g[x] < far ? 1 : 0);
        middle = static_cast<int64_t>(Slot(y));
        nearRows.clear();
        for (int32_t dy = 0; dy <= reach; ++dy) {
            for (int32_t side = dy == 0 ? 1 : -1; side <= 1; side += 2) {
                const size_t slot = Slot(y + side * dy);
                if (edged[slot])
                    nearRows.emplace_back(side * dy, static_cast<int32_t>(slot));
            }
            rowsWithin[static_cast<size_t>(dy)] = static_cast<int32_t>(nearRows.size());
        }
        auto f = [this](int64_t x, int32_t i) {
            const int64_t dx = x - i;
            return dx * dx + g[i] * g[i];
        };
        int32_t q = 0;
        s[0] = 0;
        t[0] = 0;
        for (int32_t u = 1; u < columns; ++u) {
            while (q >= 0 && f(t[q], s[q]) > f(t[q], u))
                --q;
            if (q < 0) {
                q = 0;
                s[0] = u;
            } else {
                const int64_t i = s[q];
                const int64_t w =
                    1 + FloorDiv(int64_t{u} * u - i * i + g[u] * g[u] - g[i] * g[i], 2 * (u - i));
                if (w < columns) {
                    ++q;
                    s[q] = u;
                    t[q] = static_cast<int32_t>(w);
                }
            }
        }
        for (int32_t u = columns - 1; u >= 0; --u) {
            nearest2[u] = f(u, s[q]);
            nearestColumn[u] = s[q];
            if (u == t[q])
                --q;
        }
    }

    // What an edge pixel of column c at the nearest distance adds to it (the lesser, when there
    // is one as near up as down).
    double NearestCost(int64_t y, int32_t c) const
    {
        double c0 = kFar;
        if (above[c] != kNone && y - above[c] == g[c])
            c0 = CostRow(above[c])[c];
        if (below[c] != kNone && below[c] - y == g[c])
            c0 = std::min<double>(c0, CostRow(below[c])[c]);
        return c0;
    }

    // The least cost over the edge pixels at d0 (there are none nearer) up to best + 0.5 from
    // (x, y), no pixel beyond that doing better than best. Only a column whose nearest edge up
    // or down (g, of Transform) lies within that reach can hold one, and only a row with an edge
    // pixel: the search goes down those columns or along those rows, whichever are fewer.
    double Search(int32_t x, int64_t d02, double best) const
    {
        const int64_t across = std::min<int64_t>(RootBelow((best + 0.5) * (best + 0.5)), reach);
        const int64_t from = std::max<int64_t>(x - across, 0);
        const int64_t to = std::min<int64_t>(x + across, columns - 1);
        if (rowsWithin[static_cast<size_t>(across)] < nearBefore[to + 1] - nearBefore[from])
            return AlongRows(x, d02, best);
        return DownColumns(x, d02, best, from, to);
    }

    double DownColumns(int32_t x, int64_t d02, double best, int64_t from, int64_t to) const
    {
        const int64_t slots = static_cast<int64_t>(edged.size());
        double outer2 = (best + 0.5) * (best + 0.5);
        for (int64_t c = nextNear[from]; c <= to; c = nextNear[c + 1]) {
            const int64_t dx2 = (c - x) * (c - x);
            if (static_cast<double>(dx2 + g[c] * g[c]) >= outer2)
                continue;
            const int64_t lo = std::max(g[c], d02 > dx2 ? CeilSqrt(d02 - dx2) : 0);
            for (int64_t dy = lo; static_cast<double>(dx2 + dy * dy) < outer2; ++dy) {
                for (int64_t side = dy == 0 ? 1 : -1; side <= 1; side += 2) {
                    int64_t slot = middle + side * dy;
                    slot += slot < 0 ? slots : (slot >= slots ? -slots : 0);
                    if (!edged[static_cast<size_t>(slot)])
                        continue;
                    const float edge = cost[static_cast<size_t>(slot) * columns + c];
                    if (edge == kNoEdge)
                        continue;
                    const double d = std::sqrt(static_cast<double>(dx2 + dy * dy)) + edge;
                    if (d < best) {
                        best = d;
                        outer2 = (best + 0.5) * (best + 0.5);
                    }
                }
            }
        }
        return best;
    }

    double AlongRows(int32_t x, int64_t d02, double best) const
    {
        double outer2 = (best + 0.5) * (best + 0.5);
        for (const std::pair<int32_t, int32_t>& near : nearRows) {
            const int64_t dy2 = int64_t{near.first} * near.first;
            if (static_cast<double>(dy2) >= outer2)
                break;
            const int64_t hi = RootBelow(outer2 - static_cast<double>(dy2));
            const int64_t lo = d02 > dy2 ? CeilSqrt(d02 - dy2) : 0;
            const float* row = cost.data() + static_cast<size_t>(near.second) * columns;
            auto visit = [&](int64_t first, int64_t last) {
                first = std::max<int64_t>(first, 0);
                last = std::min<int64_t>(last, columns - 1);
                for (int64_t c = first; c <= last; ++c) {
                    if (row[c] == kNoEdge)
                        continue;
                    const int64_t dx = c - x;
                    const double d = std::sqrt(static_cast<double>(dx * dx + dy2)) + row[c];
                    if (d < best) {
                        best = d;
                        outer2 = (best + 0.5) * (best + 0.5);
                    }
                }
            };
            if (lo <= hi) {
                visit(x - hi, x - lo);
                visit(x + std::max<int64_t>(lo, 1), x + hi);
            }
        }
        return best;
    }

    // The distance of each pixel of row y that measures on this side (empty ones outwards,
    // full ones inwards), where it may fall in the band; kFar elsewhere.
    void Measure(int64_t y, const float* coverage)
    {
        bool wanted = false;
        for (int32_t x = 0; x < columns && !wanted; ++x)
            wanted = inward ? coverage[x] >= 1 : coverage[x] <= 0;
        std::fill(distance.begin(), distance.end(), kFar);
        if (!wanted)
            return;
        const bool edges = edgedRows > 0;
        if (edges)
            Transform(y);
        // An edge pixel d0 away costs at least d0 - 0.5, so from band + 1 on it leaves the band.
        const double limit = band + 1;
        for (int32_t x = 0; x < columns; ++x) {
            if (inward ? coverage[x] < 1 : coverage[x] > 0)
                continue;
            double best = kFar;
            double d0 = kFar;
            if (edges && static_cast<double>(nearest2[x]) < limit * limit) {
                d0 = std::sqrt(static_cast<double>(nearest2[x]));
                best = d0 + std::min(NearestCost(y, nearestColumn[x]), 0.5);
            }
            if (inward) {
                // The empty columns beyond the input's: the nearest is on the pixel's row.
                const double h = std::min<int64_t>(x + 1, columns - x);
                if (h < limit)
                    best = std::min(best, h - 0.5);
            }
            // A partial pixel a little further may state an edge nearer than the nearest one.
            if (d0 < limit && best + 0.5 > d0)
                best = Search(x, nearest2[x], best);
            distance[x] = best;
        }
    }

    const bool inward;
    const double band;
    const int32_t reach;
    const int32_t columns;
    std::vector<float> cost;  // 2 reach + 1 rows of columns, kNoEdge where no edge is stated
    std::vector<uint8_t> edged;  // per row of the window, whether it has an edge pixel
    int32_t edgedRows = 0;
    std::vector<int64_t> above, below;  // per column, the nearest edge row, or kNone
    std::vector<int64_t> g;  // per column, the distance to the nearest edge up or down
    std::vector<int32_t> nextNear;  // per column, the first from it on with an edge within reach
    std::vector<int32_t> nearBefore;  // per column, how many before it have one
    int64_t middle = 0;  // the slot of the row transformed
    // The rows of the window with an edge pixel, by their distance from it (and their slots),
    // and how many are within each distance.
    std::vector<std::pair<int32_t, int32_t>> nearRows;
    std::vector<int32_t> rowsWithin;
    std::vector<int32_t> s, t;  // the lower envelope's columns and where each starts
    std::vector<int64_t> nearest2;
    std::vector<int32_t> nearestColumn;
    std::vector<double> distance;
};

StrokeBandRows::StrokeBandRows(std::unique_ptr<CoverageRows> input,
                               LayerEffect::StrokePosition position, double width)
    : input_(std::move(input)),
      columns_(std::max<int32_t>(input_->Width(), 0)),
      left_(input_->Left())
{
    if (!(width > 0))
        width = 0;
    width = std::min(width, kMaxWidth);
    const bool centre = position == LayerEffect::StrokePosition::Centre;
    const double band = centre ? width / 2 : width;
    // A pixel is in the band only with an edge pixel within band + 1; searching from one at d0
    // goes up to d0 + 1.
    reach_ = static_cast<int32_t>(std::ceil(band)) + 1;
    if (position != LayerEffect::StrokePosition::Inside)
        outside_ = std::make_unique<Side>(false, band, reach_, columns_);
    if (position != LayerEffect::StrokePosition::Outside)
        inside_ = std::make_unique<Side>(true, band, reach_, columns_);
    held_ = reach_ + 3;
    rows_.resize(static_cast<size_t>(held_) * static_cast<size_t>(columns_));
    covered_.assign(static_cast<size_t>(held_), 0);
    zero_.assign(static_cast<size_t>(columns_), 0.0f);
    out_.assign(static_cast<size_t>(columns_), 0.0f);
}

StrokeBandRows::~StrokeBandRows() = default;

void StrokeBandRows::Fetch()
{
    const int64_t slot = ((fetched_ % held_) + held_) % held_;
    float* row = rows_.data() + static_cast<size_t>(slot) * static_cast<size_t>(columns_);
    const float* in = input_->Row(fetched_);
    bool any = false;
    for (int32_t x = 0; x < columns_; ++x) {
        const float a = in[x];
        // Not a number counts as nothing.
        row[x] = a > 0 ? (a < 1 ? a : 1.0f) : 0.0f;
        any = any || row[x] > 0;
    }
    covered_[static_cast<size_t>(slot)] = any ? 1 : 0;
    ++fetched_;
}

const float* StrokeBandRows::Held(int64_t y) const
{
    if (y < fetched_ - held_ || y >= fetched_)
        return zero_.data();
    const int64_t slot = ((y % held_) + held_) % held_;
    return rows_.data() + static_cast<size_t>(slot) * static_cast<size_t>(columns_);
}

void StrokeBandRows::Classify(int64_t r)
{
    const int64_t slot = ((r % held_) + held_) % held_;
    const int64_t up = ((r - 1) % held_ + held_) % held_;
    const int64_t down = ((r + 1) % held_ + held_) % held_;
    const bool row = covered_[static_cast<size_t>(slot)] != 0;
    const bool near =
        row || covered_[static_cast<size_t>(up)] || covered_[static_cast<size_t>(down)];
    if (outside_)
        outside_->Classify(r, Held(r - 1), Held(r), Held(r + 1), row);
    if (inside_)
        inside_->Classify(r, Held(r - 1), Held(r), Held(r + 1), near);
}

void StrokeBandRows::Restart(int64_t y)
{
    if (outside_)
        outside_->Clear();
    if (inside_)
        inside_->Clear();
    // The rows before y - reach - 1 play no part in row y; they are passed over.
    fetched_ = y - reach_ - 1;
    while (fetched_ <= y + reach_ + 1) {
        Fetch();
        if (fetched_ - 2 >= y - reach_)
            Classify(fetched_ - 2);
    }
    if (outside_)
        outside_->Begin(y);
    if (inside_)
        inside_->Begin(y);
    current_ = y;
}

void StrokeBandRows::Advance()
{
    Fetch();
    Classify(current_ + 1 + reach_);
    if (outside_)
        outside_->Step(current_);
    if (inside_)
        inside_->Step(current_);
    ++current_;
}

void StrokeBandRows::Draw()
{
    const float* coverage = Held(current_);
    if (outside_)
        outside_->Measure(current_, coverage);
    if (inside_)
        inside_->Measure(current_, coverage);
    for (int32_t x = 0; x < columns_; ++x) {
        const double a = coverage[x];
        double v = 0;
        if (outside_) {
            if (a <= 0)
                v += Band(outside_->distance[x], outside_->band);
            else if (a < 1)
                v += Band(0.5 - a, outside_->band);
        }
        if (inside_) {
            if (a >= 1)
                v += Band(inside_->distance[x], inside_->band);
            else if (a > 0)
                v += Band(a - 0.5, inside_->band);
        }
        out_[x] = static_cast<float>(Clamp01(v));
    }
}

const float* StrokeBandRows::Row(int64_t y)
{
    if (started_ && y < current_) {
        std::fill(out_.begin(), out_.end(), 0.0f);
        drawn_ = false;
        return out_.data();
    }
    // Once the window would move by more than it holds, it starts afresh; up to that the rows
    // passed over are taken in on the way.
    if (!started_ || y - current_ > 2 * static_cast<int64_t>(reach_) + 2) {
        Restart(y);
        started_ = true;
        drawn_ = false;
    }
    while (current_ < y) {
        Advance();
        drawn_ = false;
    }
    if (!drawn_) {
        Draw();
        drawn_ = true;
    }
    return out_.data();
}

}  // namespace render
}  // namespace sdk
