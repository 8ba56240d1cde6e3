// The stroke a shape layer draws along its path ("vstk"): drawn into the layer's own pixels, it
// lies over the layers clipped to the shape, which show only within its fill. Its band is
// measured from the path (the vector mask) as a stroke effect's is from a layer's edge.
#pragma once

#include <cstdint>
#include <memory>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/effects/CoverageRows.h"

namespace sdk {
namespace render {

// The band of layer index's shape stroke as rows over the document's columns left ..
// left + width - 1, or nullptr when the layer has no stroke drawn along an enabled vector mask.
// A stroke whose settings cannot be read is left to the layer's pixels (nullptr).
std::unique_ptr<CoverageRows> ShapeStrokeRows(graphic::ImageLoaderPSD& loader, int32_t index,
                                              int32_t left, int32_t width);

}  // namespace render
}  // namespace sdk
