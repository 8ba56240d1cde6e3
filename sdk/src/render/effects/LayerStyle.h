// A layer's effects drawn row by row around the layer, as the editor draws a layer style.
//
// A pixel of a styled layer is two places side by side: the part the layer covers (its
// coverage a) and the part it leaves (1 - a). Each is composed on its own from what lies below:
//
// - outside: the drop shadows, then the outer glows, then the outside part of the strokes and
//   bevels;
// - inside: the drop shadows the layer does not knock out, then the layer's pixels faded by its
//   fill opacity, the layers clipped to it (when they blend with it as a group), its interior
//   effects (pattern, gradient and colour overlays, satin, inner glows, inner shadows) each over
//   the whole of the inside, the layers clipped to it that are put on one by one, then the
//   inside part of the strokes and bevels;
//
// and the pixel is a x inside + (1 - a) x outside, which the layer's opacity then mixes with
// what lay below. So interior effects are clipped to the layer exactly, a stroke meets the
// layer's edge without a seam, and every effect keeps its own blend mode.
//
// Effects that need the rows around a row (shadows, glows, satin, strokes, bevels) read the
// layer's coverage through decoders of their own, ahead of the row composed, and keep only the
// window of rows their blur, distance or light reaches, from the layer's first row drawn to its
// last.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/FillPaint.h"
#include "render/PatternTile.h"
#include "render/Span.h"
#include "render/effects/CoverageRows.h"
#include "render/effects/LayerEffects.h"

namespace sdk {
namespace render {

class LayerStyle {
public:
    // What the effects are traced from: the layer's (or group's) coverage as rows over any
    // span of the document's columns, read apart from the rows being composed, and the
    // columns it reaches (or every column, for a fill that covers the document).
    struct Shape {
        std::function<std::unique_ptr<CoverageRows>(int32_t left, int32_t width)> rows;
        graphic::PsdLayerArea area;
        bool everywhere = false;
    };

    // The effects of layer (or group) record index that are drawn, over the document's
    // columns left .. left + width - 1. Raises what making an effect's gradient or pattern
    // raises.
    LayerStyle(graphic::ImageLoaderPSD& loader, int32_t index, const LayerEffects& effects,
               int32_t left, int32_t width, PatternTiles& tiles, const Shape& shape);
    ~LayerStyle();

    // Whether an effect is drawn: every kind is (a bevel's texture is left out), unless its
    // gradient or pattern cannot be painted: a noise gradient, a pattern the document does not
    // hold or of a kind not drawn. Raises what PatternTiles::Find raises.
    static bool Draws(graphic::ImageLoaderPSD& loader, const LayerEffect& effect,
                      PatternTiles& tiles);
    // Whether any effect is drawn here.
    bool Any() const { return !effects_.empty(); }
    // How far the effects reach beyond the layer's pixels on each side, in pixels (of those
    // drawn, and of a layer's effects before any is made).
    struct Growth {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    };
    Growth Reach() const { return reach_; }
    static Growth ReachOf(const LayerEffects& effects);

    // The effects' rows are opened with the first row drawn (so that only the layers being
    // composed hold them) and let go by Close, after the last.
    void Close();

    // Row y over span (columns of the window); coverage: the layer's, 0 where it has nothing.
    // The drop shadows onto outside, and onto inside those the layer does not knock out.
    void Shadows(int32_t y, Span span, const float* coverage, float* outside, float* inside);
    // The interior effects onto inside (each over the whole of it; coverage cuts them later).
    void Interior(int32_t y, Span span, float* inside);
    // The outer glows onto outside, the strokes and bevels onto both, by the layer's coverage.
    void Exterior(int32_t y, Span span, const float* coverage, float* outside, float* inside);

private:
    struct Effect;
    void Paint(Effect& effect, int32_t y, Span span, float* rgba);
    // The effect's strength per column of span (0 .. 1, its opacity not applied) into mask_.
    void Strength(Effect& effect, int32_t y, Span span);
    // Into part_: 1 where the layer leaves some of the pixel, 0 where it covers it whole.
    void Left(Span span, const float* coverage);
    // The rows each effect measures the shape through, made at the first row drawn.
    void Open(Effect& effect);
    void OpenAll();
    // The document columns from .. to - 1 an effect of reach, moved by dx, measures (the
    // shape's, widened by the reach, within the window moved and widened alike); false when
    // there are none.
    bool Columns(int32_t reach, int32_t dx, int64_t* from, int64_t* to) const;
    // How far beyond a pixel an effect measures the shape.
    static int32_t Reach(const LayerEffect& e);
    // Satin's strength: where its two copies of the blurred shape differ.
    void Satin(Effect& effect, int32_t y, Span span);
    // Composes the effect's paint with alpha mask_ x opacity x part onto row.
    void Put(Effect& effect, Span span, const float* part, float* row);

    const int32_t left_;
    const int32_t width_;
    const Growth reach_;
    const Shape shape_;
    const int64_t shapeFrom_;  // the shape's document columns
    const int64_t shapeTo_;
    bool opened_ = false;
    std::vector<std::unique_ptr<Effect>> effects_;  // drawing order, bottom first
    std::vector<float> mask_;
    std::vector<float> mask2_;
    std::vector<float> paint_;
    std::vector<float> source_;
    std::vector<float> part_;
};

}  // namespace render
}  // namespace sdk
