// BMP to PNG and PNG to BMP with the three ways of keeping alpha on the BMP side, inversion and
// filling, and the status lines and steps of both directions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "files/FileSystem.h"
#include "graphic/ImageOperations.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "support/BmpBuilder.h"
#include "support/TestImages.h"

using namespace conversion_test;
using sdk::graphic::Image;
using test_support::MakeImage;

namespace {

enum class Alpha { None, File, Split };

class BmpPngConversion : public ::testing::Test {
protected:
    void SetUp() override { option = cOption(); }
    void TearDown() override { option = cOption(); }

    void Use(Alpha alpha)
    {
        option.alphaFile = alpha == Alpha::File;
        option.alphaSplit = alpha == Alpha::Split;
    }

    test_support::TempDir dir;
};

// A colour picture; pixel x of row y is (10x + y, 20 + x, 30 + y) as B, G, R.
Image Colour(int32_t width, int32_t height)
{
    Image image(3, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = sdk::graphic::Pixel(image, x, y);
            p[0] = static_cast<uint8_t>(10 * x + y + 1);
            p[1] = static_cast<uint8_t>(20 + x);
            p[2] = static_cast<uint8_t>(30 + y);
        }
    return image;
}

uint16_t BitCount(const std::string& bmp) { return test_support::GetLE16(ReadBytes(bmp), 28); }

}  // namespace

TEST_F(BmpPngConversion, BmpToPngWithEachAlphaSource)
{
    option.bmpToPng = true;
    ASSERT_TRUE(test_support::MakeFolder(dir / "in"));
    const Image picture = Colour(3, 2);
    sdk::graphic::SaveBMP(picture, dir / "in/pic.bmp");
    sdk::graphic::SaveBMP(picture, dir / "in/solo.bmp");
    // The alpha half is smaller than the picture: the rest stays opaque.
    sdk::graphic::SaveBMP(MakeImage(1, 2, 1, {0, 77}), dir / "in/pic_.bmp");

    // No alpha source, even with inversion asked for: an opaque colour PNG.
    {
        option.invertAlpha = true;
        Recorder run;
        ASSERT_TRUE(ConvertFile(run.context, dir / "in/solo.bmp"));
        EXPECT_EQ(run.lines, std::vector<std::string>({"solo.bmp → solo.png"}));
        EXPECT_EQ(run.high, 4);
        EXPECT_EQ(run.position, 4);
        EXPECT_EQ(Raster(ReadImage(dir / "in/solo.png")), Raster(picture));
        option.invertAlpha = false;
    }
    // With the alpha file; it is read beside the input although the PNG goes elsewhere.
    {
        Use(Alpha::File);
        option.outputFolder = dir / "out";
        Recorder run;
        ASSERT_TRUE(ConvertFile(run.context, dir / "in/pic.bmp"));
        EXPECT_EQ(run.lines, std::vector<std::string>({"pic.bmp + pic_.bmp → pic.png"}));
        EXPECT_FALSE(sdk::files::IsFile(dir / "in/pic.png"));
        Image expected = sdk::graphic::Convert(picture, 4);
        const uint8_t alpha[] = {0, 77, 255, 255, 255, 255};
        for (int32_t i = 0; i < 6; ++i)
            expected.Data()[4 * i] = alpha[i];
        EXPECT_EQ(Raster(ReadImage(dir / "out/pic.png")), Raster(expected));
        // The same option without an alpha file beside the input: opaque, no "+" part.
        ASSERT_TRUE(ConvertFile(run.context, dir / "in/solo.bmp"));
        EXPECT_EQ(run.lines.back(), "solo.bmp → solo.png");
        EXPECT_EQ(ReadImage(dir / "out/solo.png").Channels(), 3);
        // The alpha file is found in any letter case, as the input list passes over it (the
        // name Windows is asked for is the one it shows).
        sdk::graphic::SaveBMP(MakeImage(1, 1, 1, {9}), dir / "in/SOLO_.BMP");
        ASSERT_TRUE(ConvertFile(run.context, dir / "in/solo.bmp"));
#if defined(_WIN32)
        EXPECT_EQ(run.lines.back(), "solo.bmp + solo_.bmp → solo.png");
#else
        EXPECT_EQ(run.lines.back(), "solo.bmp + SOLO_.BMP → solo.png");
#endif
        EXPECT_EQ(ReadImage(dir / "out/solo.png").Data()[0], 9);
    }
}

