// What the renderer composes, worked out once from the layer tree: the visible layers and
// groups, each with the clipped layers that sit on it, bottom first, with their blend modes,
// opacities and masks, and the decoders of their pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/BlendMode.h"
#include "render/LayerLook.h"
#include "render/MaskCoverage.h"
#include "render/adjust/Adjustment.h"
#include "render/effects/LayerStyle.h"

namespace sdk {
namespace render {

struct PlanNode {
    int32_t layer = -1;  // the layer's record, or the group's folder record
    bool group = false;
    BlendMode mode = BlendMode::Normal;
    float opacity = 1.0f;
    float fill = 1.0f;  // scales a layer's own pixels, not what is clipped to it
    bool blendRanges = false;
    // The colour channels (bit 0 red, 1 green, 2 blue) the node leaves as they lay below.
    uint8_t restrictedChannels = 0;
    // A type layer: its edges blend with what lies below in a space of power kTextGamma.
    bool textGamma = false;
    // Where the node's layers lie: the window's columns and the document's rows top .. bottom - 1
    // that they meet (for a group, those of its children).
    Span columns;
    int64_t top = 0;
    int64_t bottom = 0;
    const graphic::PsdLayerProperties* properties = nullptr;
    std::vector<PlanNode> children;  // a group's, bottom first
    std::vector<PlanNode> clipped;   // the layers clipped to this one, bottom first
    std::unique_ptr<LayerLook> look;      // a layer's pixels and masks
    std::unique_ptr<MaskCoverage> masks;  // a group's or an adjustment layer's masks
    // An adjustment layer's change of the colours below it (it has no look of its own).
    std::unique_ptr<Adjustment> adjustment;
    // A layer's effects, where it has any that are drawn; its columns and rows then hold them.
    std::unique_ptr<LayerStyle> style;
};

// The plan of the document's layers over the columns left .. left + width - 1: the nodes of
// the document's own level. Hidden layers and groups, adjustment layers of kinds that are not
// drawn and the layers clipped to any of them are left out; a clipped layer without a layer
// below it in its group is composed as an unclipped one; a group without any layer to draw is
// left out. Raises what the loader's LayerTree raises, and what reading an adjustment layer's
// settings raises. firstRow: the document row the drawing starts from, where the layers and masks
// are opened (see OnDemandRows::StartOf).
std::vector<PlanNode> PlanLayers(graphic::ImageLoaderPSD& loader, int32_t left, int32_t width,
                                 int32_t firstRow = 0);

// Whether each row of the plan's drawing depends on that row alone: no node keeps rows from one
// row to the next (layer effects, whose blurs, strokes and bevels reach across rows; feathered
// masks), so that a drawing planned from any row gives the rows a drawing from the top gives.
bool DrawsRowByRow(const std::vector<PlanNode>& nodes);
// Whether every layer and mask the plan decodes opens at any row as cheaply as at its first (see
// ImageLoaderPSD::OpensAtAnyRow).
bool OpensAtAnyRow(const std::vector<PlanNode>& nodes, const graphic::ImageLoaderPSD& loader);

// The plan of one node alone (its masks and pixels, its children, but not what is clipped to
// it), for drawing one layer or group by itself; without any effects, its own or its layers',
// when effects is false (the shape a group's effects are traced from: so that groups nested in
// groups with effects cannot multiply the decoders effects open).
PlanNode PlanNodeAlone(graphic::ImageLoaderPSD& loader, const graphic::PsdLayerNode& node,
                       int32_t left, int32_t width, bool effects = true);

}  // namespace render
}  // namespace sdk
