#include "render/compose/GroupCoverageRows.h"

#include <algorithm>
#include <limits>

namespace sdk {
namespace render {

GroupCoverageRows::GroupCoverageRows(graphic::ImageLoaderPSD& loader,
                                     const graphic::PsdLayerNode& node, int32_t left, int32_t width)
    : left_(left), width_(std::max(width, 0)),
      plan_(PlanNodeAlone(loader, node, left, width_, false)), drawing_(width_, left),
      row_(static_cast<size_t>(width_))
{
}

const float* GroupCoverageRows::Row(int64_t y)
{
    if (y == last_)
        return row_.data();
    last_ = y;
    std::fill(row_.begin(), row_.end(), 0.0f);
    if (y >= plan_.top && y < plan_.bottom && y >= std::numeric_limits<int32_t>::min() &&
        y <= std::numeric_limits<int32_t>::max())
        drawing_.Coverage(plan_, static_cast<int32_t>(y), row_.data());
    return row_.data();
}

}  // namespace render
}  // namespace sdk
