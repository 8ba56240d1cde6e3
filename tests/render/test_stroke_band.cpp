// The band of a stroke effect around a shape's coverage: its rings at whole and fractional
// widths, partial edge pixels, the input's edge, rows passed over, the steps the distance is
// made of, and that distance against it taken over every pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "render/effects/StrokeBandRows.h"
#include "support/HeldCoverageRows.h"

namespace {

using sdk::render::CoverageRows;
using sdk::render::StrokeBandRows;
using Position = sdk::render::LayerEffect::StrokePosition;
using Image = test_support::CoverageImage;

Image Blank(int32_t columns, int32_t rows)
{
    return Image(static_cast<size_t>(rows), std::vector<float>(static_cast<size_t>(columns), 0));
}

void Fill(Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, float a)
{
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            image[y][x] = a;
}

// The band over the image's rows, every row asked in turn.
Image Stroke(const Image& image, Position position, double width)
{
    StrokeBandRows band(std::make_unique<test_support::HeldCoverageRows>(image, 0, 7), position, width);
    Image out;
    for (size_t y = 0; y < image.size(); ++y) {
        const float* row = band.Row(static_cast<int64_t>(y));
        out.emplace_back(row, row + band.Width());
    }
    return out;
}

std::vector<float> Column(const Image& image, size_t x)
{
    std::vector<float> column;
    for (const std::vector<float>& row : image)
        column.push_back(row[x]);
    return column;
}

void ExpectNear(const std::vector<float>& actual, const std::vector<float>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << "at " << i;
}

// A full 6 x 6 square at columns and rows 5 .. 10 of 16.
Image Square()
{
    Image image = Blank(16, 16);
    Fill(image, 5, 5, 10, 10, 1);
    return image;
}

TEST(StrokeBand, WholeWidthsMakeExactRingsAlongASquaresSides)
{
    const Image outside = Stroke(Square(), Position::Outside, 2);
    const std::vector<float> across = {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0};
    ExpectNear(outside[7], across);
    ExpectNear(Column(outside, 8), across);
    // The corners are round: the diagonal neighbour's centre is sqrt 2 - 0.5 out.
    EXPECT_NEAR(outside[4][4], 1, 1e-5);
    EXPECT_NEAR(outside[3][3], 1 - (std::sqrt(8.0) - 0.5 - 1.5), 1e-5);
    EXPECT_NEAR(outside[4][3], 1 - (std::sqrt(5.0) - 0.5 - 1.5), 1e-5);

    // Inside, the corners are square: every pixel within two of a side, nothing more.
    const Image inside = Stroke(Square(), Position::Inside, 2);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const bool in = x >= 5 && x <= 10 && y >= 5 && y <= 10;
            const bool frame = in && !(x >= 7 && x <= 8 && y >= 7 && y <= 8);
            EXPECT_EQ(inside[y][x], frame ? 1.0f : 0.0f) << x << ", " << y;
        }

    const Image centre = Stroke(Square(), Position::Centre, 2);
    ExpectNear(centre[7], {0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0});
    EXPECT_NEAR(centre[4][4], 1 - (std::sqrt(2.0) - 1), 1e-5);
}

TEST(StrokeBand, AFractionalWidthHalfCoversItsLastRing)
{
    ExpectNear(Stroke(Square(), Position::Outside, 1.5)[7],
               {0, 0, 0, 0.5f, 1, 0, 0, 0, 0, 0, 0, 1, 0.5f, 0, 0, 0});
    ExpectNear(Stroke(Square(), Position::Inside, 1.5)[7],
               {0, 0, 0, 0, 0, 1, 0.5f, 0, 0, 0.5f, 1, 0, 0, 0, 0, 0});
}

TEST(StrokeBand, PartialPixelsStateTheirOwnEdge)
{
    Image image = Square();
    Fill(image, 10, 5, 10, 10, 0.25f);  // the right side a quarter covered
    // Outside the edge is 0.25 beyond the partial pixels' inner side: they get 0.75, then a
    // full ring and a quarter one.
    const Image outside = Stroke(image, Position::Outside, 2);
    ExpectNear(outside[7], {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0.75f, 1, 0.25f, 0, 0, 0});
    const Image inside = Stroke(image, Position::Inside, 2);
    ExpectNear(inside[7], {0, 0, 0, 0, 0, 1, 1, 0, 0.75f, 1, 0.25f, 0, 0, 0, 0, 0});

    // A faint pixel sticking out is nearer to (3, 6) than the square, but states its edge
    // further: the square's side, two away, makes it.
    image = Square();
    image[7][4] = 0.1f;
    const Image faint = Stroke(image, Position::Outside, 2);
    EXPECT_NEAR(faint[7][4], 0.9f, 1e-5);
    EXPECT_NEAR(faint[6][3], 1, 1e-5);
}

