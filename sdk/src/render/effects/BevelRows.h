// The light and shade of a bevel and emboss, row by row, from the coverage of the shape it
// raises.
//
// The shape becomes a height field. For the smooth technique it is the coverage blurred by two
// boxes of the ramp's width w, so that it runs from 0 to 1 over w on each side of the edge (0.5
// on the edge), and the ramp rises w x depth pixels: as steep as one pixel per pixel on the edge
// at depth 100 %, flattening towards both ends. For the chisels it is the signed distance d from
// the edge, 0.5 + d / 2w within 0 .. 1, rising 2 w x depth pixels: straight facets as steep as a
// smooth ramp's edge, meeting in creases (the soft chisel rounds them with two boxes of w / 4).
// w is the effect's size for an inner or outer bevel, and half of it (in whole pixels) for an
// emboss or pillow emboss, whose ramp lies half inside and half outside the shape; a pillow
// emboss folds the height about the edge (|h - 0.5|), so that the outside rises away from the
// edge as the inside does. The edge's contour, when the bevel uses one, reshapes the height (its
// range is not used), and direction down turns it upside down. (Measured on the editor's smooth
// inner bevel and emboss of size 41: the widths and the rise bring the composed image within
// half a level RMS of the editor's away from the shape's edges.)
//
// The surface's slope is the height's central difference. Lit from the effect's angle and
// altitude, a pixel's shading is the cosine between its normal and the light, taken through the
// gloss contour; the flat surface's is sin(altitude). The highlight is how far a pixel's shading
// rises above the flat one, as a share of the room up to 1; the shadow how far it falls below,
// as a share of the flat one. Softening blurs the two (their difference, so that they meet
// smoothly) with two boxes of its width.
//
// An inner bevel draws inside the shape only, an outer one (and a stroke emboss, drawn as an
// outer bevel: the stroke is not embossed) outside only; the emboss styles draw on both sides.
// The texture is not drawn.
//
// Every stage keeps a window of rows: the blurs their boxes' height, the chisel's distance the
// rows within its width, the slope three rows; memory grows with the width and the bevel's size,
// never with the height.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/effects/CoverageRows.h"
#include "render/effects/LayerEffects.h"

namespace sdk {
namespace render {

class BevelRows {
public:
    // The bevel of settings (a bevel effect) around the shape of input, over input's columns,
    // which should reach Reach(bevel) beyond the shape on each side, or the bevel is cut there.
    BevelRows(std::unique_ptr<CoverageRows> input, const LayerEffect& bevel);
    ~BevelRows();

    // Row y's highlight and shadow, Width() floats each in 0 .. 1 (the effect's opacities not
    // applied), valid until the next call. Rows are asked in ascending order; a row asked before
    // the last one asked gives what that one gave.
    void Row(int64_t y, const float*& highlight, const float*& shadow);
    int32_t Width() const { return width_; }
    int32_t Left() const { return left_; }

    // How many pixels beyond the shape the bevel's rows depend on and may draw.
    static int32_t Reach(const LayerEffect& bevel);

private:
    class Held;
    enum class Sides { Inside, Outside, Both };

    Held* held_;  // the input's rows as the chain reads them, kept for drawing's side
    std::unique_ptr<CoverageRows> chain_;  // the signed strength, 0.5 + (highlight - shadow) / 2
    Sides sides_;
    int32_t width_;
    int32_t left_;
    int32_t ends_ = 0;  // the columns at either end left empty
    int64_t last_ = INT64_MIN;
    std::vector<float> highlight_;
    std::vector<float> shadow_;
};

}  // namespace render
}  // namespace sdk