TEST_F(BmpPngConversion, BmpToPngFromTheRightHalf)
{
    // Width 5: colour in columns 0 and 1, alpha as gray in 2 and 3, column 4 ignored.
    Image picture = Colour(5, 2);
    const uint8_t gray[2][2] = {{0, 255}, {90, 255}};
    for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 2; ++x) {
            uint8_t* p = sdk::graphic::Pixel(picture, 2 + x, y);
            p[0] = p[1] = p[2] = gray[y][x];
        }
        uint8_t* last = sdk::graphic::Pixel(picture, 4, y);
        last[0] = last[1] = last[2] = 0;
    }
    sdk::graphic::SaveBMP(picture, dir / "split.bmp");
    option.bmpToPng = true;
    Use(Alpha::Split);

    struct Row {
        bool invert, fill;
        uint8_t alpha[4];
        bool cleared[4];  // colour set to 0
    };
    const Row rows[] = {
        {false, false, {0, 255, 90, 255}, {false, false, false, false}},
        {false, true, {0, 255, 90, 255}, {true, false, false, false}},
        // Inversion comes first, so the pixels cleared are those transparent after it.
        {true, true, {255, 0, 165, 0}, {false, true, false, true}},
    };
    for (const Row& row : rows) {
        option.invertAlpha = row.invert;
        option.fillBlank = row.fill;
        Recorder run;
        ASSERT_TRUE(ConvertFile(run.context, dir / "split.bmp"));
        const Image written = ReadImage(dir / "split.png");
        ASSERT_EQ(written.Width(), 2);
        ASSERT_EQ(written.Channels(), 4);
        for (int32_t i = 0; i < 4; ++i) {
            const int32_t x = i % 2, y = i / 2;
            const uint8_t* p = sdk::graphic::Pixel(written, x, y);
            const uint8_t* colour = sdk::graphic::Pixel(picture, x, y);
            EXPECT_EQ(p[0], row.alpha[i]) << i;
            for (int32_t c = 0; c < 3; ++c)
                EXPECT_EQ(p[1 + c], row.cleared[i] ? 0 : colour[c]) << i;
        }
    }
}

TEST_F(BmpPngConversion, PngToBmpWithEachAlphaTarget)
{
    // Alpha 255, 0, 128 along the row, 0, 255, 64 on the next.
    Image picture = sdk::graphic::Convert(Colour(3, 2), 4);
    const uint8_t alpha[] = {255, 0, 128, 0, 255, 64};
    for (int32_t i = 0; i < 6; ++i)
        picture.Data()[4 * i] = alpha[i];
    SavePng(picture, dir / "p.png");
    SavePng(Colour(3, 2), dir / "opaque.png");
    option.pngToBmp = true;

    struct Row {
        Alpha alpha;
        const char* input;
        const char* line;
        int32_t width;
        bool alphaBmp;
    };
    const Row rows[] = {
        {Alpha::None, "p", "p.png → p.bmp", 3, false},
        {Alpha::File, "p", "p.png → p.bmp / p_.bmp", 3, true},
        {Alpha::Split, "p", "p.png → p.bmp", 6, false},
        {Alpha::Split, "opaque", "opaque.png → opaque.bmp", 3, false},
        {Alpha::File, "opaque", "opaque.png → opaque.bmp", 3, false},
    };
    int folder = 0;
    for (const Row& row : rows) {
        Use(row.alpha);
        const std::string out = "out" + std::to_string(++folder) + "/";
        option.outputFolder = dir / out;
        const std::string name = row.input;
        SCOPED_TRACE(row.line);
        Recorder run;
        ASSERT_TRUE(ConvertFile(run.context, dir / (name + ".png")));
        EXPECT_EQ(run.lines, std::vector<std::string>({row.line}));
        EXPECT_EQ(run.high, 5);
        EXPECT_EQ(run.position, 5);

        const std::string bmp = dir / (out + name + ".bmp");
        EXPECT_EQ(BitCount(bmp), 24);
        const Image written = ReadImage(bmp);
        ASSERT_EQ(written.Width(), row.width);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < row.width; ++x) {
                const uint8_t* p = sdk::graphic::Pixel(written, x, y);
                if (x < 3) {
                    const uint8_t* colour = sdk::graphic::Pixel(picture, x, y) + 1;
                    EXPECT_EQ(Bytes(p, p + 3), Bytes(colour, colour + 3)) << x << "," << y;
                } else {
                    const uint8_t a = alpha[3 * y + x - 3];
                    EXPECT_EQ(Bytes(p, p + 3), Bytes(3, a)) << x << "," << y;
                }
            }
        const std::string alphaBmp = dir / (out + name + "_.bmp");
        EXPECT_EQ(sdk::files::IsFile(alphaBmp), row.alphaBmp);
        if (row.alphaBmp) {
            EXPECT_EQ(BitCount(alphaBmp), 8);
            // The reader expands the gray palette to colour.
            EXPECT_EQ(Raster(sdk::graphic::Convert(ReadImage(alphaBmp), 1)), Bytes(alpha, alpha + 6));
        }
    }
}

