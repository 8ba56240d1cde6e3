#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/TestImages.h"
#include "graphic/Draw.h"

using namespace sdk::graphic;

namespace {

using V = test_support::Bytes;

Image Make(int32_t channels, int32_t width, int32_t height, const V& bytes)
{
    return test_support::MakeImage(channels, width, height, bytes);
}

V Bytes(const Image& image) { return test_support::RasterOf(image); }

// A 1-row gray image 0, 1, 2, ... and an all-0xEE destination.
Image Ramp(int32_t width)
{
    V bytes;
    for (int32_t i = 0; i < width; ++i)
        bytes.push_back(static_cast<uint8_t>(i));
    return Make(1, width, 1, bytes);
}
Image Blank(int32_t width) { return Make(1, width, 1, V(static_cast<size_t>(width), 0xEE)); }

TEST(Draw, NegativeCoordinatesClipTheSource)
{
    Image dst = Blank(4);
    Draw(dst, Ramp(6), -3, 0);
    EXPECT_EQ(Bytes(dst), (V{3, 4, 5, 0xEE}));

    dst = Blank(6);
    Draw(dst, Ramp(5), 0, 0, 5, 1, -2, 0);
    EXPECT_EQ(Bytes(dst), (V{0xEE, 0xEE, 0, 1, 2, 0xEE}));
}

TEST(Draw, LargerSourceIsCutAtDestinationEdges)
{
    Image src(1, 4, 4);
    for (int i = 0; i < 16; ++i)
        src.Data()[i] = static_cast<uint8_t>(i);
    Image dst = Make(1, 3, 2, V(6, 0xEE));
    Draw(dst, src, 1, 1);
    EXPECT_EQ(Bytes(dst), (V{0xEE, 0xEE, 0xEE, 0xEE, 0, 1}));
    Draw(dst, src, 0, 0, INT32_MAX, INT32_MAX, 2, 2);
    EXPECT_EQ(Bytes(dst), (V{10, 11, 0xEE, 14, 15, 1}));
}

TEST(Draw, RectanglesOutsideOrHostileLeaveDestinationUntouched)
{
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    const int32_t rects[][6] = {
        {4, 0, 2, 1, 0, 0},   {-2, 0, 2, 1, 0, 0},   {0, 0, 2, 1, 3, 0},
        {lo, lo, hi, hi, lo, lo}, {hi, hi, hi, hi, hi, hi}, {lo, 0, hi, 1, hi, 0},
        {hi, 0, hi, 1, lo, 0},    {0, 0, lo, lo, 0, 0},     {0, 0, hi, hi, lo, lo},
    };
    Image dst = Blank(4);
    const Image src = Ramp(3);
    for (const auto& r : rects) {
        Draw(dst, src, r[0], r[1], r[2], r[3], r[4], r[5]);
        EXPECT_EQ(Bytes(dst), V(4, 0xEE)) << r[0] << ' ' << r[2] << ' ' << r[4];
    }
    Image none;
    Draw(dst, none);
    Draw(none, src);  // must not throw
}

TEST(Draw, ReplacesInsteadOfBlending)
{
    Image dst = Make(3, 1, 1, {9, 9, 9});
    Draw(dst, Make(4, 1, 1, {0, 0, 0, 255}));  // transparent red
    EXPECT_EQ(Bytes(dst), (V{0, 0, 255}));
}

TEST(Draw, GrayIsWeightedLuminance)
{
    Image src = Make(3, 4, 1, {255, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0});
    Image dst(1, 4, 1);
    Draw(dst, src);
    EXPECT_EQ(Bytes(dst), (V{255, 75, 149, 29}));
}

// One pixel of every layout, drawn into every layout: gray 100 with alpha 7 and colour
// B=30, G=60, R=200 (L = (200*76 + 60*150 + 30*30) >> 8 = 98) with alpha 7.
TEST(Draw, AllSixteenLayoutPairs)
{
    const V sources[4] = {{100}, {7, 100}, {30, 60, 200}, {7, 30, 60, 200}};
    const V expected[4][4] = {
        {{100}, {100}, {98}, {98}},
        {{255, 100}, {7, 100}, {255, 98}, {7, 98}},
        {{100, 100, 100}, {100, 100, 100}, {30, 60, 200}, {30, 60, 200}},
        {{255, 100, 100, 100}, {7, 100, 100, 100}, {255, 30, 60, 200}, {7, 30, 60, 200}},
    };
    for (int d = 0; d < 4; ++d) {
        for (int s = 0; s < 4; ++s) {
            // Two columns, drawing the pixel into the second, to catch stride or offset slips.
            Image src(s + 1, 2, 2);
            std::memcpy(sdk::graphic::Pixel(src, 1, 1), sources[s].data(), sources[s].size());
            Image dst(d + 1, 2, 2);
            Draw(dst, src, 1, 0, 1, 1, 1, 1);
            const uint8_t* p = sdk::graphic::Pixel(dst, 1, 0);
            EXPECT_EQ(V(p, p + d + 1), expected[d][s]) << "dst " << d + 1 << " src " << s + 1;
            EXPECT_EQ(V(dst.Data(), dst.Data() + d + 1), V(static_cast<size_t>(d + 1), 0));
        }
    }
}

TEST(Draw, OverlappingSameRasterStaysInBounds)
{
    Image image = Ramp(5);
    Draw(image, image, 1, 0);
    EXPECT_EQ(Bytes(image), (V{0, 0, 1, 2, 3}));
}

}  // namespace
