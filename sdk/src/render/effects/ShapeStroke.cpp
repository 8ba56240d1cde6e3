#include "render/effects/ShapeStroke.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "debug/Error.h"
#include "graphic/psd/PsdDescriptor.h"
#include "render/MaskCoverage.h"
#include "render/adjust/SettingsBytes.h"
#include "render/effects/LayerEffects.h"
#include "render/effects/StrokeBandRows.h"

namespace sdk {
namespace render {

namespace {

// The shape's path (and pixel mask) as coverage rows.
class PathRows : public CoverageRows {
public:
    PathRows(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left, int32_t width)
        : left_(left), width_(std::max(width, 0)), masks_(loader, index, left, width_, true),
          row_(static_cast<size_t>(width_))
    {
    }
    const float* Row(int64_t y) override
    {
        if (y == last_)
            return row_.data();
        last_ = y;
        std::fill(row_.begin(), row_.end(), 1.0f);
        if (y < INT32_MIN || y > INT32_MAX)
            std::fill(row_.begin(), row_.end(), 0.0f);
        else
            masks_.Apply(static_cast<int32_t>(y), row_.data(), 0, width_);
        return row_.data();
    }
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return left_; }

private:
    const int32_t left_;
    const int32_t width_;
    MaskCoverage masks_;
    std::vector<float> row_;
    int64_t last_ = INT64_MIN;
};

}  // namespace

std::unique_ptr<CoverageRows> ShapeStrokeRows(graphic::ImageLoaderPSD& loader, int32_t index,
                                              int32_t left, int32_t width)
{
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(index).properties;
    if (!properties.hasVectorMask || properties.vectorMask.disabled)
        return nullptr;
    std::vector<uint8_t> block;
    graphic::PsdDescriptorValue settings;
    try {
        if (!loader.LayerBlock(index, "vstk", block))
            return nullptr;
        size_t at = 0;
        settings = graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at,
                                                       kDamagedSettings);
    } catch (const debug::runtime_error&) {
        return nullptr;
    }
    const double lineWidth = settings.Number("strokeStyleLineWidth", 0);
    if (!settings.Bool("strokeEnabled", false) || !std::isfinite(lineWidth) || !(lineWidth > 0))
        return nullptr;
    const std::string alignment = settings.Text("strokeStyleLineAlignment");
    using Position = LayerEffect::StrokePosition;
    const Position position = alignment == "strokeStyleAlignInside"    ? Position::Inside
                              : alignment == "strokeStyleAlignOutside" ? Position::Outside
                                                                       : Position::Centre;
    const double strokeWidth = std::min(lineWidth, 250.0);
    const int32_t reach = static_cast<int32_t>(std::ceil(strokeWidth)) + 2;
    std::unique_ptr<CoverageRows> path(
        new PathRows(loader, index, left - reach, std::max(width, 0) + 2 * reach));
    if (position != Position::Centre)
        return std::unique_ptr<CoverageRows>(new StrokeBandRows(std::move(path), position, strokeWidth));
    // A centred stroke: half outside the path, half inside, summed.
    class Both : public CoverageRows {
    public:
        Both(std::unique_ptr<CoverageRows> outside, std::unique_ptr<CoverageRows> inside)
            : outside_(std::move(outside)), inside_(std::move(inside)),
              row_(static_cast<size_t>(outside_->Width()))
        {
        }
        const float* Row(int64_t y) override
        {
            const float* a = outside_->Row(y);
            const float* b = inside_->Row(y);
            for (size_t x = 0; x < row_.size(); ++x)
                row_[x] = std::min(1.0f, a[x] + b[x]);
            return row_.data();
        }
        int32_t Width() const override { return outside_->Width(); }
        int32_t Left() const override { return outside_->Left(); }

    private:
        std::unique_ptr<CoverageRows> outside_, inside_;
        std::vector<float> row_;
    };
    std::unique_ptr<CoverageRows> inside(
        new PathRows(loader, index, left - reach, std::max(width, 0) + 2 * reach));
    return std::unique_ptr<CoverageRows>(
        new Both(std::unique_ptr<CoverageRows>(
                     new StrokeBandRows(std::move(path), Position::Outside, strokeWidth / 2)),
                 std::unique_ptr<CoverageRows>(
                     new StrokeBandRows(std::move(inside), Position::Inside, strokeWidth / 2))));
}

}  // namespace render
}  // namespace sdk
