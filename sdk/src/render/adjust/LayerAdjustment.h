// The adjustment an adjustment layer's settings block describes, read for the renderer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

// The kind of adjustment layer index is, in words ("levels", "hue/saturation", ...); empty for
// a layer that is no adjustment layer.
std::string AdjustmentKindOf(const graphic::ImageLoaderPSD& loader, int32_t index);

// The adjustment of layer index, or nullptr when the layer holds none that the renderer draws.
// gray: the document's colours are gray (the values of each pixel all alike). Raises
// "ImageLoaderPSD::LayerBlock:470" or ":480" for a settings block that is too large or
// damaged.
std::unique_ptr<Adjustment> ReadLayerAdjustment(graphic::ImageLoaderPSD& loader, int32_t index,
                                                bool gray);

}  // namespace render
}  // namespace sdk
