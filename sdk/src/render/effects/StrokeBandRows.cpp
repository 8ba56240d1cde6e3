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
const double kDiagonal = std::sqrt(2.0);
const double kKnight = std::sqrt(5.0);

double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// The share of a pixel whose centre is d from the edge that lies in the band [0, width].
double Band(double d, double width)
{
    return Clamp01(d + 0.5) - Clamp01(d - width + 0.5);
}

}  // namespace

// One side of the edge: outwards, what an empty pixel measures to the nearest pixel with some
// coverage; inwards, what a full pixel measures to the nearest short of full. The pixels that
// state an edge (see Classify) over a window of 2 reach + 1 rows, each with what it adds to the
// distance (0.5 - a outwards, a - 0.5 inwards); the pass down at the row it has reached and the
// two above; the pass up over a run of reach + 1 rows.
struct StrokeBandRows::Side {
    Side(bool inward, double band, int32_t reach, int32_t columns)
        : inward(inward), band(band), limit(band + 1), reach(reach), columns(columns)
    {
        const size_t width = static_cast<size_t>(columns);
        slots = 2 * static_cast<int64_t>(reach) + 1;
        cost.resize(static_cast<size_t>(slots) * width);
        edged.assign(static_cast<size_t>(slots), 0);
        for (std::vector<double>* row : {&down[0], &down[1], &down[2], &up[0], &up[1], &up[2]})
            row->assign(width, kFar);
        run.resize((static_cast<size_t>(reach) + 1) * width);
        distance.assign(width, kFar);
    }

    size_t Slot(int64_t r) const { return static_cast<size_t>(((r % slots) + slots) % slots); }
    const float* CostRow(int64_t r) const
    {
        return edged[Slot(r)] ? cost.data() + Slot(r) * static_cast<size_t>(columns) : nullptr;
    }

    void Clear()
    {
        std::fill(edged.begin(), edged.end(), 0);
        for (int i = 0; i < 3; ++i)
            std::fill(down[i].begin(), down[i].end(), kFar);
        downNear[0] = downNear[1] = downNear[2] = false;
    }

    // Row r, given with the rows above and below it. A full pixel whose four neighbours are
    // full is never the nearest edge of an empty pixel: its neighbour a step towards that pixel
    // is nearer at the same cost. So outwards the edge pixels are the partial ones and the full
    // ones beside a pixel short of full (the columns beyond count as empty); inwards, the
    // partial ones and the empty ones beside a pixel with coverage.
    void Classify(int64_t r, const float* above, const float* row, const float* below, bool any)
    {
        const size_t slot = Slot(r);
        edged[slot] = 0;
        if (!any)
            return;
        float* out = cost.data() + slot * static_cast<size_t>(columns);
        const int32_t end = columns - 1;
        bool found = false;
        for (int32_t x = 0; x < columns; ++x) {
            const float a = row[x];
            float c = kNoEdge;
            if (!inward) {
                if (a >= 1) {
                    if (x == 0 || x == end || row[x - 1] < 1 || row[x + 1] < 1 || above[x] < 1 ||
                        below[x] < 1)
                        c = -0.5f;
                } else if (a > 0) {
                    c = 0.5f - a;
                }
            } else {
                if (a <= 0) {
                    if ((x > 0 && row[x - 1] > 0) || (x < end && row[x + 1] > 0) || above[x] > 0 ||
                        below[x] > 0)
                        c = -0.5f;
                } else if (a < 1) {
                    c = a - 0.5f;
                }
            }
            out[x] = c;
            found = found || c != kNoEdge;
        }
        edged[slot] = found ? 1 : 0;
    }

    // A row of a pass: the least of its own edge pixels (edges, or none) and the row a step
    // back (near) plus a step straight, diagonal or a knight's move, or two steps back (far)
    // plus a knight's move, then along the row itself. A path that leaves the band's reach is
    // dropped. Whether anything is left.
    bool Step(const float* edges, const std::vector<double>& near, bool nearAny,
              const std::vector<double>& far, bool farAny, std::vector<double>& out) const
    {
        if (!edges && !nearAny && !farAny) {
            std::fill(out.begin(), out.end(), kFar);
            return false;
        }
        const int32_t n = columns;
        for (int32_t x = 0; x < n; ++x) {
            double v = edges ? edges[x] : kFar;
            if (nearAny) {
                v = std::min(v, near[x] + 1);
                if (x > 0)
                    v = std::min(v, near[x - 1] + kDiagonal);
                if (x + 1 < n)
                    v = std::min(v, near[x + 1] + kDiagonal);
                if (x > 1)
                    v = std::min(v, near[x - 2] + kKnight);
                if (x + 2 < n)
                    v = std::min(v, near[x + 2] + kKnight);
            }
            if (farAny) {
                if (x > 0)
                    v = std::min(v, far[x - 1] + kKnight);
                if (x + 1 < n)
                    v = std::min(v, far[x + 1] + kKnight);
            }
            out[x] = v;
        }
        for (int32_t x = 1; x < n; ++x)
            out[x] = std::min(out[x], out[x - 1] + 1);
        bool any = false;
        for (int32_t x = n - 1; x >= 0; --x) {
            if (x + 1 < n)
                out[x] = std::min(out[x], out[x + 1] + 1);
            if (out[x] >= limit)
                out[x] = kFar;
            else
                any = true;
        }
        return any;
    }

