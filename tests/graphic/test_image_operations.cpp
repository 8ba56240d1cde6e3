#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "debug/Error.h"
#include "support/TestImages.h"
#include "graphic/ImageOperations.h"

using namespace sdk::graphic;

namespace {

using V = test_support::Bytes;

Image Make(int32_t channels, int32_t width, int32_t height, const V& bytes)
{
    return test_support::MakeImage(channels, width, height, bytes);
}

V Bytes(const Image& image) { return test_support::RasterOf(image); }

TEST(ImageOperations, InvertAlphaTouchesOnlyAlphaByte)
{
    Image image = Make(2, 2, 1, {10, 20, 0, 40});
    InvertAlpha(image);
    EXPECT_EQ(Bytes(image), (V{245, 20, 255, 40}));
    InvertAlpha(image);
    EXPECT_EQ(Bytes(image), (V{10, 20, 0, 40}));

    Image colour = Make(3, 1, 1, {1, 2, 3});
    InvertAlpha(colour);
    EXPECT_EQ(Bytes(colour), (V{1, 2, 3}));
}

TEST(ImageOperations, RemoveMatteTakesTheWhiteOutOfPartlyTransparentColour)
{
    // Red at 80% stored over white is (255, 51, 51); the matte out, it is red again. A
    // transparent pixel and a colour darker than the matte allows are left or clamped.
    Image image = Make(4, 3, 1, {204, 51, 51, 255, 0, 10, 20, 30, 128, 0, 200, 255});
    RemoveMatte(image);
    EXPECT_EQ(Bytes(image), (V{204, 0, 0, 255, 0, 10, 20, 30, 128, 0, 145, 255}));
}

TEST(ImageOperations, ExtractAlphaAndColor)
{
    Image image = Make(4, 2, 1, {7, 1, 2, 3, 8, 4, 5, 6});
    EXPECT_EQ(Bytes(ExtractAlpha(image)), (V{7, 8}));
    EXPECT_EQ(Bytes(ExtractAlpha(Make(3, 2, 1, {0, 0, 0, 9, 9, 9}))), (V{255, 255}));

    Image colour = ExtractColor(image);
    EXPECT_EQ(colour.Channels(), 3);
    EXPECT_EQ(Bytes(colour), (V{1, 2, 3, 4, 5, 6}));

    Image gray = Make(1, 1, 1, {3});
    EXPECT_NE(ExtractColor(gray).Data(), gray.Data());
    EXPECT_EQ(Bytes(ExtractColor(gray)), V{3});
}

TEST(ImageOperations, MergeTakesAlphaFromGrayColourOrSmallerImage)
{
    Image colour = Make(3, 2, 1, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(Bytes(Merge(colour, Make(1, 2, 1, {50, 60}))), (V{50, 1, 2, 3, 60, 4, 5, 6}));

    // Half-width alpha: the uncovered right half is opaque.
    Image wide = Make(1, 4, 1, {0, 0, 0, 0});
    EXPECT_EQ(Bytes(Merge(wide, Make(1, 2, 1, {10, 20}))), (V{10, 0, 20, 0, 255, 0, 255, 0}));

    // Colour alpha contributes its luminance; its own alpha is ignored.
    Image mask = Make(4, 2, 1, {0, 255, 255, 255, 0, 0, 0, 255});
    EXPECT_EQ(Bytes(ExtractAlpha(Merge(colour, mask))), (V{255, 75}));
}

TEST(ImageOperations, ConvertColourToGray)
{
    Image red = Make(3, 1, 1, {0, 0, 255});
    EXPECT_EQ(Bytes(Convert(red, 1)), (V{75}));
    EXPECT_EQ(Bytes(Convert(red, 2)), (V{255, 75}));
    EXPECT_EQ(Bytes(Convert(red, 3)), (V{0, 0, 255}));
    EXPECT_THROW(Convert(red, 5), sdk::debug::runtime_error);
}

TEST(ImageOperations, CopyCreatesOrFillsDestination)
{
    Image src = Make(2, 2, 1, {1, 2, 3, 4});
    Image dst;
    Copy(dst, src);
    EXPECT_TRUE(SameFormat(dst, src));
    EXPECT_NE(dst.Data(), src.Data());
    EXPECT_EQ(Bytes(dst), (V{1, 2, 3, 4}));

    Image target(2, 2, 1);
    Image alias = target;
    const uint8_t* raster = target.Data();
    Copy(target, src);
    EXPECT_EQ(target.Data(), raster);
    EXPECT_EQ(Bytes(alias), (V{1, 2, 3, 4}));
    Copy(target, alias);  // a raster onto itself
    EXPECT_EQ(Bytes(target), (V{1, 2, 3, 4}));
}

TEST(ImageOperations, InvalidInputsRaiseTagsBeforeChangingAnything)
{
    auto tag = [](auto f) -> std::string {
        try { f(); } catch (const sdk::debug::logic_error& e) { return e.what(); }
        return "(nothing raised)";
    };
    Image none;
    Image good = Make(2, 1, 1, {5, 6});
    EXPECT_EQ(tag([&] { Copy(good, none); }), "Copy:41");
    EXPECT_EQ(tag([&] { InvertAlpha(none); }), "InvertAlpha:61");
    EXPECT_EQ(tag([&] { ExtractAlpha(none); }), "ExtractAlpha:114");
    EXPECT_EQ(tag([&] { ExtractColor(none); }), "ExtractColor:137");
    EXPECT_EQ(tag([&] { ChangeAlpha(none, good); }), "ChangeAlpha:156");
    EXPECT_EQ(tag([&] { ChangeAlpha(good, none); }), "ChangeAlpha:157");
    EXPECT_EQ(tag([&] { Merge(none, good); }), "Merge:188");
    EXPECT_EQ(tag([&] { Merge(good, none); }), "Merge:189");
    EXPECT_EQ(tag([&] { Convert(none, 1); }), "Convert:41");
    EXPECT_EQ(Bytes(good), (V{5, 6}));
}

}  // namespace
