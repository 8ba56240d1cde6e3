#include "render/compose/RenderPlan.h"

#include <algorithm>
#include <limits>

#include "render/BlendRanges.h"
#include "render/compose/GroupCoverageRows.h"
#include "render/effects/LayerCoverageRows.h"
#include "render/adjust/LayerAdjustment.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdLayerNode;

using graphic::PsdLayerProperties;

class Planner {
public:
    // effects: whether the layers' and groups' effects are planned.
    Planner(graphic::ImageLoaderPSD& loader, int32_t left, int32_t width, bool effects = true,
            int32_t firstRow = 0)
        : loader_(loader), left_(left), width_(width), effects_(effects), firstRow_(firstRow)
    {
    }

    PlanNode Node(const PsdLayerNode& node)
    {
        const PsdLayerProperties& properties = loader_.LayerRecord(node.layer).properties;
        PlanNode plan;
        plan.layer = node.layer;
        plan.group = node.group;
        plan.properties = &properties;
        if (!BlendModeFromKey(properties.blendKey, plan.mode))
            plan.mode = BlendMode::Normal;
        plan.opacity = properties.opacity / 255.0f;
        plan.fill = node.group ? 1.0f : properties.fillOpacity / 255.0f;
        plan.blendRanges = HasBlendRanges(properties);
        plan.textGamma = properties.kind == PsdLayerProperties::Kind::Type && !node.group;
        // A gray document's one channel stands for all three.
        plan.restrictedChannels =
            gray_ ? ((properties.restrictedChannels & 1) ? 7 : 0) : properties.restrictedChannels & 7;
        if (node.group) {
            plan.children = List(node.children);
            plan.masks.reset(new MaskCoverage(loader_, node.layer, left_, width_, true, firstRow_));
            bool first = true;
            for (const PlanNode& child : plan.children) {
                // An adjustment changes what an isolated group holds, but adds nothing to it.
                if (child.adjustment && plan.mode != BlendMode::PassThrough)
                    continue;
                plan.columns = first ? child.columns : Hull(plan.columns, child.columns);
                plan.top = first ? child.top : std::min(plan.top, child.top);
                plan.bottom = first ? child.bottom : std::max(plan.bottom, child.bottom);
                first = false;
            }
            const graphic::PsdArtboard& artboard = properties.artboard;
            if (artboard.present) {
                // Its own rectangle, background and all, holds what it shows; it is composed
                // as an isolated group.
                if (plan.mode == BlendMode::PassThrough)
                    plan.mode = BlendMode::Normal;
                const int64_t from = std::max<int64_t>(artboard.left - int64_t(left_), 0);
                const int64_t to = std::min<int64_t>(artboard.right - int64_t(left_), width_);
                plan.columns = from < to ? Span{static_cast<int32_t>(from), static_cast<int32_t>(to)}
                                         : Span();
                plan.top = artboard.top;
                plan.bottom = artboard.bottom;
            }
            if (effects_ && properties.hasEffects && !plan.children.empty())
                GroupStyle(plan, node);
        } else if (properties.kind == PsdLayerProperties::Kind::Adjustment) {
            // It changes every column and row of what lies below it, cut by its masks.
            ++canvasLayers_;
            plan.adjustment = ReadLayerAdjustment(loader_, node.layer, gray_);
            plan.masks.reset(new MaskCoverage(loader_, node.layer, left_, width_, true, firstRow_));
            plan.columns = Span{0, width_};
            plan.top = std::numeric_limits<int32_t>::min();
            plan.bottom = std::numeric_limits<int32_t>::max();
        } else {
            plan.look.reset(new LayerLook(loader_, node.layer, left_, width_, tiles_, firstRow_));
            const graphic::ImageLoaderPSD::info_t& record = loader_.LayerRecord(node.layer);
            plan.columns = plan.look->Columns();
            plan.top = record.y;
            plan.bottom = static_cast<int64_t>(record.y) + std::max(record.height, 0);
            if (LayerLook::DrawsFill(record)) {
                ++canvasLayers_;
                plan.top = std::numeric_limits<int32_t>::min();
                plan.bottom = std::numeric_limits<int32_t>::max();
            }
            if (effects_ && properties.hasEffects)
                LayerStyleOf(plan, record);
        }
        return plan;
    }

    std::vector<PlanNode> List(const std::vector<PsdLayerNode>& nodes)
    {
        std::vector<PlanNode> list;
        bool baseShown = false;  // whether the layer that clipped layers sit on is composed
        bool haveBase = false;
        for (const PsdLayerNode& node : nodes) {
            const PsdLayerProperties& properties = loader_.LayerRecord(node.layer).properties;
            if (properties.clipping && haveBase) {
                // A pass-through group that layers are clipped to shows only where its own
                // layers have pixels: one holding nothing but adjustments changes nothing.
                if (baseShown && properties.visible && OnlyAdjusts(list.back())) {
                    list.pop_back();
                    baseShown = false;
                }
                if (baseShown && Shown(node)) {
                    PlanNode clipped = Node(node);
                    if (Drawn(clipped))
                        list.back().clipped.push_back(std::move(clipped));
                }
                continue;
            }
            haveBase = true;
            baseShown = Shown(node);
            if (baseShown) {
                list.push_back(Node(node));
                baseShown = Drawn(list.back());
                if (!baseShown)
                    list.pop_back();
            }
            // A group without anything to draw is not composed at all.
            if (baseShown && node.group && list.back().children.empty() &&
                !list.back().properties->artboard.present) {
                list.pop_back();
                baseShown = false;
            }
        }
        return list;
    }

private:
    // The layer's effects that are drawn, and the columns and rows they reach.
    void LayerStyleOf(PlanNode& plan, const graphic::ImageLoaderPSD::info_t& record)
    {
        // The rows are made when the layer's first row is drawn, after planning: a fill's
        // pattern is kept for them by the style.
        graphic::ImageLoaderPSD& loader = loader_;
        const std::shared_ptr<PatternTiles> tiles = std::make_shared<PatternTiles>();
        const int32_t index = plan.layer;
        LayerStyle::Shape shape;
        shape.rows = [&loader, tiles, index](int32_t left, int32_t width) {
            return std::unique_ptr<CoverageRows>(
                new LayerCoverageRows(loader, index, left, width, *tiles));
        };
        shape.area = {record.x, record.y, int64_t(record.x) + std::max(record.width, 0),
                      int64_t(record.y) + std::max(record.height, 0)};
        shape.everywhere = LayerLook::DrawsFill(record);
        Style(plan, shape);
    }