    // The pass down takes row r, the one after the last it took.
    void Down(int64_t r)
    {
        std::swap(down[2], down[1]);
        std::swap(down[1], down[0]);
        downNear[2] = downNear[1];
        downNear[1] = downNear[0];
        downNear[0] = Step(CostRow(r), down[1], downNear[1], down[2], downNear[2], down[0]);
    }

    // The pass up over rows y .. y + reach, from row y + 2 reach: an edge pixel further below
    // is more than reach from all of them.
    void Up(int64_t y)
    {
        bool nearAny = false, farAny = false;
        const size_t width = static_cast<size_t>(columns);
        for (int64_t r = y + 2 * static_cast<int64_t>(reach); r >= y; --r) {
            const bool any = Step(CostRow(r), up[1], nearAny, up[2], farAny, up[0]);
            if (r <= y + reach)
                std::copy(up[0].begin(), up[0].end(),
                          run.data() + static_cast<size_t>(r - y) * width);
            std::swap(up[2], up[1]);
            std::swap(up[1], up[0]);
            farAny = nearAny;
            nearAny = any;
        }
    }

    // The distance of each pixel of row y that measures on this side (empty ones outwards,
    // full ones inwards), where it may fall in the band; kFar elsewhere. The pass down has
    // taken row y, the pass up the run from first.
    void Measure(int64_t y, int64_t first, const float* coverage)
    {
        const float* upward = run.data() + (y - first) * static_cast<int64_t>(columns);
        for (int32_t x = 0; x < columns; ++x) {
            double best = kFar;
            if (inward ? coverage[x] >= 1 : coverage[x] <= 0) {
                best = std::min<double>(down[0][x], upward[x]);
                if (inward) {
                    // The empty columns beyond the input's: the nearest is on the pixel's row.
                    const double h = std::min<int32_t>(x + 1, columns - x);
                    if (h < limit)
                        best = std::min(best, h - 0.5);
                }
            }
            distance[x] = best;
        }
    }

    const bool inward;
    const double band;
    const double limit;  // distances from here on leave the band
    const int32_t reach;
    const int32_t columns;
    int64_t slots;
    std::vector<float> cost;     // 2 reach + 1 rows of columns, kNoEdge where no edge is stated
    std::vector<uint8_t> edged;  // per row of the window, whether it has an edge pixel
    // The pass down at the row it has reached and the two above, and whether each has any
    // distance within reach; the pass up's three rows at work.
    std::vector<double> down[3];
    bool downNear[3] = {false, false, false};
    std::vector<double> up[3];
    std::vector<float> run;  // the pass up over reach + 1 rows
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
    // A pixel is in the band only with an edge pixel within band + 1, and the distance is at
    // least the rows between.
    reach_ = static_cast<int32_t>(std::ceil(band)) + 1;
    if (position != LayerEffect::StrokePosition::Inside)
        outside_ = std::make_unique<Side>(false, band, reach_, columns_);
    if (position != LayerEffect::StrokePosition::Outside)
        inside_ = std::make_unique<Side>(true, band, reach_, columns_);
    // A row is drawn once the rows 2 reach below it are measured, which takes one more.
    held_ = 2 * reach_ + 3;
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

void StrokeBandRows::ClassifyTo(int64_t r)
{
    while (classified_ < r) {
        while (fetched_ < classified_ + 3)
            Fetch();
        Classify(++classified_);
    }
}

void StrokeBandRows::Restart(int64_t y)
{
    if (outside_)
        outside_->Clear();
    if (inside_)
        inside_->Clear();
    upHeld_ = false;
    // The rows before y - reach play no part in row y; they are passed over. Row y - reach - 1
    // is taken to measure the one after it.
    fetched_ = y - reach_ - 1;
    classified_ = fetched_;
    current_ = fetched_;
    Descend(y);
}

void StrokeBandRows::Descend(int64_t y)
{
    while (current_ < y) {
        ++current_;
        ClassifyTo(current_);
        if (outside_)
            outside_->Down(current_);
        if (inside_)
            inside_->Down(current_);
    }
}

void StrokeBandRows::Draw()
{
    if (!upHeld_ || current_ < upFirst_ || current_ > upFirst_ + reach_) {
        ClassifyTo(current_ + 2 * static_cast<int64_t>(reach_));
        if (outside_)
            outside_->Up(current_);
        if (inside_)
            inside_->Up(current_);
        upFirst_ = current_;
        upHeld_ = true;
    }
    const float* coverage = Held(current_);
    if (outside_)
        outside_->Measure(current_, upFirst_, coverage);
    if (inside_)
        inside_->Measure(current_, upFirst_, coverage);
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
    // Once the rows row y is made from all lie beyond those taken, the passes start afresh; up
    // to that the rows passed over are taken in on the way.
    if (!started_ || y - reach_ - 1 >= fetched_) {
        Restart(y);
        started_ = true;
        drawn_ = false;
    }
    if (current_ < y) {
        Descend(y);
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
