// Rows of a mask blurred as the editor feathers it: a Gaussian blur of the mask's values. Up to
// a standard deviation of kExactSigma the Gaussian's own weights are used (small feathers are
// where a pixel's difference shows); beyond, three box blurs by running sums make it, so that
// the cost per pixel stays bounded however large the feather. The rows are drawn top to bottom;
// the memory held is a ring of rows as tall as the blur reaches, over the window's columns and
// the blur's reach on each side, whatever the document's height.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sdk {
namespace render {

class FeatheredRows {
public:
    // Fills row y of the mask's values over width + 2 x Reach() columns, starting Reach()
    // columns left of the window.
    using Source = std::function<void(int32_t y, float* row)>;

    // A blur of the given radius (the editor's feather, in pixels) over a window of width
    // columns.
    FeatheredRows(double radius, int32_t width, Source source);

    // How far the blur reaches, in rows and in columns, on each side.
    int32_t Reach() const { return reach_; }
    // The same for a blur of the given radius, without making one.
    static int32_t ReachOf(double radius);
    // The blurred values of row y over the window's columns (width floats), valid until the
    // next call. Rows are asked top to bottom; one row may be asked again.
    const float* Row(int32_t y);

    // The Gaussian's standard deviation for a feather radius.
    static double Sigma(double radius);
    static constexpr double kExactSigma = 16;

private:
    struct Stage {
        int32_t radius = 0;
        std::vector<std::vector<float>> ring;  // the last 2 radius + 1 rows taken in
        std::vector<double> sum;
        int64_t taken = 0;
    };
    // Takes source row y, blurred across; returns whether the last stage gave a row.
    bool Feed(int32_t y);
    void BlurAcross(std::vector<float>& row);
    // The Gaussian's weights: across a row, and down the ring of rows.
    void WeighAcross(std::vector<float>& row);
    bool WeighDown(const float* in);

    const int32_t width_;
    int32_t reach_ = 0;
    int32_t radii_[3] = {0, 0, 0};
    Source source_;
    std::vector<Stage> stages_;
    std::vector<float> across_;  // a source row and its blur across
    std::vector<double> prefix_;  // running sums across
    std::vector<float> weights_;  // the exact Gaussian's, 2 reach + 1 of them; empty for boxes
    std::vector<std::vector<float>> rows_;  // its ring of rows blurred across
    int64_t taken_ = 0;
    std::vector<float> out_;
    bool started_ = false;
    int32_t nextSource_ = 0;
    int32_t lastRow_ = 0;
};

}  // namespace render
}  // namespace sdk
