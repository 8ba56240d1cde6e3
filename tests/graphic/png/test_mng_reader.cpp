#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "graphic/png/ImageLoaderMNG.h"
#include "stream/StreamFile.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"
#include "support/MngBuilder.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

using namespace sdk::graphic;
using namespace test_support;

namespace {

Bytes Tx(const std::string& key, const std::string& text)
{
    return Text(key) + Bytes{0} + Text(text);
}

// Runs check on a reader over file, once from memory and once from a real file, since the two
// kinds of stream behave differently at and past the end.
void ForBothStreams(const Bytes& file, const std::function<void(ImageLoaderMNG&)>& check)
{
    {
        SCOPED_TRACE("memory");
        sdk::stream::memory_in in(file.data(), static_cast<int32_t>(file.size()));
        ImageLoaderMNG loader(in);
        check(loader);
    }
    SCOPED_TRACE("file");
    TempDir dir;
    WriteWholeFile(dir / "f.mng", std::string(file.begin(), file.end()));
    sdk::stream::file_in in(dir / "f.mng");
    in.OpenRead();
    ImageLoaderMNG loader(in);
    check(loader);
}

MngBuilder Start()
{
    MngBuilder mng;
    mng.MngSignature().Mhdr(30, 20);
    return mng;
}

ImageInfo InfoOf(ImageLoaderMNG& loader, int32_t index)
{
    ImageInfo info;
    loader.LayerInfo(index, info);
    return info;
}

}  // namespace

TEST(MngReader, CollectsOneLayerPerDatastreamWithItsChunks)
{
    const Bytes file =
        Start()
            .Chunk("FRAM", Bytes{2} + Text("nm") + Bytes{0, 1, 0, 0, 0} + Be32(4))
            .Chunk("DEFI", Be16(0) + Bytes{0, 0} + Be32(static_cast<uint32_t>(-3)) + Be32(7))
            .Chunk("tEXt", Tx("TITLE", "Hello"))
            .Chunk("tEXt", Tx("Mode", "norm"))
            .GreyDatastream(2, 1, 9)
            .Chunk("IHDR", Ihdr(1, 1, 8, 0))
            .Chunk("tEXt", Tx("comment", "inside"))
            .Chunk("IDAT", ZlibStored({0, 5}))
            .Chunk("IEND", {})
            .Chunk("MEND", {})
            .GreyDatastream(1, 1, 1)  // after MEND: not read
            .Data();
    ForBothStreams(file, [](ImageLoaderMNG& loader) {
        EXPECT_STREQ(loader.FormatName(), "MNG");
        ASSERT_EQ(loader.LayerCount(), 2);
        const ImageInfo first = InfoOf(loader, 0), second = InfoOf(loader, 1);
        EXPECT_EQ(first.title, "Hello");
        EXPECT_EQ(first.mode, "");
        EXPECT_EQ(first.delay, 4);
        EXPECT_EQ(first.x, -3);
        EXPECT_EQ(first.y, 7);
        EXPECT_EQ(first.width, 2);
        EXPECT_EQ(second.title, "");
        EXPECT_EQ(second.comment, "inside");
        EXPECT_EQ(second.delay + second.x + second.y, 0);

        Image image(1, 1, 1);
        ImageInfo document;
        loader.Load(image, document);
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(document.width, 30);
        EXPECT_EQ(document.height, 20);
        loader.LayerLoad(1, image);
        EXPECT_EQ(RasterOf(image), Bytes{5});
        loader.LayerLoad(0, image);
        EXPECT_EQ(RasterOf(image), (Bytes{9, 9}));
    });
}

TEST(MngReader, HostileChunksAreBoundedByTheirBodies)
{
    struct Case {
        const char* name;
        Bytes file;
        int32_t layers;
        std::string title;  // of layer 0
        int32_t delay, x;   // of layer 0
    } const cases[] = {
        {"FRAM name without zero byte",
         Start()
             .Chunk("FRAM", Bytes{2} + Text("abcdefg"))
             .Chunk("tEXt", Tx("title", "t"))
             .GreyDatastream(1, 1, 0)
             .Data(),
         1, "t", 0, 0},
        {"FRAM too short for its delay",
         Start().Chunk("FRAM", Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0}).GreyDatastream(1, 1, 0).Data(), 1,
         "", 0, 0},
        {"DEFI without a whole location",
         Start().Chunk("DEFI", Bytes{0, 0, 0, 0, 0, 0, 0, 9}).GreyDatastream(1, 1, 0).Data(), 1, "",
         0, 0},
        {"tEXt without zero byte",
         Start().Chunk("tEXt", Text("titleHello")).GreyDatastream(1, 1, 0).Data(), 1, "", 0, 0},
        {"iTXt compressed, and iTXt without translated keyword",
         Start()
             .Chunk("iTXt", Tx("title", "") + Bytes{1, 0, 0, 0} + Text("a"))
             .Chunk("iTXt", Tx("title", "") + Bytes{0, 0} + Tx("en", "b"))
             .GreyDatastream(1, 1, 0)
             .Data(),
         1, "", 0, 0},
        {"length past the end",
         Start().GreyDatastream(1, 1, 0).ChunkClaiming(1000, "tEXt", Tx("title", "x")).Data(), 1,
         "", 0, 0},
        {"length above 2^31 - 1",
         Start().ChunkClaiming(0x80000000u, "tEXt", {}).GreyDatastream(1, 1, 0).Data(), 0, "", 0,
         0},
        {"header cut short", Start().GreyDatastream(1, 1, 0).Raw({0, 0, 0, 4, 'I'}).Data(), 1, "",
         0, 0},
        {"no MEND", Start().Chunk("DEFI", Bytes(12, 1)).GreyDatastream(1, 1, 0).Data(), 1, "", 0,
         0x01010101},
        {"MHDR length past the end",
         MngBuilder()
             .MngSignature()
             .ChunkClaiming(0x7FFFFFFF, "MHDR", Bytes(13, 0))
             .GreyDatastream(1, 1, 0)
             .Data(),
         0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForBothStreams(c.file, [&](ImageLoaderMNG& loader) {
            ASSERT_EQ(loader.LayerCount(), c.layers);
            if (c.layers == 0)
                return;
            const ImageInfo info = InfoOf(loader, 0);
            EXPECT_EQ(info.title, c.title);
            EXPECT_EQ(info.delay, c.delay);
            EXPECT_EQ(info.x, c.x);
            Image image;
            loader.LayerLoad(0, image);
            EXPECT_EQ(image.Size(), 1);
        });
    }
}