TEST(StrokeBand, AShapeAtTheInputsEdgeStrokesAsIfBeyondWereEmpty)
{
    Image image = Blank(8, 12);
    Fill(image, 0, 4, 7, 7, 1);  // rows 4 .. 7, every column
    const Image inside = Stroke(image, Position::Inside, 1);
    ExpectNear(inside[4], std::vector<float>(8, 1));
    ExpectNear(inside[5], {1, 0, 0, 0, 0, 0, 0, 1});
    ExpectNear(inside[7], std::vector<float>(8, 1));
    const Image outside = Stroke(image, Position::Outside, 1);
    ExpectNear(outside[3], std::vector<float>(8, 1));
    ExpectNear(outside[5], std::vector<float>(8, 0));
    ExpectNear(outside[8], std::vector<float>(8, 1));
}

// A shape of full, empty and partial pixels at random, reaching the input's side columns.
Image Speckled(int32_t columns, int32_t rows, uint32_t seed)
{
    Image image = Blank(columns, rows);
    for (int32_t y = 6; y < rows - 6; ++y)
        for (int32_t x = (y % 5 == 0 ? 0 : 5); x < columns - (y % 7 == 0 ? 0 : 5); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint32_t pick = (seed >> 16) % 10;
            image[y][x] = pick < 4 ? 1.0f : pick < 7 ? 0.0f : ((seed >> 8) % 254 + 1) / 255.0f;
        }
    return image;
}

TEST(StrokeBand, RowsPassedOverStillFeedTheWindow)
{
    const Image image = Speckled(30, 60, 7);
    const Image every = Stroke(image, Position::Centre, 5);
    StrokeBandRows band(std::make_unique<test_support::HeldCoverageRows>(image, 0, 7), Position::Centre, 5);
    ASSERT_EQ(band.Reach(), 4);
    // Steps of one, a few, one just within the rows taken and one beyond them; one row twice.
    for (int64_t y : {3, 4, 6, 9, 9, 19, 20, 34, 35, 50, 59}) {
        const float* row = band.Row(y);
        const std::vector<float> got(row, row + band.Width());
        EXPECT_EQ(got, every[static_cast<size_t>(y)]) << "row " << y;
    }
}

// The length of the shortest path of steps across (1), diagonal (sqrt 2) and a knight's move
// (sqrt 5) over an offset.
double Steps(int32_t dx, int32_t dy)
{
    const int32_t a = std::max(std::abs(dx), std::abs(dy)),
                  b = std::min(std::abs(dx), std::abs(dy));
    return a >= 2 * b ? b * std::sqrt(5.0) + (a - 2 * b)
                      : (a - b) * std::sqrt(5.0) + (2 * b - a) * std::sqrt(2.0);
}

TEST(StrokeBand, DistancesGoInStepsAcrossDiagonalAndAKnightsMove)
{
    Image image = Blank(15, 15);
    image[7][7] = 1;
    const Image band = Stroke(image, Position::Outside, 3);
    // Two across and two down is two diagonal steps, as the crow flies; three across and one
    // down is a knight's move and a step, and three and two a knight's move and a diagonal.
    EXPECT_NEAR(band[9][9], 1, 1e-5);
    EXPECT_NEAR(band[8][10], 3 - std::sqrt(5.0), 1e-5);
    EXPECT_NEAR(band[9][10], 4 - std::sqrt(5.0) - std::sqrt(2.0), 1e-5);
}

// The stroke's distance by its definition, over every pixel within reach (those beyond the
// image empty).
double Measured(const Image& image, int32_t px, int32_t py, bool inward)
{
    const int32_t rows = static_cast<int32_t>(image.size());
    const int32_t columns = static_cast<int32_t>(image[0].size());
    double best = INFINITY;
    for (int32_t y = -12; y < rows + 12; ++y)
        for (int32_t x = -12; x < columns + 12; ++x) {
            const bool held = y >= 0 && y < rows && x >= 0 && x < columns;
            const double a = held ? image[y][x] : 0;
            if (inward ? a >= 1 : a <= 0)
                continue;
            const double d = Steps(x - px, y - py) + (inward ? a - 0.5 : 0.5 - a);
            best = std::min(best, d);
        }
    return best;
}

double Share(double d, double width)
{
    const auto clamp = [](double v) { return std::min(std::max(v, 0.0), 1.0); };
    return clamp(d + 0.5) - clamp(d - width + 0.5);
}

TEST(StrokeBand, MatchesTheDistanceTakenOverEveryPixel)
{
    const Image image = Speckled(26, 34, 12345);
    for (Position position : {Position::Outside, Position::Inside, Position::Centre})
        for (double width : {1.0, 2.5, 7.0}) {
            const Image band = Stroke(image, position, width);
            const double w = position == Position::Centre ? width / 2 : width;
            for (size_t y = 0; y < image.size(); ++y)
                for (size_t x = 0; x < image[y].size(); ++x) {
                    const int32_t px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
                    const double a = image[y][x];
                    double expected = 0;
                    if (position != Position::Inside && a < 1)
                        expected += Share(Measured(image, px, py, false), w);
                    if (position != Position::Outside && a > 0)
                        expected += Share(Measured(image, px, py, true), w);
                    ASSERT_NEAR(band[y][x], expected, 1e-5)
                        << x << ", " << y << " width " << width << " position "
                        << static_cast<int>(position);
                }
        }
}

}  // namespace
