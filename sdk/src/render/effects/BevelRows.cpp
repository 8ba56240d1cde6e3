#include "render/effects/BevelRows.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/effects/BoxBlurRows.h"

namespace sdk {
namespace render {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMostSize = 250;
// The rise of a smooth ramp (its height from 0 to 1) at depth 100 %, in pixels per pixel of its
// width; a chisel's ramp rises twice as much over the same span, so that its facets are as steep
// as a smooth bevel's edge.
constexpr double kSmoothRise = 1;
constexpr double kChiselRise = 2;

// value within low .. high; otherwise when it is not a number.
double Within(double value, double low, double high, double otherwise)
{
    if (std::isnan(value))
        return otherwise;
    return std::min(std::max(value, low), high);
}

bool Halved(const LayerEffect& e)
{
    using Style = BevelSettings::Style;
    return e.bevel.style == Style::Emboss || e.bevel.style == Style::PillowEmboss;
}

// The ramp's width: the reach of its blur on either side of the edge, or its chisel's span on
// one side; at least a pixel. An emboss's is half the size in whole pixels.
double RampWidth(const LayerEffect& e)
{
    const double size = Within(e.size, 0, kMostSize, 0);
    return std::max(Halved(e) ? std::ceil(size / 2) : size, 1.0);
}

// The soft chisel's rounding boxes.
double RoundingWidth(double ramp)
{
    return ramp / 4;
}

double SoftenWidth(const LayerEffect& e)
{
    return Within(e.bevel.soften, 0, kMostSize, 0);
}

int32_t HeightReach(const LayerEffect& e)
{
    const double w = RampWidth(e);
    switch (e.bevel.technique) {
    case BevelSettings::Technique::Smooth: return 2 * BoxBlurRows::Reach(w);
    case BevelSettings::Technique::ChiselHard: return static_cast<int32_t>(std::ceil(w)) + 1;
    case BevelSettings::Technique::ChiselSoft:
        return static_cast<int32_t>(std::ceil(w)) + 1 + 2 * BoxBlurRows::Reach(RoundingWidth(w));
    }
    return 0;
}

// The height of a chisel: h = 0.5 + d / 2w within 0 .. 1 for the signed distance d from the
// shape's edge (inwards positive). A pixel of partial coverage a holds the edge, a - 0.5 from
// its centre (as across a straight edge); a full pixel is as far in as the nearest pixel short
// of full, plus what that one states: |p - q| + a(q) - 0.5; an empty one as far out as the
// nearest pixel with some coverage, |p - q| + 0.5 - a(q).
//
// The nearest such pixel comes from an exact Euclidean distance transform over the window of
// rows within reach (ceil(w) + 1: beyond it the height no longer changes): down each column the
// rows to the nearest one above (counted as the window moves) and below (the next one fetched,
// looked for again once the window passes it), then the lower envelope of those across the row.
// The rows held are the reach above and below the row drawn, a byte a pixel.
class ChiselRows : public CoverageRows {
public:
    ChiselRows(std::unique_ptr<CoverageRows> input, double ramp)
        : input_(std::move(input)), width_(std::max(input_->Width(), 0)), ramp_(ramp),
          reach_(static_cast<int32_t>(std::ceil(ramp)) + 1), count_(2 * int64_t(reach_) + 3)
    {
        ring_.resize(static_cast<size_t>(count_) * width_);
        for (Side& side : sides_) {
            side.up.resize(width_);
            side.next.resize(width_);
            side.row.resize(width_);
            side.d2.resize(width_);
            side.column.resize(width_);
        }
        f_.resize(width_);
        v_.resize(width_);
        z_.resize(static_cast<size_t>(width_) + 1);
        out_.resize(width_);
    }

    const float* Row(int64_t y) override
    {
        if (!started_ || y > current_ + 2 * int64_t(reach_) + 2) {
            Start(y);
        } else if (y < current_) {
            return out_.data();  // rows are asked in ascending order
        } else {
            while (current_ < y)
                Advance();
        }
        if (!drawn_)
            Draw();
        return out_.data();
    }
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return input_->Left(); }

private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::max();

