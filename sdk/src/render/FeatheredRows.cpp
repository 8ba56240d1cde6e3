#include "render/FeatheredRows.h"

#include <algorithm>
#include <cmath>

namespace sdk {
namespace render {

double FeatheredRows::Sigma(double radius)
{
    // Fitted on the corpus' feathered masks (2, 3 and 6 pixels): the radius is the standard
    // deviation, within 0.65 levels RMS; 0.9 or 1.1 times it is off by 1 to 2 levels.
    return radius;
}

namespace {

double ClampedSigma(double radius)
{
    return FeatheredRows::Sigma(std::min(std::max(radius, 0.0), 1000.0));
}

// The radii of three boxes whose widths make a Gaussian of standard deviation sigma.
void BoxRadii(double sigma, int32_t (&radii)[3])
{
    const int n = 3;
    int lower = static_cast<int>(std::floor(std::sqrt(12 * sigma * sigma / n + 1)));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(lower, 1);
    const int upper = lower + 2;
    const int smaller = static_cast<int>(std::lround(
        (12 * sigma * sigma - n * lower * lower - 4 * n * lower - 3 * n) / (-4.0 * lower - 4)));
    for (int i = 0; i < n; ++i)
        radii[i] = ((i < smaller ? lower : upper) - 1) / 2;
}

}  // namespace

int32_t FeatheredRows::ReachOf(double radius)
{
    const double sigma = ClampedSigma(radius);
    if (sigma <= kExactSigma)
        return static_cast<int32_t>(std::ceil(3 * sigma));
    int32_t radii[3];
    BoxRadii(sigma, radii);
    return radii[0] + radii[1] + radii[2];
}

FeatheredRows::FeatheredRows(double radius, int32_t width, Source source)
    : width_(width), source_(std::move(source))
{
    const double sigma = ClampedSigma(radius);
    reach_ = ReachOf(radius);
    if (sigma <= kExactSigma) {
        double total = 0;
        for (int32_t i = -reach_; i <= reach_; ++i) {
            const double weight = sigma > 0 ? std::exp(-0.5 * i * i / (sigma * sigma)) : 1;
            weights_.push_back(static_cast<float>(weight));
            total += weight;
        }
        for (float& weight : weights_)
            weight = static_cast<float>(weight / total);
        rows_.assign(weights_.size(), std::vector<float>(static_cast<size_t>(width_)));
        across_.resize(static_cast<size_t>(width_) + 2 * static_cast<size_t>(reach_));
        out_.resize(static_cast<size_t>(width_));
        return;
    }
    BoxRadii(sigma, radii_);
    const int n = 3;
    const size_t extended = static_cast<size_t>(width_) + 2 * static_cast<size_t>(reach_);
    for (int i = 0; i < n; ++i) {
        Stage stage;
        stage.radius = radii_[i];
        stage.ring.assign(static_cast<size_t>(2 * radii_[i] + 1), std::vector<float>(width_));
        stage.sum.assign(static_cast<size_t>(width_), 0.0);
        stages_.push_back(std::move(stage));
    }
    across_.resize(extended);
    prefix_.resize(extended + 1);
    out_.resize(static_cast<size_t>(width_));
}

void FeatheredRows::BlurAcross(std::vector<float>& row)
{
    // Each box takes the mean of 2 r + 1 values; what it gives is r columns narrower on each
    // side, so after the three the window's columns remain, at the front of row.
    size_t length = row.size();
    std::vector<double>& prefix = prefix_;
    for (int i = 0; i < 3; ++i) {
        const int32_t r = radii_[i];
        prefix[0] = 0;
        for (size_t x = 0; x < length; ++x)
            prefix[x + 1] = prefix[x] + row[x];
        const size_t out = length - 2 * static_cast<size_t>(r);
        const double scale = 1.0 / (2 * r + 1);
        for (size_t x = 0; x < out; ++x)
            row[x] = static_cast<float>((prefix[x + 2 * r + 1] - prefix[x]) * scale);
        length = out;
    }
}

void FeatheredRows::WeighAcross(std::vector<float>& row)
{
    const size_t taps = weights_.size();
    for (int32_t x = 0; x < width_; ++x) {
        double sum = 0;
        for (size_t i = 0; i < taps; ++i)
            sum += weights_[i] * row[static_cast<size_t>(x) + i];
        row[x] = static_cast<float>(sum);
    }
}

bool FeatheredRows::WeighDown(const float* in)
{
    const size_t taps = weights_.size();
    std::copy(in, in + width_, rows_[static_cast<size_t>(taken_ % static_cast<int64_t>(taps))].begin());
    ++taken_;
    if (taken_ < static_cast<int64_t>(taps))
        return false;
    std::fill(out_.begin(), out_.end(), 0.0f);
    for (size_t i = 0; i < taps; ++i) {
        // The oldest row of the ring first.
        const std::vector<float>& row = rows_[static_cast<size_t>((taken_ + i) % taps)];
        const float weight = weights_[i];
        for (int32_t x = 0; x < width_; ++x)
            out_[x] += weight * row[x];
    }
    return true;
}

bool FeatheredRows::Feed(int32_t y)
{
    std::fill(across_.begin(), across_.end(), 0.0f);
    source_(y, across_.data());
    if (!weights_.empty()) {
        WeighAcross(across_);
        return WeighDown(across_.data());
    }
    BlurAcross(across_);
    // Down: each stage keeps its last 2 r + 1 rows and their sum, and gives their mean as the
    // row r above the one taken in.
    const float* in = across_.data();
    for (Stage& stage : stages_) {
        const size_t slots = stage.ring.size();
        std::vector<float>& slot = stage.ring[static_cast<size_t>(stage.taken % slots)];
        for (int32_t x = 0; x < width_; ++x) {
            if (stage.taken >= static_cast<int64_t>(slots))
                stage.sum[x] -= slot[x];
            slot[x] = in[x];
            stage.sum[x] += in[x];
        }
        ++stage.taken;
        if (stage.taken < static_cast<int64_t>(slots))
            return false;
        const double scale = 1.0 / slots;
        for (int32_t x = 0; x < width_; ++x)
            out_[x] = static_cast<float>(stage.sum[x] * scale);
        in = out_.data();
    }
    return true;
}

const float* FeatheredRows::Row(int32_t y)
{
    if (!started_) {
        // A row's blur takes the rows reach above and below it.
    
        started_ = true;
        nextSource_ = y - reach_;
        lastRow_ = y - 1;
        while (nextSource_ < y + reach_)
            Feed(nextSource_++);
    }
    while (lastRow_ < y) {
        Feed(nextSource_++);
        ++lastRow_;
    }
    return out_.data();
}

}  // namespace render
}  // namespace sdk
