#include "render/compose/LayerAsShown.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/compose/ComposedRows.h"
#include "render/compose/Compositor.h"
#include "render/compose/RenderPlan.h"
#include "render/effects/LayerEffects.h"
#include "render/effects/LayerStyle.h"

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

// The group (or the document) whose children include layer index, or nullptr.
const PsdLayerNode* ParentOf(const PsdLayerNode& parent, int32_t index)
{
    for (const PsdLayerNode& child : parent.children) {
        if (child.layer == index)
            return &parent;
        if (child.group) {
            if (const PsdLayerNode* found = ParentOf(child, index))
                return found;
        }
    }
    return nullptr;
}

// The visible adjustment layers clipped above layer index in its clipping group, bottom first,
// planned over the columns left .. left + width - 1: they are part of how the layer looks.
std::vector<PlanNode> AdjustmentsAbove(graphic::ImageLoaderPSD& loader, int32_t index,
                                       int32_t left, int32_t width)
{
    std::vector<PlanNode> adjustments;
    const PsdLayerNode* parent = ParentOf(loader.LayerTree(), index);
    if (!parent)
        return adjustments;
    bool above = false;
    for (const PsdLayerNode& sibling : parent->children) {
        if (sibling.layer == index) {
            above = true;
            continue;
        }
        if (!above)
            continue;
        const graphic::PsdLayerProperties& properties = loader.LayerRecord(sibling.layer).properties;
        if (!properties.clipping)
            break;
        if (properties.visible && properties.kind == graphic::PsdLayerProperties::Kind::Adjustment) {
            PlanNode plan = PlanNodeAlone(loader, sibling, left, width);
            if (plan.adjustment)
                adjustments.push_back(std::move(plan));
        }
    }
    return adjustments;
}

// The pixels of the layers below node, counted by their rectangles up to kManyPixels (far
// beyond any picture a group may have): those the plan draws, and the others, which are
// collected.
const int64_t kManyPixels = int64_t(1) << 50;

void DrawnLayers(const PlanNode& plan, std::set<int32_t>& layers)
{
    if (!plan.group)
        layers.insert(plan.layer);
    for (const PlanNode& child : plan.children)
        DrawnLayers(child, layers);
    for (const PlanNode& clipped : plan.clipped)
        DrawnLayers(clipped, layers);
}

void CountLayerPixels(const PsdLayerNode& node, const std::set<int32_t>& drawnLayers,
                      int64_t& drawn, int64_t& others, std::vector<int32_t>& undrawn)
{
    for (const PsdLayerNode& child : node.children) {
        if (child.group) {
            CountLayerPixels(child, drawnLayers, drawn, others, undrawn);
            continue;
        }
        const int64_t pixels = std::min(child.area.Width() * child.area.Height(), kManyPixels);
        if (drawnLayers.count(child.layer) != 0) {
            drawn = std::min(drawn + pixels, kManyPixels);
        } else if (pixels > 0) {
            others = std::min(others + pixels, kManyPixels);
            undrawn.push_back(child.layer);
        }
    }
}

// Whether the group's picture holds no more pixels than the document and the group's layers
// together, so that two small layers far apart give no picture of a size the file never
// described. Layers the picture draws have their rows decoded as it is drawn, which fails for a
// rectangle the file holds no pixels for; the others (hidden ones, say) count only once their
// rows are decoded here.
bool PictureIsBacked(graphic::ImageLoaderPSD& loader, const PsdLayerNode& node, const PlanNode& plan)
{
    const graphic::PsdLayerArea& area = node.area;
    const graphic::ImageLoaderPSD::info_t& canvas = loader.MergedRecord();
    const int64_t canvasPixels =
        static_cast<int64_t>(std::max(canvas.width, 0)) * std::max(canvas.height, 0);
    std::set<int32_t> drawnLayers;
    DrawnLayers(plan, drawnLayers);
    int64_t drawn = 0, others = 0;
    std::vector<int32_t> undrawn;
    CountLayerPixels(node, drawnLayers, drawn, others, undrawn);
    const int64_t pixels = area.Width() * area.Height();
    if (pixels <= canvasPixels + drawn)
        return true;
    if (pixels > canvasPixels + drawn + others)
        return false;
    for (int32_t layer : undrawn) {
        std::unique_ptr<graphic::RowSource> rows = loader.LayerRows(layer);
        for (int32_t y = 0; y < rows->Height(); ++y)
            rows->NextRow();
    }
    return true;
}