    // A group's effects, traced from what its layers compose to.
    void GroupStyle(PlanNode& plan, const PsdLayerNode& node)
    {
        graphic::ImageLoaderPSD& loader = loader_;
        LayerStyle::Shape shape;
        shape.rows = [&loader, &node](int32_t left, int32_t width) {
            return std::unique_ptr<CoverageRows>(new GroupCoverageRows(loader, node, left, width));
        };
        shape.area = node.area;
        Style(plan, shape);
    }

    void Style(PlanNode& plan, const LayerStyle::Shape& shape)
    {
        const LayerEffects effects = ReadLayerEffects(loader_, plan.layer);
        if (effects.effects.empty())
            return;
        plan.style.reset(
            new LayerStyle(loader_, plan.layer, effects, left_, width_, tiles_, shape));
        if (!plan.style->Any()) {
            plan.style.reset();
            return;
        }
        if (shape.everywhere)
            return;  // it covers every row and column already
        const graphic::PsdLayerArea& area = shape.area;
        const LayerStyle::Growth reach = plan.style->Reach();
        const int64_t from = std::max<int64_t>(area.left - reach.left - left_, 0);
        const int64_t to = std::min<int64_t>(area.right + reach.right - left_, width_);
        plan.columns = from < to && !area.Empty()
                           ? Span{static_cast<int32_t>(from), static_cast<int32_t>(to)}
                           : Span();
        plan.top = area.top - reach.top;
        plan.bottom = area.bottom + reach.bottom;
    }

    // Whether a planned node is drawn: not an adjustment layer of a kind the renderer does not
    // draw.
    static bool Drawn(const PlanNode& plan)
    {
        return plan.properties->kind != PsdLayerProperties::Kind::Adjustment || plan.group ||
               plan.adjustment;
    }

    static bool OnlyAdjusts(const PlanNode& group)
    {
        if (!group.group || group.mode != BlendMode::PassThrough)
            return false;
        for (const PlanNode& child : group.children) {
            if (!child.adjustment || !child.clipped.empty())
                return false;
        }
        return true;
    }

    // Whether a node is drawn: visible, and a group, an adjustment or a layer with pixels.
    // An adjustment layer, and a fill without pixels, covers the whole document: beyond
    // kMostCanvasLayers of them (many more than a real document has) the rest are not drawn,
    // so that the work stays bounded by the size of the file.
    bool Shown(const PsdLayerNode& node) const
    {
        const graphic::ImageLoaderPSD::info_t& record = loader_.LayerRecord(node.layer);
        const PsdLayerProperties& properties = record.properties;
        if (!properties.visible)
            return false;
        if (node.group)
            return true;
        if (properties.kind == PsdLayerProperties::Kind::Adjustment || LayerLook::DrawsFill(record))
            return canvasLayers_ < kMostCanvasLayers;
        return LayerLook::Draws(record);
    }

    static const int32_t kMostCanvasLayers = 256;

    graphic::ImageLoaderPSD& loader_;
    const int32_t left_;
    const int32_t width_;
    const bool effects_;
    const int32_t firstRow_;
    const bool gray_ = loader_.Format().outputColors == 1;
    int32_t canvasLayers_ = 0;  // planned so far
    PatternTiles tiles_;        // the patterns the fills planned use
};

}  // namespace

std::vector<PlanNode> PlanLayers(graphic::ImageLoaderPSD& loader, int32_t left, int32_t width,
                                 int32_t firstRow)
{
    return Planner(loader, left, width, true, firstRow).List(loader.LayerTree().children);
}

bool DrawsRowByRow(const std::vector<PlanNode>& nodes)
{
    for (const PlanNode& node : nodes) {
        if (node.style || (node.look && node.look->KeepsRows()) ||
            (node.masks && node.masks->KeepsRows()) || !DrawsRowByRow(node.children) ||
            !DrawsRowByRow(node.clipped))
            return false;
    }
    return true;
}

bool OpensAtAnyRow(const std::vector<PlanNode>& nodes, const graphic::ImageLoaderPSD& loader)
{
    for (const PlanNode& node : nodes) {
        if ((node.look && !node.look->OpensAtAnyRow(loader)) ||
            (node.masks && !node.masks->OpensAtAnyRow(loader)) ||
            !OpensAtAnyRow(node.children, loader) || !OpensAtAnyRow(node.clipped, loader))
            return false;
    }
    return true;
}

PlanNode PlanNodeAlone(graphic::ImageLoaderPSD& loader, const PsdLayerNode& node, int32_t left,
                       int32_t width, bool effects)
{
    return Planner(loader, left, width, effects).Node(node);
}

}  // namespace render
}  // namespace sdk
