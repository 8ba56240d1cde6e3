// One row of an adjustment layer's work: the colour composed so far, C, becomes
// C + strength x (B(C, f(C)) - C) with B the layer's blend mode and f its adjustment; alpha
// stays as it was, so nothing appears over transparency.
#pragma once

#include <cstdint>
#include <vector>

#include "render/BlendMode.h"
#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

class AdjustRow {
public:
    explicit AdjustRow(int32_t width);

    // Adjusts count pixels of row (premultiplied RGBA floats) in place; strength holds a float
    // per pixel (opacity, fill opacity and masks), or is nullptr for full strength.
    void Apply(const Adjustment& adjustment, BlendMode mode, const float* strength, int32_t count,
               float* row);
    // The same mixing with a colour already made: row's colour C becomes
    // C + strength x (B(C, T) - C), T the straight colour of target (premultiplied RGBA);
    // row's alpha stays as it was.
    void Blend(const float* target, BlendMode mode, const float* strength, int32_t count,
               float* row);

private:
    // Mixes after_ (the straight colour f(C) or T) into row through mode and strength, with
    // backdrop_ holding C.
    void Mix(BlendMode mode, const float* strength, int32_t count, float* row);

    std::vector<float> after_;      // the straight colour to mix in
    std::vector<uint8_t> levels_;   // the straight colour as 8-bit red, green, blue
    std::vector<float> source_;     // f(C) with the strength as alpha, premultiplied
    std::vector<float> backdrop_;   // C at full alpha
};

}  // namespace render
}  // namespace sdk
