// The coverage of a stroke's band, row by row, from the coverage of the shape it outlines.
//
// The stroke follows the shape's edge as the distance to it: a pixel of coverage a that is
// neither empty nor full holds the edge itself, 0.5 - a from its centre outwards (a - 0.5
// inwards), and a pixel that is empty (or full) is as far out (or in) as the nearest such edge:
// the distance to a pixel plus what that pixel states, min over q of D(p - q) + 0.5 - a(q)
// outwards, over the pixels with some coverage; min over q of D(p - q) + a(q) - 0.5 inwards,
// over the pixels short of full. D is the editor's measure: the shortest path of steps to a
// pixel beside (1), diagonally beside (sqrt 2) or a knight's move away (sqrt 5), for an offset of
// a >= b pixels b sqrt 5 + a - 2b up to a = 2b and (a - b) sqrt 5 + (2b - a) sqrt 2 from there to
// a = b. It is within 3 % of the straight-line distance, and the editor's bands follow it:
// along slanted edges the straight line puts their far side up to a tenth of a pixel off four
// to six pixels out. A band [0, w] of that distance covers clamp(d + 0.5) - clamp(d - w + 0.5)
// of a pixel: outside the shape for an outside stroke, inside it for an inside one, and half
// the width each way for a centred one. Columns beyond the input's are empty.
//
// Only the pixels where the edge is stated are measured from: the partial ones, and the full
// (inwards, empty) ones beside a pixel short of full (with some coverage); behind those a pixel
// is never the nearest edge. The shortest path to a pixel from an edge pixel above it (or on
// its row) goes only down and across, and from one below it only up and across, so the
// distance is the lesser of two passes of steps: one down the rows, kept as it goes, and one up
// a run of reach + 1 rows from reach rows below them, taken again for each such run drawn. Only
// distances within the band are wanted: an edge pixel more than reach = ceil(band) + 1 rows
// away plays no part, and a path that leaves band + 1 is dropped. The work is a few steps a
// pixel, about twice over for the pass up; the memory is 2 reach + 1 rows of a float a column
// for the edge of each side measured, reach + 1 for its pass up and a few more of doubles, and
// 2 reach + 3 input rows, whatever the height.

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
    // Measures the rows up to r.
    void ClassifyTo(int64_t r);
    // Starts afresh around row y; takes the passes down to row y.
    void Restart(int64_t y);
    void Descend(int64_t y);
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
    int64_t fetched_ = 0;     // the next input row to take
    int64_t classified_ = 0;  // the last row measured into the sides
    int64_t current_ = 0;     // the row the passes down have reached
    int64_t upFirst_ = 0;     // the first row of the run the passes up hold
    bool upHeld_ = false;
    bool started_ = false;
    bool drawn_ = false;
    std::vector<float> out_;
};

}  // namespace render
}  // namespace sdk