    // Side 0 measures inwards, from the pixels short of full; side 1 outwards, from the pixels
    // with some coverage. Coverage is held in 255ths.
    struct Side {
        std::vector<int32_t> up;      // rows up to the nearest at or above, reach_ + 1 for none
        std::vector<int64_t> next;    // the row of the nearest at or below fetched, or kNone
        std::vector<int64_t> row;     // the row of the nearer of those two
        std::vector<double> d2;       // the squared distance to the nearest, or kFar
        std::vector<int32_t> column;  // its column
    };
    static bool Source(int side, uint8_t a) { return side == 0 ? a < 255 : a > 0; }

    uint8_t* Ring(int64_t r)
    {
        return &ring_[static_cast<size_t>(((r % count_) + count_) % count_) * width_];
    }

    void Fetch(int64_t r)
    {
        const float* in = input_->Row(r);
        uint8_t* slot = Ring(r);
        for (int32_t x = 0; x < width_; ++x) {
            const float a = in[x] * 255;  // not a number: empty
            slot[x] = a >= 255 ? 255 : (a > 0 ? static_cast<uint8_t>(std::lround(a)) : 0);
        }
        for (int side = 0; side < 2; ++side) {
            std::vector<int64_t>& next = sides_[side].next;
            for (int32_t x = 0; x < width_; ++x) {
                if (next[x] == kNone && Source(side, slot[x]))
                    next[x] = r;
            }
        }
    }

    void Advance()
    {
        ++current_;
        Fetch(current_ + reach_);
        const uint8_t* row = Ring(current_);
        for (int side = 0; side < 2; ++side) {
            Side& s = sides_[side];
            for (int32_t x = 0; x < width_; ++x) {
                s.up[x] = Source(side, row[x]) ? 0 : std::min(s.up[x] + 1, reach_ + 1);
                if (s.next[x] == kNone || s.next[x] >= current_)
                    continue;
                // The window passed the nearest below: look for the next one.
                s.next[x] = kNone;
                for (int64_t r = current_; r <= current_ + reach_; ++r) {
                    if (Source(side, Ring(r)[x])) {
                        s.next[x] = r;
                        break;
                    }
                }
            }
        }
        drawn_ = false;
    }

    void Start(int64_t y)
    {
        for (Side& side : sides_) {
            std::fill(side.up.begin(), side.up.end(), reach_ + 1);
            std::fill(side.next.begin(), side.next.end(), kNone);
        }
        current_ = y - reach_ - 1;
        for (int64_t r = current_ + 1; r <= current_ + reach_; ++r)
            Fetch(r);
        while (current_ < y)
            Advance();
        started_ = true;
    }

    // The nearest pixel of side across the row: the lower envelope of the parabolas
    // (x - q)^2 + f(q), f(q) the squared distance down column q.
    void Envelope(Side& side)
    {
        int32_t k = -1;
        for (int32_t q = 0; q < width_; ++q) {
            int64_t dv = side.up[q];
            side.row[q] = current_ - dv;
            if (side.next[q] != kNone && side.next[q] - current_ < dv) {
                dv = side.next[q] - current_;
                side.row[q] = side.next[q];
            }
            if (dv > reach_)
                continue;
            f_[q] = double(dv) * double(dv);
            if (k < 0) {
                k = 0;
                v_[0] = q;
                z_[0] = -std::numeric_limits<double>::infinity();
                z_[1] = std::numeric_limits<double>::infinity();
                continue;
            }
            double s = Meet(q, v_[k]);
            while (s <= z_[k]) {
                --k;
                s = Meet(q, v_[k]);
            }
            ++k;
            v_[k] = q;
            z_[k] = s;
            z_[k + 1] = std::numeric_limits<double>::infinity();
        }
        int32_t j = 0;
        for (int32_t x = 0; x < width_; ++x) {
            if (k < 0) {
                side.d2[x] = kFar;
                continue;
            }
            while (z_[j + 1] < x)
                ++j;
            const double dx = double(x) - v_[j];
            side.d2[x] = dx * dx + f_[v_[j]];
            side.column[x] = v_[j];
        }
    }
    // Where the parabolas of columns q and p (p < q) cross.
    double Meet(int32_t q, int32_t p) const
    {
        return ((f_[q] + double(q) * q) - (f_[p] + double(p) * p)) / (2.0 * (q - p));
    }

