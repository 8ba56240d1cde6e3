// A group's coverage as rows for its effects: its layers composed apart from the document (the
// alpha of what they make, times the group's masks), through a plan and decoders of its own, so
// that an effect can look ahead of the row being composed. The layers' own effects are left out
// of it, so that nested groups with effects open decoders in proportion to their effects, not
// to a power of them.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/compose/Compositor.h"
#include "render/compose/RenderPlan.h"
#include "render/effects/CoverageRows.h"

namespace sdk {
namespace render {

class GroupCoverageRows : public CoverageRows {
public:
    // The coverage of group node (without effects) over the document's columns left ..
    // left + width - 1.
    GroupCoverageRows(graphic::ImageLoaderPSD& loader, const graphic::PsdLayerNode& node,
                      int32_t left, int32_t width);
    const float* Row(int64_t y) override;
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return left_; }

private:
    const int32_t left_;
    const int32_t width_;
    PlanNode plan_;
    Compositor drawing_;
    std::vector<float> row_;
    int64_t last_ = INT64_MIN;
};

}  // namespace render
}  // namespace sdk
