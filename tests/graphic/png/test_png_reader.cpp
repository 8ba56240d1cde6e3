#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <string>

#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/png/ImageLoaderPNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamFile.h"
#include "stream/StreamMemory.h"
#include "support/ChildProcess.h"
#include "support/ErrorTag.h"
#include "support/MngBuilder.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

using namespace sdk::graphic;
using namespace test_support;
using sdk::stream::memory_in;

namespace {

struct Extra {
    const char* type;
    Bytes body;
};

// A PNG of the given header and unfiltered rows, with chunks before IDAT and after it.
Bytes Png(const Bytes& ihdr, const Bytes& raw, const std::vector<Extra>& before = {},
          const std::vector<Extra>& after = {})
{
    MngBuilder png;
    png.PngSignature().Chunk("IHDR", ihdr);
    for (const Extra& chunk : before)
        png.Chunk(chunk.type, chunk.body);
    png.Chunk("IDAT", ZlibStored(raw));
    for (const Extra& chunk : after)
        png.Chunk(chunk.type, chunk.body);
    return png.Chunk("IEND", {}).Data();
}

void LoadBytes(const Bytes& file, Image& image, ImageInfo& info)
{
    memory_in in(file.data(), static_cast<int32_t>(file.size()));
    ImageLoaderPNG(in).Load(image, info);
}

// A file of our writer holding channels x width x height bytes that hardly compress.
Bytes Written(int32_t channels, int32_t width, int32_t height)
{
    Image image(channels, width, height);
    for (int32_t i = 0; i < image.Size(); ++i)
        image.Data()[i] = static_cast<uint8_t>(i * 151 + (i >> 3) * 17);
    sdk::stream::buffer_io out;
    ImageSaverPNG(out).Save(image, ImageInfo());
    return out.Bytes();
}

}  // namespace

TEST(PngReader, DecodesEveryColourTypeToTheImageLayouts)
{
    const Bytes palette = {10, 20, 30, 40, 50, 60};
    struct Case {
        const char* name;
        Bytes file;
        int32_t width, channels;
        Bytes raster;
    } const cases[] = {
        {"16-bit RGBA keeps high bytes",
         Png(Ihdr(1, 1, 16, 6), {0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}),
         1,
         4,
         {0xDE, 0x9A, 0x56, 0x12}},
        {"1-bit grey widens", Png(Ihdr(8, 1, 1, 0), {0, 0xA0}), 8, 1, {255, 0, 255, 0, 0, 0, 0, 0}},
        {"palette with tRNS",
         Png(Ihdr(2, 1, 8, 3), {0, 0, 1}, {{"PLTE", palette}, {"tRNS", {0x40}}}),
         2,
         4,
         {0x40, 30, 20, 10, 255, 60, 50, 40}},
        {"palette",
         Png(Ihdr(2, 1, 8, 3), {0, 0, 1}, {{"PLTE", palette}}),
         2,
         3,
         {30, 20, 10, 60, 50, 40}},
        {"grey with tRNS",
         Png(Ihdr(2, 1, 8, 0), {0, 7, 9}, {{"tRNS", Be16(7)}}),
         2,
         2,
         {0, 7, 255, 9}},
        {"grey with alpha", Png(Ihdr(1, 1, 8, 4), {0, 0x11, 0x22}), 1, 2, {0x22, 0x11}},
        {"truecolour", Png(Ihdr(1, 1, 8, 2), {0, 1, 2, 3}), 1, 3, {3, 2, 1}},
        {"interlaced 2x2", Png(Ihdr(2, 2, 8, 0, 1), {0, 1, 0, 2, 0, 3, 4}), 2, 1, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        ImageInfo info;
        LoadBytes(c.file, image, info);
        EXPECT_EQ(image.Channels(), c.channels);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, image.Height());
        EXPECT_EQ(RasterOf(image), c.raster);
    }
}

TEST(PngReader, TakesPixelOffsetAndTextsBeforeTheImageData)
{
    const Bytes file = Png(Ihdr(1, 1, 8, 0), {0, 0},
                           {{"oFFs", Be32(static_cast<uint32_t>(-5)) + Be32(7) + Bytes{0}},
                            {"tEXt", Text(std::string("title\0First", 11))},
                            {"tEXt", Text(std::string("TITLE\0Second", 12))},
                            {"tEXt", Text(std::string("Comment\0c", 9))},
                            {"tEXt", Text(std::string("mode\0norm", 9))},
                            {"tEXt", Text(std::string("Other\0x", 7))}},
                           {{"tEXt", Text(std::string("Comment\0late", 12))}});
    Image image;
    ImageInfo info;
    info.delay = 99;  // untouched fields keep their values
    LoadBytes(file, image, info);
    EXPECT_EQ(info.x, -5);
    EXPECT_EQ(info.y, 7);
    EXPECT_EQ(info.title, "Second");
    EXPECT_EQ(info.comment, "c");
    EXPECT_EQ(info.mode, "norm");
    EXPECT_EQ(info.delay, 99);

    ImageInfo micrometres;
    micrometres.x = 3;
    LoadBytes(Png(Ihdr(1, 1, 8, 0), {0, 0}, {{"oFFs", Be32(100) + Be32(200) + Bytes{1}}}), image,
              micrometres);
    EXPECT_EQ(micrometres.x, 3);
    EXPECT_EQ(micrometres.y, 0);
}