    // Side's distance from column x to the edge through its nearest pixel, whose coverage
    // counts towards the edge by a (side 0) or 1 - a.
    double Distance(int side, int32_t x)
    {
        const Side& s = sides_[side];
        if (!(s.d2[x] < double(reach_) * reach_))
            return reach_;
        const int32_t column = s.column[x];
        const double a = Ring(s.row[column])[column] / 255.0;
        return std::sqrt(s.d2[x]) + (side == 0 ? a : 1 - a) - 0.5;
    }

    void Draw()
    {
        Envelope(sides_[0]);
        Envelope(sides_[1]);
        const uint8_t* row = Ring(current_);
        const double scale = 1 / (2 * ramp_);
        for (int32_t x = 0; x < width_; ++x) {
            double d = 0;
            if (row[x] == 255)
                d = Distance(0, x);
            else if (row[x] == 0)
                d = -Distance(1, x);
            else
                d = row[x] / 255.0 - 0.5;
            out_[x] = static_cast<float>(std::min(std::max(0.5 + d * scale, 0.0), 1.0));
        }
        drawn_ = true;
    }

    static constexpr double kFar = std::numeric_limits<double>::max();

    std::unique_ptr<CoverageRows> input_;
    const int32_t width_;
    const double ramp_;
    const int32_t reach_;
    const int64_t count_;  // the rows held: reach_ and one above the row drawn, reach_ below
    std::vector<uint8_t> ring_;
    Side sides_[2];
    std::vector<double> f_;
    std::vector<int32_t> v_;
    std::vector<double> z_;
    int64_t current_ = 0;
    bool started_ = false;
    bool drawn_ = false;
    std::vector<float> out_;
};

// The light on a height field: per pixel 0.5 + (highlight - shadow) / 2, from the height's
// rows above, at and below (reshaped by the edge's contour, folded for a pillow emboss). Unlike
// a shape's coverage, it is 0.5 where the surface is flat, far from the shape too.
class ShadeRows : public CoverageRows {
public:
    struct Light {
        double rise = 1;  // the height's scale in pixels, negative for direction down
        double x = 0, y = 0, z = 1;  // towards the light, y down
        double flat = 1;  // the flat surface's shading, through the gloss
        bool glossed = false;  // the shading goes through the gloss contour
        EffectContour gloss;
        bool contoured = false;  // the height goes through the edge's contour
        EffectContour contour;
        bool fold = false;
    };

    ShadeRows(std::unique_ptr<CoverageRows> height, const Light& light)
        : height_(std::move(height)), width_(std::max(height_->Width(), 0)), light_(light)
    {
        ring_.resize(static_cast<size_t>(width_) * 3);
        out_.resize(width_);
    }

    const float* Row(int64_t y) override
    {
        if (started_ && y <= current_)
            return out_.data();  // the same row, or one asked out of order
        const int64_t from = started_ ? std::max(y - 1, current_ + 2) : y - 1;
        for (int64_t r = from; r <= y + 1; ++r)
            Take(r);
        started_ = true;
        current_ = y;
        Draw(y);
        return out_.data();
    }
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return height_->Left(); }

private:
    size_t Slot(int64_t r) const { return static_cast<size_t>(((r % 3) + 3) % 3); }
    float* Ring(int64_t r) { return &ring_[Slot(r) * width_]; }