class AsShownRows : public graphic::RowSource {
public:
    // Rows over the rectangle x, y, width x height of the document; self is the node's plan over
    // those columns.
    AsShownRows(graphic::ImageLoaderPSD& loader, PlanNode self, const PsdLayerNode* base,
                int32_t x, int32_t y, int32_t width, int32_t height)
        : y_(y), width_(width), height_(height),
          channels_(loader.Format().outputColors + 1),
          sampleBytes_(loader.Format().drawSixteen ? 2 : 1),
          self_(std::move(self)), adjustments_(AdjustmentsAbove(loader, self_.layer, x, width)),
          drawing_(width, x), baseDrawing_(width, x),
          row_(static_cast<size_t>(width) * 4), strength_(static_cast<size_t>(width)),
          pixels_(static_cast<size_t>(width) * channels_ * sampleBytes_)
    {
        if (base)
            base_.reset(new PlanNode(PlanNodeAlone(loader, *base, x, width)));
    }

    int32_t Channels() const override { return channels_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t SampleBytes() const override { return sampleBytes_; }

    const uint8_t* NextRow() override
    {
        if (next_ >= height_)
            throw debug::logic_error("LayerAsShown::NextRow");
        const int32_t y = y_ + next_++;
        std::fill(row_.begin(), row_.end(), 0.0f);
        drawing_.DrawAlone(self_, y, row_.data());
        if (!adjustments_.empty())
            drawing_.ComposeList(adjustments_, y, row_.data());
        if (base_) {
            std::fill(strength_.begin(), strength_.end(), 0.0f);
            baseDrawing_.ClipStrength(*base_, y, strength_.data());
            for (size_t x = 0; x < strength_.size(); ++x) {
                for (int i = 0; i < 4; ++i)
                    row_[x * 4 + i] *= strength_[x];
            }
        }
        StoreStraightRow(row_.data(), width_, channels_, pixels_.data(), sampleBytes_);
        return pixels_.data();
    }

private:
    const int32_t y_, width_, height_;
    const int32_t channels_;
    const int32_t sampleBytes_;
    PlanNode self_;
    std::vector<PlanNode> adjustments_;  // clipped above self, part of its look
    std::unique_ptr<PlanNode> base_;
    Compositor drawing_;
    Compositor baseDrawing_;
    std::vector<float> row_;
    std::vector<float> strength_;
    std::vector<uint8_t> pixels_;
    int32_t next_ = 0;
};

// The hull of two areas (an empty one adds nothing).
graphic::PsdLayerArea Hull(const graphic::PsdLayerArea& a, const graphic::PsdLayerArea& b)
{
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// How far the effects of record index reach; nothing when their settings cannot be read
// (drawing them raises).
LayerStyle::Growth EffectsReach(graphic::ImageLoaderPSD& loader, int32_t index)
{
    try {
        return LayerStyle::ReachOf(ReadLayerEffects(loader, index));
    } catch (const debug::runtime_error&) {
        return LayerStyle::Growth();
    }
}

// area grown by reach, within the hull of the canvas and what the picture holds (held).
graphic::PsdLayerArea Grown(const graphic::ImageLoaderPSD& loader, const graphic::PsdLayerArea& area,
                            const LayerStyle::Growth& reach, const graphic::PsdLayerArea& held)
{
    const graphic::ImageLoaderPSD::info_t& canvas = loader.MergedRecord();
    const graphic::PsdLayerArea bounds =
        Hull(held, {0, 0, std::max(canvas.width, 0), std::max(canvas.height, 0)});
    return {std::max(bounds.left, area.left - reach.left),
            std::max(bounds.top, area.top - reach.top),
            std::min(bounds.right, area.right + reach.right),
            std::min(bounds.bottom, area.bottom + reach.bottom)};
}

graphic::PsdLayerArea GroupArea(graphic::ImageLoaderPSD& loader, const PsdLayerNode& node);

// What the effects of the visible layers below parent reach.
graphic::PsdLayerArea ChildrenWithEffects(graphic::ImageLoaderPSD& loader, const PsdLayerNode& parent)
{
    graphic::PsdLayerArea area;
    for (const PsdLayerNode& child : parent.children) {
        const graphic::PsdLayerProperties& properties = loader.LayerRecord(child.layer).properties;
        if (!properties.visible)
            continue;
        if (child.group)
            area = Hull(area, GroupArea(loader, child));
        else if (properties.hasEffects)
            area = Hull(area, LayerAreaWithEffects(loader, child.layer));
    }
    return area;
}

// GroupAreaAsShown of group node.
graphic::PsdLayerArea GroupArea(graphic::ImageLoaderPSD& loader, const PsdLayerNode& node)
{
    if (node.area.Empty())
        return graphic::PsdLayerArea();
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(node.layer).properties;
    // An artboard shows nothing beyond its own rectangle.
    if (properties.artboard.present)
        return node.area;
    const graphic::PsdLayerArea area = Hull(node.area, ChildrenWithEffects(loader, node));
    const LayerStyle::Growth reach =
        properties.hasEffects ? EffectsReach(loader, node.layer) : LayerStyle::Growth();
    return Grown(loader, area, reach, node.area);
}

}  // namespace

graphic::PsdLayerArea LayerAreaAsShown(const graphic::ImageLoaderPSD& loader, int32_t index)
{
    const graphic::ImageLoaderPSD::info_t& record = loader.LayerRecord(index);
    graphic::PsdLayerArea area;
    if (record.width > 0 && record.height > 0) {
        area = {record.x, record.y, static_cast<int64_t>(record.x) + record.width,
                static_cast<int64_t>(record.y) + record.height};
        return area;
    }
    if (!LayerLook::DrawsFill(record))
        return area;
    const graphic::ImageLoaderPSD::info_t& canvas = loader.MergedRecord();
    const graphic::PsdLayerArea whole{0, 0, std::max(canvas.width, 0), std::max(canvas.height, 0)};
    const graphic::PsdVectorMask& mask = record.properties.vectorMask;
    if (!record.properties.hasVectorMask || mask.disabled || mask.invert || mask.startsFilled)
        return whole;
    // The points of the path, controls and all, bound its curves.
    double left = 0, top = 0, right = 0, bottom = 0;
    bool first = true;
    for (const graphic::PsdSubpath& subpath : mask.subpaths) {
        for (const graphic::PsdPathKnot& knot : subpath.knots) {
            for (const graphic::PsdPathPoint& point : {knot.before, knot.anchor, knot.after}) {
                const double x = point.x * whole.right, y = point.y * whole.bottom;
                left = first ? x : std::min(left, x);
                top = first ? y : std::min(top, y);
                right = first ? x : std::max(right, x);
                bottom = first ? y : std::max(bottom, y);
                first = false;
            }
        }
    }
    if (first)
        return whole;
    area.left = std::max<int64_t>(whole.left, static_cast<int64_t>(std::floor(std::max(left, -1.0))));
    area.top = std::max<int64_t>(whole.top, static_cast<int64_t>(std::floor(std::max(top, -1.0))));
    area.right = std::min<int64_t>(
        whole.right, static_cast<int64_t>(std::ceil(std::min(right, whole.right + 1.0))));
    area.bottom = std::min<int64_t>(
        whole.bottom, static_cast<int64_t>(std::ceil(std::min(bottom, whole.bottom + 1.0))));
    return area.Empty() ? graphic::PsdLayerArea() : area;
}

graphic::PsdLayerArea LayerAreaWithEffects(graphic::ImageLoaderPSD& loader, int32_t index)
{
    const graphic::PsdLayerArea area = LayerAreaAsShown(loader, index);
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(index).properties;
    if (area.Empty() || !properties.hasEffects ||
        properties.kind == graphic::PsdLayerProperties::Kind::Group)
        return area;
    return Grown(loader, area, EffectsReach(loader, index), area);
}

namespace {

// A layer's stored rows, of the samples the loader draws with.
std::unique_ptr<graphic::RowSource> StoredRows(graphic::ImageLoaderPSD& loader, int32_t index)
{
    return loader.Format().drawSixteen ? loader.LayerRows16(index) : loader.LayerRows(index);
}

}  // namespace

std::unique_ptr<graphic::RowSource> LayerAsShown(graphic::ImageLoaderPSD& loader, int32_t index)
{
    using Kind = graphic::PsdLayerProperties::Kind;
    using Section = graphic::PsdLayerProperties::Section;
    const PsdLayerNode& root = loader.LayerTree();
    const graphic::ImageLoaderPSD::info_t& record = loader.LayerRecord(index);
    const graphic::PsdLayerProperties& properties = record.properties;
    const graphic::PsdLayerArea area = LayerAreaWithEffects(loader, index);
    if (properties.kind == Kind::Group || properties.kind == Kind::Adjustment ||
        properties.section != Section::None || area.Empty() ||
        area.Width() > graphic::kMaxRowWidth)
        return StoredRows(loader, index);
    const PsdLayerNode* node = nullptr;
    const PsdLayerNode* base = nullptr;
    if (!FindWithBase(root, index, node, base, loader))
        return StoredRows(loader, index);
    // The layer's own decode is checked before anything is drawn, as its stored rows would be.
    if (record.width > 0 && record.height > 0)
        loader.LayerRows(index);
    const int32_t left = static_cast<int32_t>(area.left), top = static_cast<int32_t>(area.top);
    const int32_t width = static_cast<int32_t>(area.Width());
    return std::unique_ptr<graphic::RowSource>(
        new AsShownRows(loader, PlanNodeAlone(loader, *node, left, width), base, left, top,
                        width, static_cast<int32_t>(area.Height())));
}

graphic::PsdLayerArea GroupAreaAsShown(graphic::ImageLoaderPSD& loader, int32_t index)
{
    const PsdLayerNode* node = nullptr;
    const PsdLayerNode* base = nullptr;
    if (!FindWithBase(loader.LayerTree(), index, node, base, loader) || !node->group)
        return graphic::PsdLayerArea();
    return GroupArea(loader, *node);
}

std::unique_ptr<graphic::RowSource> GroupAsShown(graphic::ImageLoaderPSD& loader, int32_t index)
{
    const PsdLayerNode* node = nullptr;
    const PsdLayerNode* base = nullptr;
    if (!FindWithBase(loader.LayerTree(), index, node, base, loader) || !node->group)
        throw debug::logic_error("GroupAsShown:130");
    if (node->area.Empty())
        throw debug::runtime_error("Image::Create:59");
    const graphic::PsdLayerArea area = GroupAreaAsShown(loader, index);
    if (area.Width() > graphic::kMaxRowWidth || area.Height() > graphic::kMaxRowWidth)
        throw debug::runtime_error("GroupAsShown:140");
    const int32_t left = static_cast<int32_t>(area.left);
    const int32_t width = static_cast<int32_t>(area.Width());
    PlanNode plan = PlanNodeAlone(loader, *node, left, width);
    if (!PictureIsBacked(loader, *node, plan))
        throw debug::runtime_error("GroupAsShown:140");
    return std::unique_ptr<graphic::RowSource>(
        new AsShownRows(loader, std::move(plan), base, left, static_cast<int32_t>(area.top),
                        width, static_cast<int32_t>(area.Height())));
}

}  // namespace render
}  // namespace sdk
