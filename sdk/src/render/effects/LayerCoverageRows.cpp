#include "render/effects/LayerCoverageRows.h"

#include <algorithm>
#include <limits>

namespace sdk {
namespace render {

LayerCoverageRows::LayerCoverageRows(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left,
                                     int32_t width, PatternTiles& tiles)
    : left_(left), width_(std::max(width, 0)), row_(static_cast<size_t>(width_))
{
    using Kind = graphic::PsdLayerProperties::Kind;
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(index).properties;
    if ((properties.kind == Kind::Shape || properties.kind == Kind::Fill) &&
        properties.hasVectorMask && !properties.vectorMask.disabled) {
        shape_.reset(new MaskCoverage(loader, index, left, width_, true));
    } else {
        look_.reset(new LayerLook(loader, index, left, width_, tiles));
        content_.resize(static_cast<size_t>(width_) * 4);
    }
}

const float* LayerCoverageRows::Row(int64_t y)
{
    if (y == last_)
        return row_.data();
    last_ = y;
    std::fill(row_.begin(), row_.end(), 0.0f);
    // Rows beyond what a document's row numbers reach hold nothing.
    if (y < std::numeric_limits<int32_t>::min() || y > std::numeric_limits<int32_t>::max())
        return row_.data();
    if (shape_) {
        std::fill(row_.begin(), row_.end(), 1.0f);
        shape_->Apply(static_cast<int32_t>(y), row_.data(), 0, width_);
        return row_.data();
    }
    // The look writes only its span; what lies beyond was cleared above.
    look_->Row(static_cast<int32_t>(y), 1.0f, true, content_.data(), row_.data());
    return row_.data();
}

}  // namespace render
}  // namespace sdk
