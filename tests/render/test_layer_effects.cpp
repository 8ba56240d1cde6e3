// Layer effects: the box blur their shadows and glows are made of, and each effect drawn on
// built layers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "render/effects/BoxBlurRows.h"

namespace {

using sdk::render::BoxBlurRows;
using sdk::render::CoverageRows;

// Rows of a picture held in memory (zero beyond it), counting the rows handed out.
class PictureRows : public CoverageRows {
public:
    PictureRows(int32_t width, std::vector<std::vector<float>> rows, int64_t top = 0)
        : width_(width), rows_(std::move(rows)), top_(top), zero_(static_cast<size_t>(width))
    {
    }
    const float* Row(int64_t y) override
    {
        EXPECT_GE(y, last_) << "rows are asked in ascending order";
        last_ = y;
        const int64_t at = y - top_;
        return at >= 0 && at < static_cast<int64_t>(rows_.size()) ? rows_[at].data() : zero_.data();
    }
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return 0; }

private:
    int32_t width_;
    std::vector<std::vector<float>> rows_;
    int64_t top_;
    std::vector<float> zero_;
    int64_t last_ = INT64_MIN;
};

// A single covered pixel at (centre, 0) of a row width wide.
std::unique_ptr<CoverageRows> Dot(int32_t width, int32_t centre)
{
    std::vector<float> row(static_cast<size_t>(width), 0.0f);
    row[centre] = 1;
    return std::unique_ptr<CoverageRows>(new PictureRows(width, {row}));
}

TEST(BoxBlur, WholeAndFractionalWidthsSpreadADotByTheirWeights)
{
    // Width 3: a third on each of three pixels, along the row and down the column.
    BoxBlurRows three(Dot(7, 3), 3);
    for (int64_t y = -2; y <= 2; ++y) {
        const float* row = three.Row(y);
        const float expected = std::abs(y) <= 1 ? 1.0f / 9 : 0.0f;
        EXPECT_NEAR(expected, row[2], 1e-6) << y;
        EXPECT_NEAR(expected, row[3], 1e-6) << y;
        EXPECT_NEAR(0, row[1], 1e-6) << y;
    }
    // Width 2: the centre and half of each neighbour, a quarter, a half and a quarter.
    BoxBlurRows two(Dot(5, 2), 2);
    const float* row = two.Row(0);
    EXPECT_NEAR(0.25 * 0.5, row[1], 1e-6);
    EXPECT_NEAR(0.5 * 0.5, row[2], 1e-6);
    EXPECT_NEAR(0.25 * 0.25, two.Row(1)[1], 1e-6);
    // Two passes of width 3: the triangle 1 2 3 2 1 over 9 on each axis.
    BoxBlurRows twice(std::unique_ptr<CoverageRows>(new BoxBlurRows(Dot(9, 4), 3)), 3);
    const float* middle = twice.Row(0);
    const float weights[] = {1, 2, 3, 2, 1};
    for (int x = 0; x < 5; ++x)
        EXPECT_NEAR(weights[x] * 3 / 81, middle[2 + x], 1e-6) << x;
}

TEST(BoxBlur, GrowAndShrinkMoveAStraightEdgeByHalfTheWidth)
{
    // Columns 0 .. 4 covered, 5 .. 11 empty, on every row.
    std::vector<std::vector<float>> rows(20, std::vector<float>(12, 0.0f));
    for (std::vector<float>& row : rows)
        std::fill(row.begin(), row.begin() + 5, 1.0f);
    BoxBlurRows grow(std::unique_ptr<CoverageRows>(new PictureRows(12, rows)), 5,
                     BoxBlurRows::Shape::Grow);
    const float* grown = grow.Row(10);
    EXPECT_FLOAT_EQ(1, grown[6]);
    EXPECT_FLOAT_EQ(0, grown[7]);
    BoxBlurRows shrink(std::unique_ptr<CoverageRows>(new PictureRows(12, rows)), 5,
                       BoxBlurRows::Shape::Shrink);
    const float* shrunk = shrink.Row(10);
    EXPECT_FLOAT_EQ(1, shrunk[2]);
    EXPECT_NEAR(0, shrunk[3], 1e-6);
}

TEST(BoxBlur, RowsPassedOverGiveWhatAskingEveryRowGives)
{
    std::vector<std::vector<float>> rows;
    for (int y = 0; y < 60; ++y) {
        std::vector<float> row(8);
        for (int x = 0; x < 8; ++x)
            row[x] = static_cast<float>((x * 7 + y * 13) % 10) / 10;
        rows.push_back(row);
    }
    auto blur = [&] {
        return std::unique_ptr<BoxBlurRows>(new BoxBlurRows(
            std::unique_ptr<CoverageRows>(new BoxBlurRows(
                std::unique_ptr<CoverageRows>(new PictureRows(8, rows, 5)), 4.5)),
            4.5));
    };
    std::unique_ptr<BoxBlurRows> every = blur(), some = blur();
    std::vector<std::vector<float>> all;
    for (int64_t y = 0; y < 80; ++y) {
        const float* row = every->Row(y);
        all.emplace_back(row, row + 8);
    }
    // Small steps move the box; a long jump starts it afresh.
    for (int64_t y : {3, 4, 9, 10, 40, 41, 79}) {
        const float* row = some->Row(y);
        for (int x = 0; x < 8; ++x)
            EXPECT_NEAR(all[y][x], row[x], 1e-5) << y << " " << x;
    }
}

}  // namespace
