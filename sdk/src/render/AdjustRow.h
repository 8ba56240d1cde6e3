// One row of an adjustment layer's work: the colour composed so far, C, becomes
// C + strength x (B(C, f(C)) - C) with B the layer's blend mode and f its adjustment; alpha
// stays as it was, so nothing appears over transparency (transparent pixels are passed over).
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
    // Takes the pixels of row that are not transparent: their columns and straight colours.
    // Returns how many there are.
    int32_t Gather(const float* row, int32_t count);
    // Mixes after_ into those pixels of row through mode and strength.
    void Mix(BlendMode mode, const float* strength, int32_t visible, float* row);

    std::vector<int32_t> columns_;  // the columns of the pixels taken
    std::vector<float> backdrop_;   // their straight colour C at full alpha, RGBA
    std::vector<float> after_;      // the straight colour to mix in, RGB
    std::vector<uint8_t> levels_;   // the distinct colours as 8-bit red, green, blue
    std::vector<int32_t> entry_;    // each pixel's distinct colour
    std::vector<float> source_;     // the colour to mix in at the strength, premultiplied
};

}  // namespace render
}  // namespace sdk
