// Vector masks: the path records of a "vmsk" block, the anti-aliased raster of straight edges,
// and the mask's coverage rows with the shapes combined as the editor combines them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "graphic/psd/PsdVectorMask.h"
#include "render/PathRaster.h"
#include "render/VectorMaskRows.h"
#include "stream/ByteOrder.h"
#include "support/ErrorTag.h"

using sdk::graphic::PsdSubpath;
using sdk::graphic::PsdVectorMask;
using sdk::graphic::ReadPsdVectorMask;
using sdk::render::FillRule;
using sdk::render::PathRaster;
using sdk::render::RasterPoint;
using sdk::render::VectorMaskRows;
using test_support::TagOf;

namespace {

const char* const kTag = "test::VectorMask:1";
const double kPi = 3.14159265358979323846;

// A block of path records as the editor writes them; points are fractions of the document.
struct Block {
    std::vector<uint8_t> bytes;

    explicit Block(uint32_t flags, uint32_t version = 3)
    {
        Put32(version);
        Put32(flags);
    }
    void Put16(uint16_t value)
    {
        bytes.resize(bytes.size() + 2);
        sdk::stream::PutBigEndian16(&bytes[bytes.size() - 2], value);
    }
    void Put32(uint32_t value)
    {
        bytes.resize(bytes.size() + 4);
        sdk::stream::PutBigEndian32(&bytes[bytes.size() - 4], value);
    }
    void Point(double x, double y)
    {
        Put32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(y * (1 << 24)))));
        Put32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(x * (1 << 24)))));
    }
    // A record of type whose data is value then zeros.
    void Record(uint16_t type, uint16_t value = 0)
    {
        Put16(type);
        Put16(value);
        bytes.resize(bytes.size() + 22);
    }
    // A length record as newer editors write it, or with no operation (older editors).
    void Length(uint16_t knots, int16_t operation, bool closed = true, bool stored = true)
    {
        Put16(closed ? 0 : 3);
        Put16(knots);
        const size_t at = bytes.size();
        bytes.resize(at + 22);
        if (stored) {
            sdk::stream::PutBigEndian16(&bytes[at], static_cast<uint16_t>(operation));
            bytes[at + 3] = 1;
        }
    }
    void Knot(double x, double y, bool closed = true)
    {
        Put16(closed ? 2 : 5);
        for (int i = 0; i < 3; ++i)
            Point(x, y);
    }
    // A closed rectangle of corner knots, clockwise on screen.
    void Rectangle(double left, double top, double right, double bottom, int16_t operation)
    {
        Length(4, operation);
        Knot(left, top);
        Knot(right, top);
        Knot(right, bottom);
        Knot(left, bottom);
    }
    PsdVectorMask Read() const { return ReadPsdVectorMask(bytes.data(), bytes.size(), kTag); }
};

// Coverage rows of mask over a 100 x 100 document.
std::vector<float> RowOf(const PsdVectorMask& mask, int32_t y, int32_t left = 0,
                         int32_t width = 100)
{
    VectorMaskRows rows(mask, 100, 100, left, width);
    std::vector<float> row(static_cast<size_t>(width));
    rows.Row(y, row.data());
    return row;
}

std::vector<float> RowOf(const Block& block, int32_t y)
{
    return RowOf(block.Read(), y);
}

}  // namespace

// ---- the records

TEST(VectorMaskRecords, ReadsKnotsOperationAndFlags)
{
    Block block(1 | 4);
    block.Record(6);
    block.Record(8, 1);
    block.Length(2, PsdSubpath::kSubtract);
    block.Put16(1);
    block.Point(0.25, 0.5);    // before
    block.Point(0.125, 0.75);  // anchor
    block.Point(-0.5, 1.5);    // after
    block.Knot(0.5, 0.5);
    const PsdVectorMask mask = block.Read();
    EXPECT_TRUE(mask.invert);
    EXPECT_FALSE(mask.notLinked);
    EXPECT_TRUE(mask.disabled);
    EXPECT_TRUE(mask.startsFilled);
    ASSERT_EQ(mask.subpaths.size(), 1u);
    const PsdSubpath& subpath = mask.subpaths[0];
    EXPECT_TRUE(subpath.closed);
    EXPECT_EQ(subpath.operation, PsdSubpath::kSubtract);
    ASSERT_EQ(subpath.knots.size(), 2u);
    EXPECT_DOUBLE_EQ(subpath.knots[0].before.x, 0.25);
    EXPECT_DOUBLE_EQ(subpath.knots[0].before.y, 0.5);
    EXPECT_DOUBLE_EQ(subpath.knots[0].anchor.x, 0.125);
    EXPECT_DOUBLE_EQ(subpath.knots[0].anchor.y, 0.75);
    EXPECT_DOUBLE_EQ(subpath.knots[0].after.x, -0.5);
    EXPECT_DOUBLE_EQ(subpath.knots[0].after.y, 1.5);
}

