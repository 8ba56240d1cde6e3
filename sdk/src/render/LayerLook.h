// A layer's own pixels as the renderer takes them, row by row over a window of the document's
// columns: its colour (red, green, blue in 0 .. 1; gray repeated) and its coverage, its pixels'
// alpha times what its masks let through. The layer's pixels and masks are decoded only while
// the rows asked for meet them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "render/FillPaint.h"
#include "render/MaskCoverage.h"
#include "render/OnDemandRows.h"
#include "render/PatternTile.h"
#include "render/Span.h"

namespace sdk {
namespace render {

class LayerLook {
public:
    // tiles: the patterns of the drawing, shared by its pattern fills. firstRow: the document
    // row the drawing starts from (see OnDemandRows::StartOf).
    LayerLook(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left, int32_t width,
              PatternTiles& tiles, int32_t firstRow = 0);
    ~LayerLook();

    // Document row y over the span it returns (the layer's columns on that row; empty when the
    // layer is not on it): the coverage (1 float per column) and the content, premultiplied
    // RGBA (4 floats per column). With cut, the content's alpha is coverage x strength, and
    // coverage comes back multiplied by strength; otherwise the content's alpha is strength
    // alone and coverage is the layer's own. Rows are asked top to bottom, each at most once.
    // Raises what decoding the layer raises.
    Span Row(int32_t y, float strength, bool cut, float* content, float* coverage);
    // The span of the window the layer's columns meet.
    Span Columns() const;
    // Whether the layer covers its rectangle fully: pixels without transparency and no masks
    // (a document's background layer).
    bool Opaque() const;
    // Whether a row needs rows above it (a feathered mask).
    bool KeepsRows() const { return masks_ && masks_->KeepsRows(); }
    // Whether the pixels and masks it decodes open at any row as cheaply as at their first.
    bool OpensAtAnyRow(const graphic::ImageLoaderPSD& loader) const;

    // Whether a layer is drawn from its fill settings: a solid colour, gradient or pattern fill
    // that stores no pixels of its own, or a shape whose vector mask is feathered or not at
    // full density (which its stored pixels do not show). Such a fill covers every row and
    // column, cut by its masks (a gradient or pattern that is not drawn covers nothing).
    static bool DrawsFill(const graphic::ImageLoaderPSD::info_t& record);
    // Whether the layer has anything to draw: pixels, or a fill.
    static bool Draws(const graphic::ImageLoaderPSD::info_t& record);

private:
    // Row for a layer of pixels, of 8- or 16-bit samples, over the columns of span.
    template <class Sample>
    Span PixelRow(int32_t y, const Sample* pixels, Span span, float strength, bool cut,
                  float* content, float* coverage);

    const int32_t index_;
    const int32_t left_;
    const int32_t width_;
    const graphic::ImageLoaderPSD::info_t& record_;
    const bool fill_;
    // A gradient's or pattern's paint and its row; without one, a fill is of its solid colour.
    std::unique_ptr<FillPaint> paint_;
    std::vector<float> paintRow_;
    bool paintless_ = false;  // a gradient or pattern fill that is not drawn
    OnDemandRows pixels_;
    std::unique_ptr<MaskCoverage> masks_;  // over the layer's columns
};

}  // namespace render
}  // namespace sdk
