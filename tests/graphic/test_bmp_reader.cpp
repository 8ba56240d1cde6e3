#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "graphic/ImageLoaderBMP.h"
#include "stream/StreamMemory.h"
#include "support/BmpBuilder.h"
#include "support/ErrorTag.h"
#include "support/FileLikeStream.h"
#include "support/TestImages.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;
using test_support::BmpBuilder;
using test_support::Bytes;
using test_support::TagOf;

namespace {

// Loads file as the program meets files: through dispatch, from a stream that reads short.
Image LoadBmp(const Bytes& file, ImageInfo* info = nullptr)
{
    test_support::FileLikeStream stream(file.data(), file.size());
    Image image;
    ImageInfo discarded;
    sdk::graphic::Load(image, info ? *info : discarded, stream);
    return image;
}

std::string TagOfLoading(const Bytes& file)
{
    return TagOf([&] { LoadBmp(file); });
}

TEST(BmpReader, RowOrderFollowsTheSignOfTheHeight)
{
    // 3 pixels wide: rows of 9 bytes and 3 padding bytes; file row r, pixel x = (x, r, x + r).
    ImageInfo info;
    const Image image = LoadBmp(BmpBuilder::Rgb24(3, 2).Build(), &info);
    EXPECT_EQ(info.width * 10 + info.height, 32);
    EXPECT_EQ(test_support::RasterOf(image),
              (Bytes{0, 1, 1, 1, 1, 2, 2, 1, 3, 0, 0, 0, 1, 0, 1, 2, 0, 2}));

    BmpBuilder topDown = BmpBuilder::Rgb24(3, 2);
    topDown.height = -2;
    topDown.pixels.clear();
    topDown.AddRow({0, 1, 1, 1, 1, 2, 2, 1, 3}).AddRow({0, 0, 0, 1, 0, 1, 2, 0, 2});
    EXPECT_EQ(test_support::RasterOf(LoadBmp(topDown.Build(), &info)), test_support::RasterOf(image));
    EXPECT_EQ(info.height, 2);
}

TEST(BmpReader, PaletteOfClrUsedEntriesAndIndicesBeyondItShowBlack)
{
    BmpBuilder bmp;
    bmp.bitCount = 8;
    bmp.width = 4;
    bmp.clrUsed = 2;
    bmp.AddColour(10, 20, 30).AddColour(40, 50, 60).AddRow({1, 0, 2, 255});
    EXPECT_EQ(test_support::RasterOf(LoadBmp(bmp.Build())),
              (Bytes{40, 50, 60, 10, 20, 30, 0, 0, 0, 0, 0, 0}));
}

TEST(BmpReader, LongerHeaderAndGapBeforeThePixelsAreSkipped)
{
    BmpBuilder bmp = BmpBuilder::Indexed8(5, 2);  // pixel (x, file row r) = entry x + 3r
    bmp.headerExtra.assign(84, 0xEE);
    bmp.gap.assign(6, 0xEE);
    const Image image = LoadBmp(bmp.Build());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            const int i = x + 3 * (1 - y);
            EXPECT_EQ(Bytes(sdk::graphic::Pixel(image, x, y), sdk::graphic::Pixel(image, x, y) + 3),
                      (Bytes{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)}));
        }
}

