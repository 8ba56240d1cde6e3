// What a gradient fill ("GdFl") or a pattern fill ("PtFl") layer that stores no pixels paints,
// row by row: the colour it gives each pixel of the document before its masks cut it. A paint
// holds its gradient's table or its pattern's tile, never rows of the document.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdDescriptor.h"
#include "render/PatternTile.h"
#include "render/adjust/GradientRamp.h"

namespace sdk {
namespace render {

class FillPaint {
public:
    virtual ~FillPaint() = default;
    // Straight red, green, blue, alpha (0 .. 1; gray repeated in a gray document) of document
    // row y over the columns left .. left + width - 1, 4 floats each.
    virtual void Row(int32_t y, int32_t left, int32_t width, float* rgba) const = 0;
};

// The box a gradient fill spans, in document pixels: with "align with layer" the bounds of the
// layer's vector mask (its anchors), or else of its pixel mask; otherwise, and for a layer
// without masks, the document.
struct FillBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};
FillBox GradientBox(const graphic::ImageLoaderPSD& loader, int32_t index, bool align);

// The layer's gradient or pattern fill block, or nullptr when it has neither.
const graphic::PsdBlockPlace* FillBlock(const graphic::PsdLayerProperties& properties);

// The descriptor of layer index's gradient or pattern fill block (place: its FillBlock).
// Raises kDamagedSettings for a block that is no descriptor, and what LayerBlock raises.
graphic::PsdDescriptorValue ReadFillSettings(graphic::ImageLoaderPSD& loader, int32_t index,
                                             const graphic::PsdBlockPlace& place);

// A gradient as a fill or an effect paints it: its ramp (built), how it runs (style), its
// angle in degrees counter-clockwise from the right, its scale and offset in percent of the
// box it spans, and whether it runs backwards, is dithered and spans the layer's box.
struct GradientSettings {
    enum class Style { Linear, Radial, Angle, Reflected, Diamond };
    GradientRamp ramp;
    Style style = Style::Linear;
    double angle = 90;
    double scale = 100;
    double offsetX = 0, offsetY = 0;
    bool reverse = false;
    bool dither = false;
    bool align = true;
};

// The gradient of a gradient's settings (the keys of a gradient fill block: "Grad", "Type",
// "Angl", "Scl ", "Ofst", "Rvrs", "Dthr", "Algn", "gradientsInterpolationMethod"; a gradient
// overlay's are the same). Raises kDamagedSettings for settings without a gradient or with
// numbers out of bounds, and what ReadGradientRamp raises.
GradientSettings ReadGradientSettings(const graphic::PsdDescriptorValue& settings);

// The paint of a gradient's settings over box; nullptr for a noise gradient. Raises as
// ReadGradientSettings.
std::unique_ptr<FillPaint> MakeGradientPaint(const graphic::PsdDescriptorValue& settings,
                                             const FillBox& box, bool gray);

// A pattern as a fill or an effect paints it: the pattern's identifier and name, its scale
// (1 = 100 %) and where its tiles start ("phase"), in document pixels.
struct PatternSettings {
    std::string id;
    std::u16string name;
    double scale = 1;
    double phaseX = 0, phaseY = 0;
};

// The pattern of a pattern's settings ("Ptrn" naming the pattern by "Idnt" and "Nm  ", "Scl ",
// "phase"). Raises kDamagedSettings for settings without a pattern or with numbers out of
// bounds.
PatternSettings ReadPatternSettings(const graphic::PsdDescriptorValue& settings);

// The paint of a pattern's settings, its tiles starting at originX, originY plus the phase;
// nullptr when the document does not hold the pattern or it is not drawn. Raises as
// ReadPatternSettings and what PatternTiles::Find raises.
std::unique_ptr<FillPaint> MakePatternPaint(const graphic::PsdDescriptorValue& settings,
                                            graphic::ImageLoaderPSD& loader, PatternTiles& tiles,
                                            double originX, double originY);

// The paint of layer index's gradient or pattern fill block, or nullptr when it has neither or
// paints what is not drawn: a noise gradient, a pattern the document does not hold or of a kind
// not drawn. Raises kDamagedSettings for a damaged block or pattern, and what LayerBlock and
// PatternTiles::Find raise. A pattern comes from tiles, which keeps it for the next fill.
std::unique_ptr<FillPaint> ReadFillPaint(graphic::ImageLoaderPSD& loader, int32_t index,
                                         PatternTiles& tiles);

}  // namespace render
}  // namespace sdk
