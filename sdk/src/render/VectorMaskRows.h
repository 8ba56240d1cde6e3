// The coverage of a layer's vector mask, row by row, as the editor draws it.
//
// The subpaths make shapes: a subpath with an operation starts one, those without (kNone) add
// to the shape before them, such as the holes of a letter. Each shape is filled with the
// even-odd rule, and the shapes combine in order, each with what the ones before it made: union,
// subtract, intersect or exclude (xor), on the coverage of the anti-aliased edges as well. The
// first shape sets the area: its inside, or for subtract its outside (the initial fill rule
// record plays no part then). A path of the older editors, whose subpaths carry no operation,
// is one even-odd shape over the initial fill (filled when the initial fill rule record says
// so). A mask of no subpaths is the initial fill.
// Open subpaths close with a straight line. The invert flag turns the result over; the
// disabled flag is the caller's to honour (the mask is drawn all the same).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphic/psd/PsdVectorMask.h"
#include "render/PathRaster.h"

namespace sdk {
namespace render {

class VectorMaskRows {
public:
    // Coverage of mask over the columns left .. left + width - 1, for the rows asked, in pixels
    // of a document of documentWidth x documentHeight (the path's fractions are scaled by these).
    VectorMaskRows(const graphic::PsdVectorMask& mask, int32_t documentWidth,
                   int32_t documentHeight, int32_t left, int32_t width);
    // The coverage of row y (0 .. 1 per column, width floats); rows are asked top to bottom,
    // each at most once, any row index (also outside the document: the path may reach beyond it).
    void Row(int32_t y, float* coverage);

    // Curves are cut into lines within this many pixels of the curve, and into at most
    // kCurveLines lines each; when a path would make more than kPathLines lines in all, its
    // curves get fewer in proportion (a path far larger than any document's, or of very many
    // knots), so that the work and memory follow the path's size and no more.
    static constexpr double kTolerance = 0.05;
    static constexpr int32_t kCurveLines = 1024;
    static constexpr int64_t kPathLines = 1 << 19;
    // How many lines the path became.
    size_t Lines() const { return raster_.Lines(); }

private:
    PathRaster raster_;
    std::vector<int16_t> operations_;  // each shape's
    float start_ = 0;                  // the coverage before the first shape
    bool invert_ = false;
    int32_t width_;
    std::vector<float> shape_;
};

}  // namespace render
}  // namespace sdk
