#include "render/effects/BoxBlurRows.h"

#include <algorithm>
#include <cmath>

namespace sdk {
namespace render {

namespace {

void Split(double width, int32_t& whole, float& end)
{
    // w = 2 whole + 1 + 2 end, end in 0 .. 1.
    const double rest = std::max(width, 1.0) - 1;
    whole = static_cast<int32_t>(std::floor(rest / 2));
    end = static_cast<float>((rest - 2.0 * whole) / 2);
}

}  // namespace

int32_t BoxBlurRows::Reach(double width)
{
    if (!(width >= 1))
        return 0;
    int32_t whole = 0;
    float end = 0;
    Split(width, whole, end);
    return whole + (end > 0 ? 1 : 0);
}

BoxBlurRows::BoxBlurRows(std::unique_ptr<CoverageRows> input, double width, Shape shape)
    : input_(std::move(input)), width_(input_->Width()), shape_(shape), pass_(!(width >= 1))
{
    if (pass_)
        return;
    Split(width, whole_, end_);
    const double w = 2.0 * whole_ + 1 + 2.0 * end_;
    scale_ = 1 / (w * w);
    gain_ = static_cast<float>(w);
    count_ = 2 * static_cast<int64_t>(whole_) + 3;
    ring_.resize(static_cast<size_t>(count_) * width_);
    empty_.assign(static_cast<size_t>(count_), 1);
    sums_.resize(static_cast<size_t>(width_));
    out_.resize(static_cast<size_t>(width_));
}

void BoxBlurRows::Load(int64_t r)
{
    float* slot = Ring(r);
    uint8_t& empty = empty_[Slot(r)];
    nonEmpty_ -= empty ? 0 : 1;
    const float* in = input_->Row(r);
    bool any = false;
    for (int32_t x = 0; x < width_ && !any; ++x)
        any = in[x] != 0.0f;
    empty = any ? 0 : 1;
    if (!any) {
        std::fill(slot, slot + width_, 0.0f);
        return;
    }
    ++nonEmpty_;
    // The sum of the whole pixels around x runs along the row: the pixel entering on the
    // right is added, the one leaving on the left taken away.
    const int32_t k = whole_;
    const auto at = [&](int64_t x) { return x >= 0 && x < width_ ? in[x] : 0.0f; };
    double sum = 0;
    for (int32_t x = 0; x <= k && x < width_; ++x)
        sum += in[x];
    // Near the ends of the row the box reaches beyond it; between them it never does.
    const int32_t inner = std::min<int32_t>(k + 1, width_);
    const int32_t outer = std::max<int32_t>(inner, width_ - k - 2);
    int32_t x = 0;
    for (; x < inner; ++x) {
        slot[x] = static_cast<float>(sum) + end_ * (at(int64_t(x) - k - 1) + at(int64_t(x) + k + 1));
        sum += static_cast<double>(at(int64_t(x) + k + 1)) - at(int64_t(x) - k);
    }
    for (; x < outer; ++x) {
        slot[x] = static_cast<float>(sum) + end_ * (in[x - k - 1] + in[x + k + 1]);
        sum += static_cast<double>(in[x + k + 1]) - in[x - k];
    }
    for (; x < width_; ++x) {
        slot[x] = static_cast<float>(sum) + end_ * (at(int64_t(x) - k - 1) + at(int64_t(x) + k + 1));
        sum += static_cast<double>(at(int64_t(x) + k + 1)) - at(int64_t(x) - k);
    }
}

void BoxBlurRows::Restart(int64_t centre)
{
    centre_ = centre;
    started_ = true;
    std::fill(empty_.begin(), empty_.end(), 1);
    nonEmpty_ = 0;
    for (int64_t r = centre - whole_ - 1; r <= centre + whole_ + 1; ++r)
        Load(r);
    std::fill(sums_.begin(), sums_.end(), 0.0);
    for (int64_t r = centre - whole_; r <= centre + whole_; ++r) {
        if (empty_[Slot(r)])
            continue;
        const float* row = Ring(r);
        for (int32_t x = 0; x < width_; ++x)
            sums_[x] += row[x];
    }
}

const float* BoxBlurRows::Row(int64_t y)
{
    if (pass_)
        return input_->Row(y);
    const int64_t c = y;
    if (!started_ || c < centre_ || c - centre_ > count_) {
        if (started_ && c < centre_)
            return out_.data();  // rows are asked in ascending order
        Restart(c);
    } else {
        while (centre_ < c) {
            // The centre moves down a row: the row above the box leaves it, the row below
            // enters, and the next end row is read.
            const int64_t leaving = centre_ - whole_;
            const int64_t entering = centre_ + whole_ + 1;
            const bool leftEmpty = empty_[Slot(leaving)];
            const bool enterEmpty = empty_[Slot(entering)];
            if (!leftEmpty || !enterEmpty) {
                const float* out = Ring(leaving);
                const float* in = Ring(entering);
                for (int32_t x = 0; x < width_; ++x)
                    sums_[x] += static_cast<double>(in[x]) - out[x];
            }
            ++centre_;
            Load(centre_ + whole_ + 1);
        }
    }
    float* out = out_.data();
    if (nonEmpty_ == 0) {
        std::fill(out, out + width_, 0.0f);
        return out;
    }
    const float* above = Ring(centre_ - whole_ - 1);
    const float* below = Ring(centre_ + whole_ + 1);
    // The mean, then the shape's gain: out = offset + mean x factor, within 0 .. 1.
    const float factor = shape_ == Shape::Mean ? 1.0f : gain_;
    const float offset = shape_ == Shape::Shrink ? 1 - gain_ : 0.0f;
    const double scale = scale_;
    const double end = end_;
    const double* sums = sums_.data();
    for (int32_t x = 0; x < width_; ++x) {
        const double sum = sums[x] + end * (static_cast<double>(above[x]) + below[x]);
        const float value = offset + static_cast<float>(sum * scale) * factor;
        out[x] = std::min(std::max(value, 0.0f), 1.0f);
    }
    return out;
}

}  // namespace render
}  // namespace sdk
