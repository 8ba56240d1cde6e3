// A layer's effects (layer styles) as the renderer draws them, read from the layer's effects
// block: "lmfx" where the layer has one (it keeps the lists of effects that may repeat: several
// strokes, shadows, overlays), otherwise "lfx2". The older binary "lrFX" block, which the editor
// writes beside them, is not read.
//
// Every length is in document pixels as the block stores it; angles are in degrees
// counter-clockwise from the right (90 lights from above, so its shadow falls below), within
// -180 .. 180.
//
// The block's scale ("Scl ") is kept but not applied to the lengths: documents of other
// resolutions than 72 pixels per inch hold 100 x their resolution / 72 there (208.33 % at 150),
// and the editor draws their effects at the stored sizes all the same (a stroke of 6 pixels is
// 6 pixels wide in the merged image, not 12.5).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdDescriptor.h"
#include "render/BlendMode.h"

namespace sdk {
namespace render {

enum class EffectKind {
    DropShadow,
    InnerShadow,
    OuterGlow,
    InnerGlow,
    Satin,
    ColourOverlay,
    GradientOverlay,
    PatternOverlay,
    Stroke,
    Bevel,
};

// The effect's name as the user knows it ("drop shadow", "bevel and emboss").
const char* EffectName(EffectKind kind);

// A contour (the shape of a shadow's, glow's or bevel's falloff): 256 values in 0 .. 1 for
// inputs 0 .. 255, read from its curve of points ("Crv ": "Hrzn", "Vrtc" in 0 .. 255) through
// a smooth curve as curves adjustments draw theirs, in steps of 1/255. A corner point ("Cnty"
// off) breaks the curve: each piece between corners is smooth on its own, so a contour of
// corners only runs straight from point to point. Linear by default, and for the points
// (0, 0), (255, 255).
struct EffectContour {
    float table[256];
    bool linear = true;
    EffectContour();
    // The value at a in 0 .. 1, interpolated between the table's entries.
    float At(float a) const;
};

struct BevelSettings {
    enum class Style { Outer, Inner, Emboss, PillowEmboss, StrokeEmboss };
    enum class Technique { Smooth, ChiselHard, ChiselSoft };
    Style style = Style::Inner;
    Technique technique = Technique::Smooth;
    bool up = true;          // direction
    double depth = 1;        // 0.01 .. 10 (the dialog's 1 .. 1000 %)
    double soften = 0;       // pixels
    double altitude = 30;    // degrees
    EffectContour gloss;     // the gloss contour
    bool antiAliasGloss = false;
    BlendMode highlightMode = BlendMode::Screen;
    float highlightColour[3] = {1, 1, 1};
    float highlightOpacity = 0.75f;
    BlendMode shadowMode = BlendMode::Multiply;
    float shadowColour[3] = {0, 0, 0};
    float shadowOpacity = 0.75f;
    // The contour of the edge ("useShape"), and its range (0 .. 1).
    bool useContour = false;
    EffectContour contour;
    double contourRange = 0.5;
    // The texture ("useTexture"): a pattern by its identifier, its scale (1 = 100 %) and depth
    // (-10 .. 10), inverted or not, linked to the layer or not.
    bool useTexture = false;
    std::shared_ptr<const graphic::PsdDescriptorValue> texture;  // the pattern's descriptor
    double textureScale = 1;
    double textureDepth = 1;
    bool textureInvert = false;
    bool textureLinked = true;
};

struct LayerEffect {
    enum class Paint { Colour, Gradient, Pattern };
    enum class StrokePosition { Outside, Inside, Centre };
    enum class GlowSource { Edge, Centre };

