#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "graphic/bmp/ImageLoaderBMP.h"
#include "graphic/dispatch/LoaderDispatch.h"
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
Image LoadBmp(const Bytes& file, ImageInfo* info = nullptr, bool extended = false)
{
    test_support::FileLikeStream stream(file.data(), file.size());
    Image image;
    ImageInfo discarded;
    sdk::graphic::ReadOptions options;
    options.extendedBmp = extended;
    sdk::graphic::Load(image, info ? *info : discarded, stream, options);
    return image;
}

Image LoadExtended(const Bytes& file)
{
    return LoadBmp(file, nullptr, true);
}

std::string TagOfLoading(const Bytes& file, bool extended = false)
{
    return TagOf([&] { LoadBmp(file, nullptr, extended); });
}

// A file of the given depth and coding whose palette maps index i to (i, 2i, 3i) (blue, green,
// red) for i below entries.
BmpBuilder Paletted(uint16_t bits, uint32_t compression, int32_t width, int32_t height,
                    uint32_t entries)
{
    BmpBuilder bmp;
    bmp.bitCount = bits;
    bmp.compression = compression;
    bmp.width = width;
    bmp.height = height;
    bmp.clrUsed = entries;
    for (uint32_t i = 0; i < entries; ++i)
        bmp.AddColour(uint8_t(i), uint8_t(2 * i), uint8_t(3 * i));
    return bmp;
}

// The B, G, R pixels of those palette indices.
Bytes Colours(const Bytes& indices)
{
    Bytes bgr;
    for (uint8_t i : indices)
        bgr.insert(bgr.end(), {i, uint8_t(2 * i), uint8_t(3 * i)});
    return bgr;
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

TEST(BmpReaderExtended, PalettesOfEveryDepthAndTheCoreHeader)
{
    // Rows (bottom-up) of 5 pixels, leftmost in the high bits.
    const struct {
        uint16_t bits;
        Bytes top, bottom;    // stored bytes
        Bytes indices;        // the picture's, top row first
    } cases[] = {
        {1, {0xA8}, {0x50}, {1, 0, 1, 0, 1, 0, 1, 0, 1, 0}},
        {2, {0x1B, 0xC0}, {0xE4, 0x40}, {0, 1, 2, 3, 3, 3, 2, 1, 0, 1}},
        {4, {0x01, 0x23, 0x40}, {0xFE, 0xDC, 0xB0}, {0, 1, 2, 3, 4, 15, 14, 13, 12, 11}},
    };
    for (const auto& c : cases) {
        BmpBuilder bmp = Paletted(c.bits, 0, 5, 2, 1u << c.bits);
        bmp.AddRow(c.bottom).AddRow(c.top);
        EXPECT_EQ(test_support::RasterOf(LoadExtended(bmp.Build())), Colours(c.indices)) << c.bits;
        EXPECT_EQ(TagOfLoading(bmp.Build()), "ImageLoaderBMP::LoadInfo:124");
    }
    // A core header: 3-byte palette entries; 2 of them where the pixels start.
    BmpBuilder core;
    core.headerSize = 12;
    core.bitCount = 8;
    core.width = 3;
    core.palette = {1, 2, 3, 4, 5, 6};
    core.AddRow({1, 0, 7});
    EXPECT_EQ(test_support::RasterOf(LoadExtended(core.Build())),
              (Bytes{4, 5, 6, 1, 2, 3, 0, 0, 0}));
}

TEST(BmpReaderExtended, RunLengthCodes)
{
    // 6 x 3, bottom row first: a run, an absolute run of 3 (padded), end of line; a move of 4
    // right, a run of 3 that passes the row's end and goes on above; end of picture. Pixels no
    // code reaches keep index 0.
    BmpBuilder rle8 = Paletted(8, 1, 6, 3, 8);
    rle8.pixels = {2, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 4, 0, 3, 7, 0, 1};
    EXPECT_EQ(test_support::RasterOf(LoadExtended(rle8.Build())),
              Colours({7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7, 5, 5, 1, 2, 3, 0}));
    // RLE4: nibbles alternate; an absolute run of 5 in 3 bytes and a padding byte; top-down; the
    // data ends without an end of picture.
    BmpBuilder rle4 = Paletted(4, 2, 6, -2, 16);
    rle4.pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0};
    EXPECT_EQ(test_support::RasterOf(LoadExtended(rle4.Build())),
              Colours({1, 2, 1, 2, 1, 0, 3, 4, 5, 6, 7, 0}));
    // An absolute run that the file cuts off keeps the pixels it has.
    rle8.pixels = {0, 4, 1, 2};
    EXPECT_EQ(test_support::RasterOf(LoadExtended(rle8.Build())),
              Colours({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0}));
}

