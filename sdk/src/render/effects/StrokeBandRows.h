// The coverage of a stroke's band, row by row, from the coverage of the shape it outlines.
//
// The stroke follows the shape's edge as the signed distance to it: a pixel of coverage a that
// is neither empty nor full holds the edge itself, 0.5 - a from its centre outwards (a - 0.5
// inwards), and a pixel that is empty (or full) is as far out (or in) as the nearest such edge,
// the distance to a pixel's centre plus what that pixel states: min over q of |p - q| + 0.5 - a(q)
// outwards, over the pixels with some coverage; min over q of |p - q| + a(q) - 0.5 inwards, over
// the pixels short of full. A band [0, w] of that distance covers clamp(d + 0.5) -
// clamp(d - w + 0.5) of a pixel (its share of the band across a straight edge): outside the
// shape for an outside stroke, inside it for an inside one, and half the width each way for a
// centred one. Columns beyond the input's are empty.
//
// Only the pixels where the edge is stated are measured from: the partial ones, and the full
// (inwards, empty) ones beside a pixel short of full (with some coverage); behind those a pixel
// is never the nearest edge. A pixel's nearest edge pixel comes from an exact Euclidean distance
// transform over a window of rows: each column's nearest up and down, kept as the window moves
// down, then the lower envelope of those across the row. When the nearest is full or empty it
// gives the distance; a partial one states its edge up to a pixel further out, so then the ring
// of pixels up to that much further is searched too, down the columns whose nearest edge lies
// within it or along the rows that have an edge pixel, whichever are fewer.
//
// Only distances within the band are wanted: the window holds the rows within reach
// (ceil(band) + 1) above and below, a pixel further than band + 1 from every edge pixel is left
// out, and a search reaches one pixel beyond the nearest at most. The work is a few steps a
// pixel, and up to the order of the band's width for a pixel of the band whose nearest edge is
// partial; the memory is 2 reach + 1 rows of a float a column for each side measured, and
// reach + 3 input rows, whatever the height.

#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/effects/CoverageRows.h"
#include "render/effects/LayerEffects.h"

namespace sdk {
namespace render {

class StrokeBandRows : public CoverageRows {
public:
    // The band of a stroke of width pixels (0 < width <= 250, fractions allowed; anything else
    // is brought within, a width that is not a number to none) at position, around the shape
    // of input, over input's columns (which should reach ceil(width) + 2 beyond the shape on
    // each side, or the band is cut there).
    StrokeBandRows(std::unique_ptr<CoverageRows> input, LayerEffect::StrokePosition position,
                   double width);
    ~StrokeBandRows() override;

    // Rows asked in ascending order; a row asked before the last one asked gives nothing.
    const float* Row(int64_t y) override;
    int32_t Width() const override { return columns_; }
    int32_t Left() const override { return left_; }

    // How many rows above and below a row its band is made from.
    int32_t Reach() const { return reach_; }

    static constexpr double kMaxWidth = 250;

private:
    struct Side;  // the distances on one side of the edge

    // Takes input row fetched_ into the ring of input rows.
    void Fetch();
    const float* Held(int64_t y) const;
    // Measures row r (whose neighbours above and below are held) into each side's window.
    void Classify(int64_t r);
    // Starts the window afresh around row y; moves it one row down.
    void Restart(int64_t y);
    void Advance();
    // The band of row current_ into out_.
    void Draw();

    std::unique_ptr<CoverageRows> input_;
    int32_t columns_;
    int32_t left_;
    int32_t reach_;  // rows above and below a row that its band depends on
    std::unique_ptr<Side> outside_;  // the distance out of the shape, or none
    std::unique_ptr<Side> inside_;   // into it, or none
    // The input rows held: the last held_ fetched, clamped to 0 .. 1, and whether each has any
    // coverage.
    int32_t held_;
    std::vector<float> rows_;
    std::vector<uint8_t> covered_;
    std::vector<float> zero_;
    int64_t fetched_ = 0;  // the next input row to take
    int64_t current_ = 0;  // the row the window is around
    bool started_ = false;
    bool drawn_ = false;
    std::vector<float> out_;
};

}  // namespace render
}  // namespace sdk
