// Blending ranges ("blend if"): a layer shows only where its own values, and those of what lies
// below it, fall within its ranges, fading where the ranges are split. The first range is the
// gray value (the luminosity of a colour), the next ones red, green and blue.
#pragma once

#include <cstdint>

#include "graphic/psd/PsdLayerProperties.h"

namespace sdk {
namespace render {

// Whether the ranges hide anything at all.
bool HasBlendRanges(const graphic::PsdLayerProperties& properties);

// Scales the premultiplied source pixels from .. to - 1 by how much the ranges let them through
// onto the premultiplied backdrop pixels (4 floats each).
void ApplyBlendRanges(const graphic::PsdLayerProperties& properties, float* source,
                      const float* backdrop, int32_t from, int32_t to);

}  // namespace render
}  // namespace sdk