TEST(PngReader, SignatureAndReaderSelection)
{
    const Bytes png = Png(Ihdr(1, 1, 8, 0), {0, 0});
    memory_in in(png.data(), static_cast<int32_t>(png.size()));
    sdk::smart_ptr<ImageLoader> loader = CreateLoader(in);
    ASSERT_FALSE(loader.IsEmpty());
    EXPECT_STREQ(loader->FormatName(), "PNG");
    EXPECT_EQ(loader->LayerCount(), 0);

    // Seven bytes of the signature are not a signature, whatever the memory beyond holds.
    memory_in seven(png.data(), 7);
    EXPECT_FALSE(IsPNGSignature(seven));

    const Bytes bmp = Text("BM") + Bytes(60, 0);
    Image image;
    ImageInfo info;
    EXPECT_EQ(TagOf([&] { LoadBytes(bmp, image, info); }), "ImageLoaderPNG::Load:53");
}

TEST(PngReader, DamagedDatastreamsRaiseRuntimeErrors)
{
    Image image;
    ImageInfo info;
    const Bytes good = Written(3, 8, 8);
    const size_t idatEnd = good.size() - 12 - 4;  // the only IDAT, then its CRC and IEND

    Bytes badCrc = good;
    badCrc[idatEnd - 1] ^= 0x01;
    EXPECT_EQ(TagOf([&] { LoadBytes(badCrc, image, info); }), "ImageLoaderPNG::s_LoadPNG:180");

    // A broken zlib header under a correct CRC.
    Bytes zlib = ZlibStored({0, 0});
    zlib[0] = 0x79;
    const Bytes badZlib = MngBuilder()
                              .PngSignature()
                              .Chunk("IHDR", Ihdr(1, 1, 8, 0))
                              .Chunk("IDAT", zlib)
                              .Chunk("IEND", {})
                              .Data();
    EXPECT_EQ(TagOf([&] { LoadBytes(badZlib, image, info); }), "ImageLoaderPNG::s_LoadPNG:180");

    // Width above the reader's limit of 1,000,000.
    EXPECT_EQ(TagOf([&] { LoadBytes(Png(Ihdr(1000001, 1, 8, 0), {0}), image, info); }),
              "ImageLoaderPNG::s_LoadPNG:180");

    // A huge size in a small file is refused before anything is allocated for it.
    EXPECT_EQ(TagOf([&] { LoadBytes(Png(Ihdr(1000000, 1000000, 16, 6), {0}), image, info); }),
              "ImageLoaderPNG::s_LoadPNG:182");
    EXPECT_EQ(TagOf([&] { LoadBytes(Png(Ihdr(100000, 10000, 1, 0), {0}), image, info); }),
              "ImageLoaderPNG::s_LoadPNG:182");

    // A memory stream's own error passes through.
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(idatEnd - 10));
    EXPECT_EQ(TagOf([&] { LoadBytes(cut, image, info); }), "memory_in::Read:42");
}

// The log is created once per process: the loads run in a fresh child process.
TEST(PngReader, LibpngTextsGoToTheLogBesideTheTag)
{
    UseFreshProcessForDeathTests();
    ChildProcessFolder folder;
    // Text chunks with a bad CRC are only warned about, the first eight in words; a bad IDAT CRC
    // fails the load.
    const Extra text{"tEXt", Text(std::string("a\0b", 3))};
    Bytes badText = Png(Ihdr(1, 1, 8, 0), {0, 0}, std::vector<Extra>(10, text));
    for (size_t chunk = 0; chunk < 10; ++chunk)
        badText[8 + 25 + 15 * chunk + 14] ^= 0x01;  // its CRC, after the signature and IHDR
    Bytes badData = Written(3, 8, 8);
    badData[badData.size() - 12 - 1] ^= 0x01;  // the IDAT's CRC, before IEND
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            Image image;
            ImageInfo info;
            LoadBytes(badText, image, info);
            try {
                LoadBytes(badData, image, info);
            } catch (const std::exception&) {
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    std::string expected;
    for (int i = 0; i < 8; ++i)
        expected += "libpng warning (ImageLoaderPNG::s_LoadPNG:180): tEXt: CRC error\r\n";
    EXPECT_EQ(expected +
                  "libpng warning (ImageLoaderPNG::s_LoadPNG:180): further warnings left out\r\n"
                  "ERROR: std::runtime_error(ImageLoaderPNG::s_LoadPNG:180)\r\n"
                  "libpng: IDAT: CRC error\r\n",
              ReadWholeFile(folder / "debug.txt"));
}

TEST(PngReader, HighlyCompressedImagesStillLoad)
{
    // 16 MB of zero bytes deflate to about 16 KB, close to deflate's best ratio.
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    saver.bestCompression = true;
    saver.Save(Image(1, 4000, 4000), ImageInfo());
    Image image;
    ImageInfo info;
    LoadBytes(out.Bytes(), image, info);
    EXPECT_EQ(image.Size(), 16000000);
}

TEST(PngReader, FileCutAtAnyLengthFailsQuietly)
{
    TempDir dir;
    const Bytes good = Written(4, 5, 3);
    testing::internal::CaptureStderr();
    for (size_t length = 0; length < good.size(); ++length) {
        const std::string path = dir / ("cut" + std::to_string(length) + ".png");
        WriteWholeFile(path, std::string(good.begin(), good.begin() + static_cast<long>(length)));
        sdk::stream::file_in in(path);
        in.OpenRead();
        Image image;
        EXPECT_EQ(TagOf([&] { Load(image, in); }),
                  length < 8 ? "graphic::Load:48" : "ImageLoaderPNG::s_LoadPNG:181")
            << "cut at " << length;
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
