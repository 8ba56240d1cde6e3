#include "render/MaskCoverage.h"

#include <algorithm>

namespace sdk {
namespace render {

MaskCoverage::MaskCoverage(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left,
                           int32_t width, bool vectorMask, int32_t firstRow)
    : index_(index), left_(left), width_(width),
      maskRows_([&loader, index](int32_t first) { return loader.LayerMaskRows(index, first); },
                loader.LayerRecord(index).properties.mask.height,
                OnDemandRows::StartOf(firstRow, loader.LayerRecord(index).properties.mask.y,
                                   loader.LayerRecord(index).properties.mask.height))
{
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(index).properties;
    const bool vectorApplies = vectorMask && properties.hasVectorMask &&
                               !properties.vectorMask.disabled;
    mask_ = properties.mask;
    // The editor keeps beside a vector mask a pixel mask made from it; the path itself is
    // drawn instead.
    pixelMask_ = mask_.present && !mask_.disabled &&
                 !(mask_.fromVectorData && properties.hasVectorMask);
    if (pixelMask_ && mask_.feather > 0) {
        const int32_t reach = FeatheredRows::ReachOf(mask_.feather);
        featheredPixels_.reset(new FeatheredRows(
            mask_.feather, width, [this, reach](int32_t y, float* row) {
                PixelMaskRow(y, static_cast<int64_t>(left_) - reach, width_ + 2 * reach, row);
            }));
    }
    if (vectorApplies) {
        const graphic::ImageLoaderPSD::info_t& merged = loader.MergedRecord();
        if (mask_.vectorFeather > 0) {
            // Drawn over the blur's reach beyond the window as well.
            const int32_t reach = FeatheredRows::ReachOf(mask_.vectorFeather);
            vectorMask_.reset(new VectorMaskRows(properties.vectorMask, merged.width,
                                                 merged.height, left - reach, width + 2 * reach));
            featheredVector_.reset(new FeatheredRows(
                mask_.vectorFeather, width,
                [this](int32_t y, float* row) { vectorMask_->Row(y, row); }));
        } else {
            vectorMask_.reset(new VectorMaskRows(properties.vectorMask, merged.width,
                                                 merged.height, left, width));
        }
        vectorRow_.resize(static_cast<size_t>(width));
    }
}

bool MaskCoverage::OpensAtAnyRow(const graphic::ImageLoaderPSD& loader) const
{
    return !pixelMask_ || loader.MaskOpensAtAnyRow(index_);
}

void MaskCoverage::PixelMaskRow(int32_t y, int64_t first, int32_t count, float* values)
{
    const int64_t row = static_cast<int64_t>(y) - mask_.y;
    const uint8_t* stored = row >= 0 && row < mask_.height ? maskRows_.Row(row) : nullptr;
    const float outside = mask_.defaultColor / 255.0f;
    for (int32_t i = 0; i < count; ++i) {
        const int64_t x = first + i - mask_.x;
        values[i] = stored && x >= 0 && x < mask_.width ? stored[x] / 255.0f : outside;
    }
}

MaskCoverage::~MaskCoverage() = default;

void MaskCoverage::Load(int32_t y)
{
    if (loaded_ && y == loadedRow_)
        return;
    loaded_ = true;
    loadedRow_ = y;
    maskValues_ = nullptr;
    if (featheredPixels_)
        featheredPixelRow_ = featheredPixels_->Row(y);
    else if (pixelMask_) {
        const int64_t row = static_cast<int64_t>(y) - mask_.y;
        const int64_t first = std::max<int64_t>(left_, mask_.x);
        const int64_t last = std::min<int64_t>(static_cast<int64_t>(left_) + width_,
                                               static_cast<int64_t>(mask_.x) + mask_.width);
        if (row >= 0 && row < mask_.height && first < last)
            maskValues_ = maskRows_.Row(row);
    }
    if (featheredVector_)
        featheredVectorRow_ = featheredVector_->Row(y);
    else if (vectorMask_)
        vectorMask_->Row(y, vectorRow_.data());
}

void MaskCoverage::Apply(int32_t y, float* coverage, int32_t from, int32_t to)
{
    Load(y);
    if (featheredPixelRow_) {
        const float density = mask_.density / 255.0f;
        for (int32_t x = from; x < to; ++x)
            coverage[x] *= 1.0f - density * (1.0f - featheredPixelRow_[x]);
    } else if (pixelMask_) {
        const float density = mask_.density / 255.0f;
        const float outside = 1.0f - density * (1.0f - mask_.defaultColor / 255.0f);
        // The mask's own columns within the window.
        const int64_t first = std::max<int64_t>(left_, mask_.x) - left_;
        const int64_t last = std::min<int64_t>(static_cast<int64_t>(left_) + width_,
                                               static_cast<int64_t>(mask_.x) + mask_.width) -
                             left_;
        for (int32_t x = from; x < to; ++x) {
            float value = outside;
            if (maskValues_ && x >= first && x < last)
                value = 1.0f - density *
                                   (1.0f - maskValues_[static_cast<int64_t>(x) + left_ - mask_.x] /
                                               255.0f);
            coverage[x] *= value;
        }
    }
    if (vectorMask_) {
        const float density = mask_.vectorDensity / 255.0f;
        const float* values = featheredVectorRow_ ? featheredVectorRow_ : vectorRow_.data();
        for (int32_t x = from; x < to; ++x)
            coverage[x] *= 1.0f - density * (1.0f - values[x]);
    }
}

}  // namespace render
}  // namespace sdk
