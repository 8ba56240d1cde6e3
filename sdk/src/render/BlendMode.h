// Blend modes: the editor's ways of putting a layer onto what lies below it.
//
// Every mode is one formula B(backdrop, source) on straight colour components in 0 .. 1 (the
// separable ones channel by channel, the others on the whole colour), and one compositing step
// applies any of them: the source and the backdrop are rows of premultiplied RGBA floats, and
//   result colour = (1 - ab) * source + (1 - as) * backdrop + as * ab * B(Cb, Cs)
//   result alpha  = as + ab - as * ab
// where as and ab are the alphas and Cs, Cb the straight colours.
#pragma once

#include <cstdint>

namespace sdk {
namespace render {

enum class BlendMode {
    Normal,
    Dissolve,  // composed as normal once the compositor has made each pixel whole or empty
    Darken,
    Multiply,
    ColorBurn,
    LinearBurn,
    DarkerColor,
    Lighten,
    Screen,
    ColorDodge,
    LinearDodge,
    LighterColor,
    Overlay,
    SoftLight,
    HardLight,
    VividLight,
    LinearLight,
    PinLight,
    HardMix,
    Difference,
    Exclusion,
    Subtract,
    Divide,
    Hue,
    Saturation,
    Color,
    Luminosity,
    PassThrough,  // groups only: the children compose straight onto the backdrop
};

// The mode of a 4-character key as documents store it ("norm", "mul ", "pass", ...). False for
// a key no mode has.
bool BlendModeFromKey(const char (&key)[4], BlendMode& mode);
// The mode's English name in lower case with spaces ("color burn", "pass through").
const char* BlendModeName(BlendMode mode);
// The mode's 4-character key as layer records store it ("mul ").
const char* BlendModeKey(BlendMode mode);

// Composes count pixels of source onto backdrop, in place, in the given mode (pass-through and
// dissolve compose as normal). Both rows are premultiplied RGBA, 4 floats per pixel, in 0 .. 1.
void ComposeRow(BlendMode mode, const float* source, float* backdrop, int32_t count);

}  // namespace render
}  // namespace sdk