TEST(VectorMaskRecords, LengthRecordOfOlderEditorsHasNoOperation)
{
    Block block(0);
    block.Length(2, 0, false, false);
    block.Knot(0.1, 0.1, false);
    block.Knot(0.9, 0.9, false);
    block.Length(1, PsdSubpath::kXor);
    block.Knot(0.5, 0.5);
    const PsdVectorMask mask = block.Read();
    ASSERT_EQ(mask.subpaths.size(), 2u);
    EXPECT_FALSE(mask.subpaths[0].closed);
    EXPECT_EQ(mask.subpaths[0].operation, PsdSubpath::kNone);
    EXPECT_EQ(mask.subpaths[1].operation, PsdSubpath::kXor);
    EXPECT_FALSE(mask.startsFilled);
}

TEST(VectorMaskRecords, SkipsUnknownRecordsAndATrailingPartialOne)
{
    Block block(2);
    block.Record(99, 7);
    block.Knot(0.5, 0.5);  // outside any subpath
    block.Rectangle(0.1, 0.1, 0.2, 0.2, PsdSubpath::kUnion);
    block.bytes.resize(block.bytes.size() + 25, 0xFF);
    const PsdVectorMask mask = block.Read();
    EXPECT_TRUE(mask.notLinked);
    ASSERT_EQ(mask.subpaths.size(), 1u);
    EXPECT_EQ(mask.subpaths[0].knots.size(), 4u);
}