    void Take(int64_t r)
    {
        const float* in = height_->Row(r);
        float* slot = Ring(r);
        for (int32_t x = 0; x < width_; ++x) {
            float h = in[x];
            if (light_.contoured)
                h = light_.contour.At(h);
            if (light_.fold)
                h = std::fabs(h - 0.5f);
            slot[x] = h;
        }
        // Whether the row is level, and at which height.
        bool level = true;
        for (int32_t x = 1; x < width_ && level; ++x)
            level = slot[x] == slot[0];
        level_[Slot(r)] = level;
    }

    void Draw(int64_t y)
    {
        const float* above = Ring(y - 1);
        const float* row = Ring(y);
        const float* below = Ring(y + 1);
        if (width_ == 0)
            return;
        if (level_[Slot(y - 1)] && level_[Slot(y)] && level_[Slot(y + 1)] &&
            above[0] == row[0] && below[0] == row[0]) {
            std::fill(out_.begin(), out_.end(), 0.5f);
            return;
        }
        const Light& l = light_;
        const double high = l.flat < 1 ? 1 / (1 - l.flat) : 0;
        const double low = l.flat > 0 ? 1 / l.flat : 0;
        for (int32_t x = 0; x < width_; ++x) {
            const int32_t left = std::max(x - 1, 0), right = std::min(x + 1, width_ - 1);
            const double nx = -l.rise * 0.5 * (double(row[right]) - row[left]);
            const double ny = -l.rise * 0.5 * (double(below[x]) - above[x]);
            double shade = (nx * l.x + ny * l.y + l.z) / std::sqrt(nx * nx + ny * ny + 1);
            shade = std::min(std::max(shade, 0.0), 1.0);
            if (l.glossed)
                shade = l.gloss.At(static_cast<float>(shade));
            double signedStrength = 0;
            if (shade > l.flat)
                signedStrength = std::min((shade - l.flat) * high, 1.0);
            else if (shade < l.flat)
                signedStrength = -std::min((l.flat - shade) * low, 1.0);
            out_[x] = static_cast<float>(0.5 + 0.5 * signedStrength);
        }
    }

    std::unique_ptr<CoverageRows> height_;
    const int32_t width_;
    const Light light_;
    std::vector<float> ring_;
    bool level_[3] = {false, false, false};
    int64_t current_ = 0;
    bool started_ = false;
    std::vector<float> out_;
};

}  // namespace

// The input's rows passed on as read, and which of their pixels are empty (0), partly
// covered (1) or full (2) kept for the rows the chain has read ahead of the row drawn.
class BevelRows::Held : public CoverageRows {
public:
    Held(std::unique_ptr<CoverageRows> input, int64_t count)
        : input_(std::move(input)), width_(std::max(input_->Width(), 0)), count_(count),
          rows_(static_cast<size_t>(count) * width_), of_(static_cast<size_t>(count), kNone)
    {
    }
    const float* Row(int64_t y) override
    {
        const float* in = input_->Row(y);
        const size_t slot = Slot(y);
        uint8_t* sides = &rows_[slot * width_];
        for (int32_t x = 0; x < width_; ++x)
            sides[x] = in[x] <= 0 ? 0 : (in[x] >= 1 ? 2 : 1);
        of_[slot] = y;
        return in;
    }
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return input_->Left(); }

    // Row y's pixels, or nullptr when it was not read or no longer is held.
    const uint8_t* Sides(int64_t y) const
    {
        const size_t slot = Slot(y);
        return of_[slot] == y ? &rows_[slot * width_] : nullptr;
    }

private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::min();
    size_t Slot(int64_t r) const { return static_cast<size_t>(((r % count_) + count_) % count_); }

    std::unique_ptr<CoverageRows> input_;
    const int32_t width_;
    const int64_t count_;
    std::vector<uint8_t> rows_;
    std::vector<int64_t> of_;  // the row each slot holds
};

int32_t BevelRows::Reach(const LayerEffect& bevel)
{
    return HeightReach(bevel) + 1 + 4 * BoxBlurRows::Reach(SoftenWidth(bevel));
}