TEST(BmpReader, SixteenBitIsFiveFiveFiveAndThirtyTwoBitIsBgrAndUnused)
{
    BmpBuilder bmp;
    bmp.bitCount = 16;
    bmp.width = 3;
    // 0x7FFF white, red 31 (with the unused top bit set), blue 1 and green 16.
    bmp.AddRow({0xFF, 0x7F, 0x00, 0xFC, 0x01, 0x02});
    EXPECT_EQ(test_support::RasterOf(LoadBmp(bmp.Build())),
              (Bytes{255, 255, 255, 0, 0, 255, 8, 132, 0}));

    bmp.bitCount = 32;
    bmp.pixels.clear();
    bmp.AddRow({1, 2, 3, 0x77, 4, 5, 6, 0x88, 7, 8, 9, 0x99});
    EXPECT_EQ(test_support::RasterOf(LoadBmp(bmp.Build())), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(BmpReader, RefusesHeadersOutsideWhatItReads)
{
    const std::pair<std::function<void(BmpBuilder&)>, const char*> cases[] = {
        {[](BmpBuilder& b) { b.headerSize = 12; }, "ImageLoaderBMP::LoadInfo:121"},
        {[](BmpBuilder& b) { b.planes = 2; }, "ImageLoaderBMP::LoadInfo:122"},
        {[](BmpBuilder& b) { b.compression = 1; }, "ImageLoaderBMP::LoadInfo:123"},
        {[](BmpBuilder& b) { b.compression = 3; b.bitCount = 32; }, "ImageLoaderBMP::LoadInfo:123"},
        {[](BmpBuilder& b) { b.bitCount = 4; }, "ImageLoaderBMP::LoadInfo:124"},
        {[](BmpBuilder& b) { b.bitCount = 12; }, "ImageLoaderBMP::LoadInfo:133"},
        {[](BmpBuilder& b) { b.bitCount = 48; }, "ImageLoaderBMP::LoadInfo:133"},
        {[](BmpBuilder& b) { b.height = INT_MIN; }, "ImageLoaderBMP::LoadInfo:134"},
        {[](BmpBuilder& b) { b.clrUsed = 257; }, "ImageLoaderBMP::LoadInfo:135"},
        {[](BmpBuilder& b) { b.headerSize = 0xFFFFFFFF; }, "ImageLoaderBMP::LoadInfo:136"},
        {[](BmpBuilder& b) { b.headerSize = 40 + 1024 + 16 + 1; }, "ImageLoaderBMP::LoadInfo:136"},
        {[](BmpBuilder& b) { b.palette.resize(255 * 4 + 3); b.pixels.clear(); }, "ImageLoaderBMP::LoadInfo:137"},
        {[](BmpBuilder& b) { b.offBits = 14 + 40 + 1024 + 16 + 1; }, "ImageLoaderBMP::LoadInfo:138"},
        {[](BmpBuilder& b) { b.offBits = 0xFFFFFFFF; }, "ImageLoaderBMP::LoadInfo:138"},
        {[](BmpBuilder& b) { b.width = 0; }, "Image::Create:59"},
        {[](BmpBuilder& b) { b.width = -4; }, "Image::Create:59"},
        {[](BmpBuilder& b) { b.height = 0; }, "Image::Create:60"},
        // Sizes the 16 pixel bytes cannot back, refused before any allocation.
        {[](BmpBuilder& b) { b.width = 17; b.height = 1; }, "ImageLoaderBMP::Load:151"},
        {[](BmpBuilder& b) { b.width = 20000; b.height = -20000; }, "ImageLoaderBMP::Load:151"},
        {[](BmpBuilder& b) { b.width = INT_MAX; b.height = INT_MAX; }, "ImageLoaderBMP::Load:151"},
        {[](BmpBuilder& b) { b.width = 1; b.height = INT_MAX; }, "ImageLoaderBMP::Load:151"},
        {[](BmpBuilder& b) { b.offBits = 14 + 40 + 1024 + 16; }, "ImageLoaderBMP::Load:151"},
    };
    for (const auto& c : cases) {
        BmpBuilder bmp = BmpBuilder::Indexed8(4, 4);
        c.first(bmp);
        EXPECT_EQ(TagOfLoading(bmp.Build()), c.second);
    }
    Bytes file = BmpBuilder::Rgb24(1, 1).Build();
    file.resize(17);
    EXPECT_EQ(TagOfLoading(file), "ImageLoaderBMP::LoadInfo:131");
    file = BmpBuilder::Rgb24(1, 1).Build();
    file.resize(53);
    EXPECT_EQ(TagOfLoading(file), "ImageLoaderBMP::LoadInfo:132");
}

TEST(BmpReader, FileEndingAmongItsRowsKeepsWhatTheBuffersHeld)
{
    // Width 1: four rows need 12 pixel bytes and are stored in 16 with their padding.
    Bytes file = BmpBuilder::Rgb24(1, 4).Build();
    file.resize(file.size() - 4);
    EXPECT_EQ(test_support::RasterOf(LoadBmp(file)), (Bytes{0, 0, 0, 0, 2, 2, 0, 1, 1, 0, 0, 0}));
    // 8-bit rows keep the previous row's indices.
    file = BmpBuilder::Indexed8(1, 2).Build();
    file.resize(file.size() - 4);
    EXPECT_EQ(test_support::RasterOf(LoadBmp(file)), (Bytes{0, 255, 0, 0, 255, 0}));
}

TEST(BmpReader, EveryCutOfAFileLoadsOrRaises)
{
    BmpBuilder indexed = BmpBuilder::Indexed8(5, -3, 7);
    indexed.headerExtra.assign(16, 0);
    for (const Bytes& full : {indexed.Build(), BmpBuilder::Rgb24(3, 3).Build()}) {
        int loaded = 0;
        for (size_t length = 0; length <= full.size(); ++length) {
            const Bytes cut(full.begin(), full.begin() + length);
            try {
                LoadBmp(cut);
                ++loaded;
            } catch (const std::exception&) {
            }
            // A stream that refuses to read or move past the end instead of reading short.
            sdk::stream::memory_in strict(cut.data(), static_cast<int32_t>(cut.size()));
            Image image;
            TagOf([&] { sdk::graphic::Load(image, strict); });
        }
        // Those that still hold width x height pixel bytes: 10 lengths for either file.
        EXPECT_EQ(loaded, 10);
    }
}

TEST(BmpReader, EveryLoadReadsTheFileFromItsStart)
{
    const Bytes file = BmpBuilder::Indexed8(3, -2, 5).Build();
    test_support::FileLikeStream stream(file.data(), file.size());
    sdk::graphic::ImageLoaderBMP reader(stream);
    Image first, second;
    ImageInfo info;
    reader.Load(first, info);
    stream.SetPos(9);
    reader.Load(second, info);
    EXPECT_EQ(test_support::RasterOf(first), test_support::RasterOf(second));
    EXPECT_STREQ(reader.FormatName(), "BMP");
}

}  // namespace
