#include "render/effects/LayerCoverageRows.h"

#include <algorithm>
#include <limits>

namespace sdk {
namespace render {

LayerCoverageRows::LayerCoverageRows(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left,
                                     int32_t width, PatternTiles& tiles)
    : left_(left), width_(std::max(width, 0)), look_(loader, index, left, width_, tiles),
      row_(static_cast<size_t>(width_)), content_(static_cast<size_t>(width_) * 4)
{
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
    const Span span =
        look_.Row(static_cast<int32_t>(y), 1.0f, true, content_.data(), row_.data());
    // The look writes only its span; what lies beyond was cleared above.
    (void)span;
    return row_.data();
}

}  // namespace render
}  // namespace sdk