TEST(VectorMaskRecords, DamageRaisesTheTag)
{
    Block past(0);
    past.Length(5, PsdSubpath::kUnion);
    for (int i = 0; i < 4; ++i)
        past.Knot(0.5, 0.5);
    EXPECT_EQ(TagOf([&] { past.Read(); }), kTag);

    Block foreign(0);  // a fill rule record where a knot belongs
    foreign.Length(2, PsdSubpath::kUnion);
    foreign.Knot(0.5, 0.5);
    foreign.Record(6);
    EXPECT_EQ(TagOf([&] { foreign.Read(); }), kTag);

    EXPECT_EQ(TagOf([&] { Block(0, 2).Read(); }), kTag);
    const uint8_t shortBlock[7] = {0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(TagOf([&] { ReadPsdVectorMask(shortBlock, 7, kTag); }), kTag);
}

// ---- the raster

TEST(PathRaster, FillRulesOnNestedSquaresOfOneDirection)
{
    // The inner square's sides run through the middle of columns 3 and 8.
    PathRaster raster(0, 12);
    for (double inset : {0.0, 2.5}) {
        const double a = 1 + inset, b = 11 - inset;
        const RasterPoint p[4] = {{a, a}, {b, a}, {b, b}, {a, b}};
        for (int i = 0; i < 4; ++i)
            raster.AddLine(0, p[i], p[(i + 1) % 4]);
    }
    ASSERT_EQ(raster.Row(5).size(), 1u);
    std::vector<float> nonZero(12), evenOdd(12);
    raster.Coverage(0, FillRule::NonZero, nonZero.data());
    raster.Coverage(0, FillRule::EvenOdd, evenOdd.data());
    EXPECT_EQ(nonZero, (std::vector<float>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(evenOdd, (std::vector<float>{0, 1, 1, 0.5f, 0, 0, 0, 0, 0.5f, 1, 1, 0}));
    EXPECT_TRUE(raster.Row(20).empty());
}

TEST(VectorMaskRows, SquareWithFractionalEdges)
{
    Block block(0);
    block.Rectangle(0.1025, 0.305, 0.2075, 0.4025, PsdSubpath::kUnion);
    const PsdVectorMask mask = block.Read();
    VectorMaskRows rows(mask, 100, 100, 5, 20);  // columns 5 .. 24
    std::vector<float> row(20);
    const float full[] = {0, 0, 0, 0, 0, 0.75f, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.75f, 0, 0, 0, 0};
    for (int32_t y : {29, 30, 35, 40, 41}) {
        rows.Row(y, row.data());
        const float height = y == 30 ? 0.5f : y == 40 ? 0.25f : (y == 35 ? 1.0f : 0.0f);
        for (int32_t x = 0; x < 20; ++x)
            EXPECT_NEAR(row[x], full[x] * height, 1e-5) << "row " << y << " column " << x + 5;
    }
}

TEST(VectorMaskRows, CircleHasItsAreaAndSymmetry)
{
    // Four curves of the usual quarter-circle handle length, radius 40 about (50, 50).
    const double r = 0.4, k = 0.5522847498 * r, c = 0.5;
    Block block(0);
    block.Length(4, PsdSubpath::kUnion);
    const double knots[4][6] = {{c - k, c - r, c, c - r, c + k, c - r},
                                {c + r, c - k, c + r, c, c + r, c + k},
                                {c + k, c + r, c, c + r, c - k, c + r},
                                {c - r, c + k, c - r, c, c - r, c - k}};
    for (const auto& knot : knots) {
        block.Put16(1);
        for (int i = 0; i < 6; i += 2)
            block.Point(knot[i], knot[i + 1]);
    }
    VectorMaskRows rows(block.Read(), 100, 100, 0, 100);
    std::vector<std::vector<float>> image(100, std::vector<float>(100));
    double area = 0;
    for (int32_t y = 0; y < 100; ++y) {
        rows.Row(y, image[y].data());
        for (float value : image[y])
            area += value;
    }
    EXPECT_NEAR(area, kPi * 40 * 40, 0.01 * kPi * 40 * 40);
    for (int32_t y = 0; y < 100; ++y) {
        for (int32_t x = 0; x < 100; ++x) {
            EXPECT_NEAR(image[y][x], image[99 - y][x], 1e-3);
            EXPECT_NEAR(image[y][x], image[x][y], 1e-3);
        }
    }
    EXPECT_EQ(image[50][50], 1.0f);
    EXPECT_EQ(image[50][9], 0.0f);
    EXPECT_GT(image[50][10], 0.0f);

    // A window is a slice of the whole row, also where slanted edges cross its borders.
    VectorMaskRows slice(block.Read(), 100, 100, 13, 70);
    std::vector<float> row(70);
    for (int32_t y = 0; y < 100; ++y) {
        slice.Row(y, row.data());
        for (int32_t x = 0; x < 70; ++x)
            EXPECT_NEAR(row[x], image[y][x + 13], 1e-5) << "row " << y << " column " << x + 13;
    }
}

TEST(VectorMaskRows, ShapesCombineByTheirOperations)
{
    // A: columns 10 .. 49, B: columns 30 .. 69; sampled in A only, in both, in B only, in neither.
    auto sample = [](int16_t first, int16_t second) {
        Block block(0);
        block.Rectangle(0.1, 0.1, 0.5, 0.9, first);
        block.Rectangle(0.3, 0.1, 0.7, 0.9, second);
        const std::vector<float> row = RowOf(block, 50);
        return std::vector<float>{row[20], row[40], row[60], row[80]};
    };
    using V = std::vector<float>;
    EXPECT_EQ(sample(PsdSubpath::kUnion, PsdSubpath::kUnion), (V{1, 1, 1, 0}));
    EXPECT_EQ(sample(PsdSubpath::kUnion, PsdSubpath::kSubtract), (V{1, 0, 0, 0}));
    EXPECT_EQ(sample(PsdSubpath::kUnion, PsdSubpath::kIntersect), (V{0, 1, 0, 0}));
    EXPECT_EQ(sample(PsdSubpath::kUnion, PsdSubpath::kXor), (V{1, 0, 1, 0}));
    // The first shape sets the area: subtract leaves its outside, intersect its inside.
    EXPECT_EQ(sample(PsdSubpath::kSubtract, PsdSubpath::kSubtract), (V{0, 0, 0, 1}));
    EXPECT_EQ(sample(PsdSubpath::kIntersect, PsdSubpath::kIntersect), (V{0, 1, 0, 0}));

    // An intersecting shape that does not reach the row leaves nothing of it.
    Block block(0);
    block.Rectangle(0.1, 0.1, 0.5, 0.9, PsdSubpath::kUnion);
    block.Rectangle(0.1, 0.1, 0.5, 0.3, PsdSubpath::kIntersect);
    EXPECT_EQ(RowOf(block, 50), std::vector<float>(100, 0.0f));
    EXPECT_EQ(RowOf(block, 20)[20], 1.0f);
}

TEST(VectorMaskRows, SubpathsWithoutOperationFillEvenOddWithTheirShape)
{
    Block block(0);
    block.Rectangle(0.1, 0.1, 0.9, 0.9, PsdSubpath::kUnion);
    block.Rectangle(0.3, 0.3, 0.7, 0.7, PsdSubpath::kNone);  // same direction: still a hole
    const std::vector<float> row = RowOf(block, 50);
    EXPECT_EQ(row[20], 1.0f);
    EXPECT_EQ(row[50], 0.0f);
}

TEST(VectorMaskRows, OlderPathIsOneShapeOverTheInitialFill)
{
    Block block(0);
    block.Record(8, 1);
    block.Length(4, 0, true, false);
    block.Knot(0.1, 0.1);
    block.Knot(0.5, 0.1);
    block.Knot(0.5, 0.9);
    block.Knot(0.1, 0.9);
    const std::vector<float> row = RowOf(block, 50);
    EXPECT_EQ(row[5], 1.0f);
    EXPECT_EQ(row[30], 0.0f);
}

TEST(VectorMaskRows, InvertTurnsCoverageOver)
{
    Block block(1);
    block.Rectangle(0.1025, 0.1, 0.5, 0.9, PsdSubpath::kUnion);
    const std::vector<float> row = RowOf(block, 50);
    EXPECT_EQ(row[5], 1.0f);
    EXPECT_NEAR(row[10], 0.25f, 1e-5);
    EXPECT_EQ(row[30], 0.0f);
}

TEST(VectorMaskRows, WithoutSubpathsCoverageIsTheInitialFill)
{
    Block filled(0), empty(0);
    filled.Record(8, 1);
    EXPECT_EQ(RowOf(filled, -7), std::vector<float>(100, 1.0f));
    EXPECT_EQ(RowOf(empty, 3), std::vector<float>(100, 0.0f));
}

TEST(VectorMaskRows, OpenSubpathClosesWithAStraightLine)
{
    Block open(0), closed(0);
    for (Block* block : {&open, &closed}) {
        const bool isClosed = block == &closed;
        block->Length(3, PsdSubpath::kUnion, isClosed);
        block->Knot(0.1, 0.1, isClosed);
        block->Knot(0.9, 0.1, isClosed);
        block->Knot(0.1, 0.9, isClosed);
    }
    for (int32_t y : {5, 20, 50, 85})
        EXPECT_EQ(RowOf(open, y), RowOf(closed, y)) << "row " << y;
}

TEST(VectorMaskRows, PathBeyondTheWindowAndTheDocument)
{
    // Corners far outside the document: every row of the document inside, rows past it not.
    Block block(0);
    block.Rectangle(-100, -0.5, 100, 1.5, PsdSubpath::kUnion);
    const PsdVectorMask mask = block.Read();
    EXPECT_EQ(RowOf(mask, -50, 30, 40), std::vector<float>(40, 1.0f));
    EXPECT_EQ(RowOf(mask, 149, -500, 40), std::vector<float>(40, 1.0f));
    EXPECT_EQ(RowOf(mask, 150, 30, 40), std::vector<float>(40, 0.0f));
}

TEST(VectorMaskRows, HostilePathStaysBounded)
{
    // Many knots whose handles reach the limits of the fixed point numbers, in a huge document:
    // the curves get few lines each, and rows stay within 0 .. 1.
    Block block(0);
    const uint16_t knots = 20000;
    block.Length(knots, PsdSubpath::kUnion);
    for (uint16_t i = 0; i < knots; ++i) {
        block.Put16(1);
        block.Point(i % 2 ? 127.9 : -128, i % 3 ? -128 : 127.9);
        block.Point(i / double(knots), (i * 7 % knots) / double(knots));
        block.Point(i % 2 ? -128 : 127.9, i % 5 ? 127.9 : -128);
    }
    VectorMaskRows rows(block.Read(), 300000, 300000, 1000, 2400);
    EXPECT_LE(rows.Lines(), VectorMaskRows::kPathLines + knots);
    std::vector<float> row(2400);
    for (int32_t y : {0, 150000, 299999}) {
        rows.Row(y, row.data());
        for (float value : row)
            ASSERT_TRUE(value >= 0 && value <= 1);
    }
}