    EffectKind kind = EffectKind::DropShadow;
    // Off in the block ("enab"): read only when every effect is asked for, and never drawn.
    bool enabled = true;
    BlendMode mode = BlendMode::Normal;
    float opacity = 1;                   // 0 .. 1
    float colour[3] = {0, 0, 0};         // straight red, green, blue in 0 .. 1
    // What the effect paints with: its colour, or the gradient or pattern of its settings
    // (overlays and strokes; glows paint with a gradient when they have one).
    Paint paint = Paint::Colour;
    // The effect's own descriptor, from which gradient and pattern paints are made (the same
    // keys as a gradient or pattern fill layer's: "Grad", "Type", "Angl", "Scl ", "Ofst",
    // "Rvrs", "Dthr", "Algn"; "Ptrn", "phase").
    std::shared_ptr<const graphic::PsdDescriptorValue> settings;

    double angle = 90;     // shadows, satin, bevel: the global light's where "uglg" says so
    double distance = 0;   // shadows, satin: pixels
    double size = 0;       // shadows, glows, satin, bevel: the blur's pixels; stroke: its width
    double spread = 0;     // shadows, glows: spread or choke, 0 .. 1 of the size
    double range = 0.5;    // glows: 0.01 .. 1
    double jitter = 0;     // outer and inner glow with a gradient: 0 .. 1
    double noise = 0;      // shadows, glows: 0 .. 1
    bool precise = false;  // glows, bevel: the technique "precise" (else "softer")
    bool antiAlias = false;  // of the contour
    EffectContour contour;
    bool layerKnocksOut = true;  // drop shadow: the layer knocks its shadow out ("layerConceals")
    GlowSource source = GlowSource::Edge;        // inner glow
    bool invert = false;                          // satin
    StrokePosition position = StrokePosition::Outside;  // stroke
    BevelSettings bevel;
};

struct LayerEffects {
    // Whether the layer has an effects block at all (lmfx or lfx2), read or not.
    bool present = false;
    // The block's scale ("Scl ", 1 = 100 %, within 0.01 .. 10), not applied to the lengths.
    double scale = 1;
    // The block's master switch ("masterFXSwitch"): off, none of the effects is drawn.
    bool on = true;
    // The enabled effects, each with its settings, in the order the block lists them (several of
    // one kind keep their list's order, the first drawn on top). An effect the block marks
    // disabled ("enab") or not present ("present": the editor keeps the settings of every kind,
    // the unused ones so) is left out. Empty when the master switch is off. (Read with
    // EffectsRead::All, the disabled effects are kept too, and those of a switch that is off.)
    std::vector<LayerEffect> effects;
};

// Which effects a reading keeps: those drawn, or also those the user switched off (an effect
// disabled, or every effect of a block whose master switch is off), to describe the layer's
// style whole. Effects not present are never kept.
enum class EffectsRead { Drawn, All };

// The effects of layer index: those of the style a layer comp gave it
// (PsdLayerProperties::compEffects), else those of its block. Global light: the document's angle
// and altitude (image resources 1037 and 1049, PsdFormat::globalAngle, globalAltitude) for an
// effect whose "uglg" is on. Raises kDamagedSettings ("ImageLoaderPSD::LayerBlock:480") for a
// block of another effects version than 0 or that is not a descriptor, or an enabled effect with
// a number that is not finite or a contour of more than 256 points; other numbers are cut to
// their ranges (sizes to 250 pixels, distances to 30000, percentages to theirs). And what
// LayerBlock raises. With EffectsRead::All, a disabled effect that cannot be read is left out
// instead.
LayerEffects ReadLayerEffects(graphic::ImageLoaderPSD& loader, int32_t index,
                              EffectsRead read = EffectsRead::Drawn);

// The effects of an effects block's bytes (the 4-byte effects version, the descriptor version,
// the descriptor), with the document's global light. Raises as above.
LayerEffects ReadLayerEffectsBlock(const std::vector<uint8_t>& block, double globalAngle,
                                   double globalAltitude, EffectsRead read = EffectsRead::Drawn);

// The effects of an effects descriptor (what an effects block holds after its versions), with
// the document's global light. Raises as above.
LayerEffects ReadLayerEffectsDescriptor(const graphic::PsdDescriptorValue& descriptor,
                                        double globalAngle, double globalAltitude,
                                        EffectsRead read = EffectsRead::Drawn);

}  // namespace render
}  // namespace sdk