TEST(BmpReaderExtended, BitFieldsAndAlpha)
{
    // 5-6-5 under a 40-byte header: white, pure red, green 32 of 63.
    BmpBuilder rgb565;
    rgb565.bitCount = 16;
    rgb565.compression = 3;
    rgb565.width = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.AddRow({0xFF, 0xFF, 0x00, 0xF8, 0x00, 0x04});
    EXPECT_EQ(test_support::RasterOf(LoadExtended(rgb565.Build())),
              (Bytes{255, 255, 255, 0, 0, 255, 0, 130, 0}));

    // B, G, R, A words under a V5 header: alpha as the image's byte 0; a 52-byte header has no
    // alpha mask, and alpha 0 throughout is taken as opaque.
    BmpBuilder bgra;
    bgra.bitCount = 32;
    bgra.compression = 3;
    bgra.width = 2;
    bgra.headerExtra.assign(84, 0);
    const uint32_t masks[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (size_t i = 0; i < 4; ++i)
        test_support::PutLE32(bgra.headerExtra, 4 * i, masks[i]);
    bgra.AddRow({1, 2, 3, 128, 4, 5, 6, 0});
    EXPECT_EQ(test_support::RasterOf(LoadExtended(bgra.Build())),
              (Bytes{128, 1, 2, 3, 0, 4, 5, 6}));
    BmpBuilder v2 = bgra;
    v2.headerExtra.resize(12);
    EXPECT_EQ(test_support::RasterOf(LoadExtended(v2.Build())), (Bytes{1, 2, 3, 4, 5, 6}));
    bgra.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(test_support::RasterOf(LoadExtended(bgra.Build())),
              (Bytes{255, 1, 2, 3, 255, 4, 5, 6}));
}

TEST(BmpReaderExtended, RefusesWhatNoWriterMeant)
{
    const std::pair<std::function<void(BmpBuilder&)>, const char*> cases[] = {
        {[](BmpBuilder& b) { b.headerSize = 20; }, "ImageLoaderBMP::LoadInfo:121"},
        {[](BmpBuilder& b) { b.bitCount = 3; }, "ImageLoaderBMP::LoadInfo:133"},
        {[](BmpBuilder& b) { b.compression = 4; }, "ImageLoaderBMP::LoadInfo:139"},
        {[](BmpBuilder& b) { b.headerExtra.resize(24); b.compression = 3; b.bitCount = 16; },
         "ImageLoaderBMP::LoadInfo:139"},  // OS/2 Huffman 1D
        {[](BmpBuilder& b) { b.compression = 1; }, "ImageLoaderBMP::LoadInfo:140"},
        {[](BmpBuilder& b) { b.compression = 3; }, "ImageLoaderBMP::LoadInfo:140"},
        {[](BmpBuilder& b) { b.width = 0; }, "ImageLoaderBMP::LoadInfo:141"},
        {[](BmpBuilder& b) { b.height = 0; }, "ImageLoaderBMP::LoadInfo:141"},
        {[](BmpBuilder& b) { b.bitCount = 16; b.compression = 3; b.masks = {0xF00F, 0x7E0, 0x1F}; },
         "ImageLoaderBMP::LoadInfo:142"},  // bits not adjacent
        {[](BmpBuilder& b) { b.bitCount = 16; b.compression = 3; b.masks = {0x1F0000, 0, 0}; },
         "ImageLoaderBMP::LoadInfo:142"},  // beyond the word
        {[](BmpBuilder& b) {
             b.bitCount = 16;
             b.compression = 3;
             b.masks = {0x1F, 0x3E0};  // and the file ends
             b.palette.clear();
             b.pixels.clear();
         },
         "ImageLoaderBMP::LoadInfo:137"},
        {[](BmpBuilder& b) { b.height = 5; }, "ImageLoaderBMP::Load:151"},
        {[](BmpBuilder& b) { b.width = 1 << 30; b.height = -(1 << 30); }, "ImageLoaderBMP::Load:151"},
        // Far more pixels than 4 bytes of codes describe, refused before any allocation.
        {[](BmpBuilder& b) { b.compression = 2; b.width = b.height = 30000; },
         "ImageLoaderBMP::Load:152"},
    };
    for (const auto& c : cases) {
        BmpBuilder bmp = Paletted(4, 0, 4, 4, 16);
        bmp.pixels.assign(16, 0x11);
        c.first(bmp);
        EXPECT_EQ(TagOfLoading(bmp.Build(), true), c.second);
    }
}

TEST(BmpReaderExtended, EveryCutOfAFileLoadsOrRaises)
{
    BmpBuilder rle = Paletted(8, 1, 4, 3, 4);
    rle.pixels = {2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 4, 2, 0, 1};
    BmpBuilder fields = Paletted(16, 3, 3, -2, 0);
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.AddRow({1, 2, 3, 4, 5, 6}).AddRow({7, 8, 9, 10, 11, 12});
    for (const Bytes& full : {rle.Build(), fields.Build()}) {
        for (size_t length = 0; length <= full.size(); ++length) {
            const Bytes cut(full.begin(), full.begin() + length);
            TagOf([&] { LoadExtended(cut); });
            sdk::stream::memory_in strict(cut.data(), static_cast<int32_t>(cut.size()));
            sdk::graphic::ReadOptions options;
            options.extendedBmp = true;
            Image image;
            TagOf([&] { sdk::graphic::Load(image, strict, options); });
        }
    }
}

}  // namespace