TEST(MngReader, ErrorTags)
{
    const auto scan = [](const Bytes& file) {
        return TagOf([&] {
            sdk::stream::memory_in in(file.data(), static_cast<int32_t>(file.size()));
            ImageLoaderMNG loader(in);
        });
    };
    EXPECT_EQ(scan(MngBuilder().PngSignature().GreyDatastream(1, 1, 0).Data()),
              "ImageLoaderMNG::Scan:96");
    const Bytes signature = MngBuilder().MngSignature().Data();
    EXPECT_EQ(scan(Bytes(signature.begin(), signature.end() - 1)), "ImageLoaderMNG::Scan:96");
    EXPECT_EQ(scan(MngBuilder().MngSignature().Data()), "ImageLoaderMNG::Scan:101");
    EXPECT_EQ(scan(MngBuilder().MngSignature().Chunk("mHDR", Bytes(28, 0)).Data()),
              "ImageLoaderMNG::Scan:101");
    EXPECT_EQ(scan(MngBuilder().MngSignature().Chunk("MHDR", Bytes(12, 0)).Data()),
              "ImageLoaderMNG::Scan:102");
    EXPECT_EQ(scan(MngBuilder().MngSignature().Raw(Be32(28) + Text("MHDR") + Bytes(11, 0)).Data()),
              "ImageLoaderMNG::Scan:102");

    const Bytes file = Start().Chunk("IEND", {}).GreyDatastream(1, 1, 0).Data();
    ForBothStreams(file, [](ImageLoaderMNG& loader) {
        ASSERT_EQ(loader.LayerCount(), 2);
        Image image;
        ImageInfo info;
        EXPECT_EQ(TagOf([&] { loader.LayerLoad(0, image); }), "ImageLoaderMNG::LoadImage:239");
        EXPECT_EQ(TagOf([&] { loader.LayerLoad(2, image); }), "ImageLoaderMNG::LayerLoad:73");
        EXPECT_EQ(TagOf([&] { loader.LayerLoad(-1, image); }), "ImageLoaderMNG::LayerLoad:73");
        EXPECT_EQ(TagOf([&] { loader.LayerInfo(2, info); }), "ImageLoaderMNG::LayerInfo:85");
        EXPECT_EQ(TagOf([&] { loader.LayerInfo(-1, info); }), "ImageLoaderMNG::LayerInfo:85");
    });
}

TEST(MngReader, DamagedLayersFailWhenLoaded)
{
    Bytes badCrc = Start().GreyDatastream(1, 1, 7).Data();
    badCrc[badCrc.size() - 17] ^= 0x40;  // the last byte of the IDAT body
    // The last IEND lacks its CRC: the layer is listed, its decoding runs out of bytes.
    Bytes cut = Start().GreyDatastream(1, 1, 7).Data();
    cut.resize(cut.size() - 2);
    testing::internal::CaptureStderr();
    ForBothStreams(badCrc, [](ImageLoaderMNG& loader) {
        Image image;
        EXPECT_EQ(TagOf([&] { loader.LayerLoad(0, image); }), "ImageLoaderPNG::s_LoadPNG:180");
    });
    sdk::stream::memory_in in(cut.data(), static_cast<int32_t>(cut.size()));
    ImageLoaderMNG fromMemory(in);
    Image image;
    EXPECT_EQ(TagOf([&] { fromMemory.LayerLoad(0, image); }), "memory_in::Read:42");
    TempDir dir;
    WriteWholeFile(dir / "cut.mng", std::string(cut.begin(), cut.end()));
    sdk::stream::file_in file(dir / "cut.mng");
    file.OpenRead();
    ImageLoaderMNG fromFile(file);
    EXPECT_EQ(TagOf([&] { fromFile.LayerLoad(0, image); }), "ImageLoaderPNG::s_LoadPNG:181");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
