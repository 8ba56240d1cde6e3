#include "render/LayerAsShown.h"

#include <algorithm>
#include <vector>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/PsdLayerTree.h"
#include "render/ComposedRows.h"
#include "render/Compositor.h"
#include "render/RenderPlan.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdLayerNode;

// The node of layer index and the node its clipping group rests on (nullptr when it is not
// clipped), searched in the tree below parent.
bool FindWithBase(const PsdLayerNode& parent, int32_t index, const PsdLayerNode*& node,
                  const PsdLayerNode*& base, const graphic::ImageLoaderPSD& loader)
{
    const PsdLayerNode* below = nullptr;  // the last unclipped sibling so far
    for (const PsdLayerNode& child : parent.children) {
        const bool clipped = loader.LayerRecord(child.layer).properties.clipping && below;
        if (child.layer == index) {
            node = &child;
            base = clipped ? below : nullptr;
            return true;
        }
        if (!clipped)
            below = &child;
        if (child.group && FindWithBase(child, index, node, base, loader))
            return true;
    }
    return false;
}

class AsShownRows : public graphic::RowSource {
public:
    AsShownRows(graphic::ImageLoaderPSD& loader, const PsdLayerNode& node, const PsdLayerNode* base)
        : record_(loader.LayerRecord(node.layer)), channels_(loader.Format().outputColors + 1),
          self_(PlanNodeAlone(loader, node, record_.x, record_.width)),
          drawing_(record_.width), baseDrawing_(record_.width),
          row_(static_cast<size_t>(record_.width) * 4),
          strength_(static_cast<size_t>(record_.width)),
          pixels_(static_cast<size_t>(record_.width) * channels_)
    {
        if (base)
            base_.reset(new PlanNode(PlanNodeAlone(loader, *base, record_.x, record_.width)));
    }

    int32_t Channels() const override { return channels_; }
    int32_t Width() const override { return record_.width; }
    int32_t Height() const override { return record_.height; }

    const uint8_t* NextRow() override
    {
        if (next_ >= record_.height)
            throw debug::logic_error("LayerAsShown::NextRow");
        const int32_t y = record_.y + next_++;
        std::fill(row_.begin(), row_.end(), 0.0f);
        drawing_.DrawAlone(self_, y, row_.data());
        if (base_) {
            std::fill(strength_.begin(), strength_.end(), 0.0f);
            baseDrawing_.ClipStrength(*base_, y, strength_.data());
            for (size_t x = 0; x < strength_.size(); ++x) {
                for (int i = 0; i < 4; ++i)
                    row_[x * 4 + i] *= strength_[x];
            }
        }
        StoreStraightRow(row_.data(), record_.width, channels_, pixels_.data());
        return pixels_.data();
    }

private:
    const graphic::ImageLoaderPSD::info_t& record_;
    const int32_t channels_;
    PlanNode self_;
    std::unique_ptr<PlanNode> base_;
    Compositor drawing_;
    Compositor baseDrawing_;
    std::vector<float> row_;
    std::vector<float> strength_;
    std::vector<uint8_t> pixels_;
    int32_t next_ = 0;
};

}  // namespace

std::unique_ptr<graphic::RowSource> LayerAsShown(graphic::ImageLoaderPSD& loader, int32_t index)
{
    using Kind = graphic::PsdLayerProperties::Kind;
    using Section = graphic::PsdLayerProperties::Section;
    const PsdLayerNode& root = loader.LayerTree();
    const graphic::ImageLoaderPSD::info_t& record = loader.LayerRecord(index);
    const graphic::PsdLayerProperties& properties = record.properties;
    if (properties.kind == Kind::Group || properties.kind == Kind::Adjustment ||
        properties.section != Section::None || record.width <= 0 || record.height <= 0 ||
        record.width > graphic::kMaxRowWidth)
        return loader.LayerRows(index);
    const PsdLayerNode* node = nullptr;
    const PsdLayerNode* base = nullptr;
    if (!FindWithBase(root, index, node, base, loader))
        return loader.LayerRows(index);
    // The layer's own decode is checked before anything is drawn, as its stored rows would be.
    loader.LayerRows(index);
    return std::unique_ptr<graphic::RowSource>(new AsShownRows(loader, *node, base));
}

}  // namespace render
}  // namespace sdk
