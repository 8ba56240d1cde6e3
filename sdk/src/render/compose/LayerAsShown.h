// One layer as the editor draws it in its place, but alone: its masks applied, its opacity and
// fill opacity in its alpha, changed by the adjustment layers clipped above it in its clipping
// group and, when it is clipped, cut by how much of its base shows. Its blend mode is not
// applied (that needs what lies below it). Rows cover the layer's own rectangle.
#pragma once

#include <cstdint>
#include <memory>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"

namespace sdk {
namespace render {

// What a layer covers as shown: its rectangle; for a fill layer that stores no pixels (drawn
// from its colour, gradient or pattern over the canvas), the bounds of its vector mask within
// the canvas, or the canvas.
graphic::PsdLayerArea LayerAreaAsShown(const graphic::ImageLoaderPSD& loader, int32_t index);

// What a layer covers as shown with its effects: LayerAreaAsShown grown by how far the effects
// that are drawn reach (a shadow's offset and blur, an outer glow, an outside stroke), within
// the hull of the canvas and that area. Effects whose settings cannot be read grow nothing
// (drawing them raises).
graphic::PsdLayerArea LayerAreaWithEffects(graphic::ImageLoaderPSD& loader, int32_t index);

// The layer's rows as shown, with its effects, over LayerAreaWithEffects. Records that hold no
// pixels of their own to draw (groups and their dividers, adjustment layers) and empty rectangles
// give the stored rows, with what those raise. Raises what the loader's LayerTree raises.
std::unique_ptr<graphic::RowSource> LayerAsShown(graphic::ImageLoaderPSD& loader, int32_t index);

// A group as the editor draws it in its place, but alone: its visible layers and groups composed
// together (adjustment layers among them changing what lies below them), its masks and opacity
// applied, changed by the adjustment layers clipped to it and, when it is clipped, cut by how much
// of its base shows; not its own blend mode. Rows cover the union of its children's rectangles
// (PsdLayerNode::area) grown by the effects drawn (GroupAreaAsShown). Raises what the loader's
// LayerTree raises, "Image::Create:59" for a group without any layer that has pixels, and
// "GroupAsShown:140" for a rectangle wider or taller than kMaxRowWidth or holding more pixels than
// the document and the group's layers together. When only the layers it does not draw (hidden ones)
// make that sum large enough, their rows are decoded first, and what that decode raises is raised.
std::unique_ptr<graphic::RowSource> GroupAsShown(graphic::ImageLoaderPSD& loader, int32_t index);

// What a group's picture covers: the union of its children's rectangles, grown by what the
// effects of its visible layers and groups and its own reach, within the hull of the canvas and
// that union (an artboard's: its rectangle); empty for a record that is not a group or a group
// without layers.
graphic::PsdLayerArea GroupAreaAsShown(graphic::ImageLoaderPSD& loader, int32_t index);

}  // namespace render
}  // namespace sdk