BevelRows::BevelRows(std::unique_ptr<CoverageRows> input, const LayerEffect& e)
    : width_(std::max(input->Width(), 0)), left_(input->Left())
{
    using Style = BevelSettings::Style;
    using Technique = BevelSettings::Technique;
    const BevelSettings& b = e.bevel;
    sides_ = b.style == Style::Inner                                    ? Sides::Inside
             : b.style == Style::Outer || b.style == Style::StrokeEmboss ? Sides::Outside
                                                                         : Sides::Both;
    // The chain reads at most its reach and a row per stage ahead of the row drawn.
    held_ = new Held(std::move(input), int64_t(Reach(e)) + 16);
    std::unique_ptr<CoverageRows> height(held_);

    const double w = RampWidth(e);
    if (b.technique == Technique::Smooth) {
        height.reset(new BoxBlurRows(std::move(height), w));
        height.reset(new BoxBlurRows(std::move(height), w));
    } else {
        height.reset(new ChiselRows(std::move(height), w));
        if (b.technique == Technique::ChiselSoft) {
            height.reset(new BoxBlurRows(std::move(height), RoundingWidth(w)));
            height.reset(new BoxBlurRows(std::move(height), RoundingWidth(w)));
        }
    }

    ShadeRows::Light light;
    const double depth = Within(b.depth, 0.01, 10, 1);
    const double rise = b.technique == Technique::Smooth ? kSmoothRise : kChiselRise;
    light.rise = rise * w * depth * (b.up ? 1 : -1);
    const double angle = (std::isfinite(e.angle) ? e.angle : 90) * kPi / 180;
    const double altitude = Within(b.altitude, 0, 90, 30) * kPi / 180;
    light.x = std::cos(angle) * std::cos(altitude);
    light.y = -std::sin(angle) * std::cos(altitude);
    light.z = std::sin(altitude);
    light.flat = std::min(std::max(light.z, 0.0), 1.0);
    if (!b.gloss.linear) {
        light.glossed = true;
        light.gloss = b.gloss;
        light.flat = b.gloss.At(static_cast<float>(light.flat));
    }
    if (b.useContour && !b.contour.linear) {
        light.contoured = true;
        light.contour = b.contour;
    }
    light.fold = b.style == Style::PillowEmboss;
    chain_.reset(new ShadeRows(std::move(height), light));
    // Softening blurs the signed strength: where it is flat, 0.5 stays. The blur takes the
    // columns beyond the input's as 0, which its two reaches in from either end show; the
    // bevel does not reach them.
    const double soften = SoftenWidth(e);
    if (BoxBlurRows::Reach(soften) > 0) {
        chain_.reset(new BoxBlurRows(std::move(chain_), soften));
        chain_.reset(new BoxBlurRows(std::move(chain_), soften));
        ends_ = std::min(2 * BoxBlurRows::Reach(soften), width_);
    }
    highlight_.assign(width_, 0.0f);
    shadow_.assign(width_, 0.0f);
}

BevelRows::~BevelRows() = default;

void BevelRows::Row(int64_t y, const float*& highlight, const float*& shadow)
{
    highlight = highlight_.data();
    shadow = shadow_.data();
    if (y <= last_)
        return;
    last_ = y;
    const float* strength = chain_->Row(y);
    const uint8_t* sides = held_->Sides(y);
    for (int32_t x = 0; x < width_; ++x) {
        const float s = 2 * strength[x] - 1;
        bool drawn = x >= ends_ && x < width_ - ends_;
        if (sides_ == Sides::Inside)
            drawn = drawn && sides && sides[x] != 0;
        else if (sides_ == Sides::Outside)
            drawn = drawn && sides && sides[x] != 2;
        highlight_[x] = drawn ? std::max(s, 0.0f) : 0.0f;
        shadow_[x] = drawn ? std::max(-s, 0.0f) : 0.0f;
    }
}

}  // namespace render
}  // namespace sdk
