// A box filter over rows of coverage, horizontally and vertically: each pixel becomes the mean
// of the box of width w around it (w need not be whole: the pixels at the box's two ends count
// by the part of them it covers). Two passes of one width blur a shadow or glow as the editor
// does; one pass with a gain grows or shrinks a shape by half its width (an effect's spread and
// choke).
//
// Sums run along the row and down each column, so the work per pixel does not depend on w, and
// the rows kept are the box's height of them, never the image's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/effects/CoverageRows.h"

namespace sdk {
namespace render {

class BoxBlurRows : public CoverageRows {
public:
    enum class Shape {
        Mean,    // the box's mean
        Grow,    // min(1, mean x w): any full pixel within w / 2 covers fully
        Shrink,  // max(0, 1 - (1 - mean) x w): any empty pixel within w / 2 empties
    };

    // width: the box's width in pixels; below 1 the rows pass unchanged.
    BoxBlurRows(std::unique_ptr<CoverageRows> input, double width, Shape shape = Shape::Mean);
    const float* Row(int64_t y) override;
    int32_t Width() const override { return input_->Width(); }
    int32_t Left() const override { return input_->Left(); }

    // How many pixels a box of width reaches beyond its centre (the ends included).
    static int32_t Reach(double width);

private:
    // The input's row r filtered along the row, into the ring.
    void Load(int64_t r);
    // Row r's place in the ring (rows may be negative: they are counted from far above).
    size_t Slot(int64_t r) const
    {
        return static_cast<size_t>(((r % count_) + count_) % count_);
    }
    float* Ring(int64_t r) { return &ring_[Slot(r) * width_]; }
    void Restart(int64_t centre);

    std::unique_ptr<CoverageRows> input_;
    const int32_t width_;
    const Shape shape_;
    const bool pass_;    // a box narrower than a pixel: rows pass unchanged
    int32_t whole_ = 0;  // the whole pixels on each side of the centre
    float end_ = 0;      // the weight of the pixels one beyond them
    double scale_ = 1;   // 1 / w^2: both passes' mean
    float gain_ = 1;     // w, for growing and shrinking
    int64_t count_ = 0;  // the rows the ring holds: the box's height and its two ends
    std::vector<float> ring_;
    std::vector<uint8_t> empty_;  // per ring row: all zero
    std::vector<double> sums_;  // per column: the whole rows around the centre
    int64_t centre_ = 0;
    bool started_ = false;
    int64_t nonEmpty_ = 0;  // rows in the ring that are not all zero
    std::vector<float> out_;
};

}  // namespace render
}  // namespace sdk