TEST_F(BmpPngConversion, PngToBmpFillsBeforeAndAfterInversion)
{
    Image picture = sdk::graphic::Convert(Colour(3, 1), 4);
    const uint8_t alpha[] = {255, 0, 128};
    for (int32_t i = 0; i < 3; ++i)
        picture.Data()[4 * i] = alpha[i];
    SavePng(picture, dir / "p.png");
    option.pngToBmp = option.fillBlank = option.invertAlpha = true;
    Use(Alpha::File);
    Recorder run;
    ASSERT_TRUE(ConvertFile(run.context, dir / "p.png"));
    // Opaque pixels become transparent by the inversion and are then cleared; transparent ones
    // were cleared before it; the half-transparent one keeps its colour.
    const Image colour = ReadImage(dir / "p.bmp");
    const uint8_t* kept = sdk::graphic::Pixel(picture, 2, 0) + 1;
    EXPECT_EQ(Raster(colour), Bytes({0, 0, 0, 0, 0, 0, kept[0], kept[1], kept[2]}));
    EXPECT_EQ(Raster(sdk::graphic::Convert(ReadImage(dir / "p_.bmp"), 1)), Bytes({0, 255, 127}));
}

TEST_F(BmpPngConversion, BgraRoundTripAndAlphaOfTheBmpsOwn)
{
    Image picture = sdk::graphic::Convert(Colour(3, 2), 4);
    const uint8_t alpha[] = {255, 0, 128, 0, 1, 64};
    for (int32_t i = 0; i < 6; ++i)
        picture.Data()[4 * i] = alpha[i];
    SavePng(picture, dir / "p.png");
    // A partner file beside it, which a BMP with alpha of its own does not take.
    sdk::graphic::SaveBMP(MakeImage(1, 3, 2, Bytes(6, 9)), dir / "p_.bmp");
    option.pngToBmp = option.alphaBgra = option.invertAlpha = true;
    Recorder written;
    ASSERT_TRUE(ConvertFile(written.context, dir / "p.png"));
    EXPECT_EQ(written.lines, std::vector<std::string>({"p.png → p.bmp"}));
    EXPECT_EQ(BitCount(dir / "p.bmp"), 32);

    option = cOption();
    option.bmpToPng = option.extended = option.invertAlpha = option.alphaFile = true;
    Recorder read;
    ASSERT_TRUE(ConvertFile(read.context, dir / "p.bmp"));
    EXPECT_EQ(read.lines, std::vector<std::string>({"p.bmp → p.png"}));
    // Inverted twice: the picture as it was.
    EXPECT_EQ(Raster(ReadImage(dir / "p.png")), Raster(picture));

    // A 1-bit partner is read the extended way too: index 1 white, index 0 black.
    test_support::BmpBuilder mask;
    mask.bitCount = 1;
    mask.width = 3;
    mask.height = 2;
    mask.AddColour(0, 0, 0).AddColour(255, 255, 255).AddRow({0xA0}).AddRow({0x40});
    WriteBytes(dir / "q_.bmp", mask.Build());
    sdk::graphic::SaveBMP(Colour(3, 2), dir / "q.bmp");
    option.invertAlpha = false;
    ASSERT_TRUE(ConvertFile(read.context, dir / "q.bmp"));
    EXPECT_EQ(read.lines.back(), "q.bmp + q_.bmp → q.png");
    const Image merged = ReadImage(dir / "q.png");
    const uint8_t expected[] = {0, 255, 0, 255, 0, 255};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(merged.Data()[4 * i], expected[i]) << i;
}
