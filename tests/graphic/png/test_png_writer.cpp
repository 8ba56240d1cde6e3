#include <gtest/gtest.h>

#include <zlib.h>

#include <string>

#include "graphic/png/ImageLoaderPNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"
#include "support/IccProfiles.h"
#include "support/MngBuilder.h"
#include "support/TestImages.h"

using namespace sdk::graphic;
using namespace test_support;

namespace {

enum Compression { kStandard, kBest, kFast };

Bytes Saved(const Image& image, const ImageInfo& info, Compression compression = kStandard)
{
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    saver.bestCompression = compression == kBest;
    saver.fastCompression = compression == kFast;
    saver.Save(image, info);
    return out.Bytes();
}

// The concatenated IDAT bodies of a PNG file.
Bytes ZlibData(const Bytes& file)
{
    Bytes data;
    for (const ChunkRecord& chunk : ParseChunks(file))
        if (chunk.type == "IDAT")
            data = data + chunk.body;
    return data;
}

// The compression level class that the zlib header declares (FLEVEL): 0 fastest ... 3 maximum.
int ZlibLevel(const Bytes& file)
{
    return ZlibData(file)[1] >> 6;
}

// The filtered rows (filter byte + row) that the IDAT data inflates to.
Bytes Inflated(const Bytes& file, size_t size)
{
    const Bytes data = ZlibData(file);
    Bytes raw(size);
    uLongf length = static_cast<uLongf>(size);
    EXPECT_EQ(uncompress(raw.data(), &length, data.data(), static_cast<uLong>(data.size())), Z_OK);
    EXPECT_EQ(length, size);
    return raw;
}

Image Gradient(int32_t channels, int32_t width, int32_t height)
{
    Image image(channels, width, height);
    for (int32_t i = 0; i < image.Size(); ++i)
        image.Data()[i] = static_cast<uint8_t>(i * 3 + i / image.Stride());
    return image;
}

}  // namespace

TEST(PngWriter, WritesSignatureAndTheChunksOfItsInfo)
{
    ImageInfo full;
    full.x = -5;
    full.title = "T";
    full.comment = "Cm";
    full.mode = "norm";  // never written
    full.width = 99;     // the image's own size is written
    const Bytes file = Saved(Image(4, 2, 1), full);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}));
    const std::vector<ChunkRecord> chunks = ParseChunks(file);
    ASSERT_EQ(TypesOf(chunks), "IHDR oFFs tEXt tEXt IDAT IEND");
    EXPECT_EQ(chunks[0].body, Ihdr(2, 1, 8, 6));
    EXPECT_EQ(chunks[1].body, Be32(static_cast<uint32_t>(-5)) + Be32(0) + Bytes{0});
    EXPECT_EQ(chunks[2].body, Text(std::string("Title\0T", 7)));
    EXPECT_EQ(chunks[3].body, Text(std::string("Comment\0Cm", 10)));
    for (const ChunkRecord& chunk : chunks)
        EXPECT_TRUE(chunk.crcOk) << chunk.type;

    ImageInfo titleAndY;
    titleAndY.y = 3;
    titleAndY.title = "T";
    const std::vector<ChunkRecord> some = ParseChunks(Saved(Image(1, 1, 1), titleAndY));
    ASSERT_EQ(TypesOf(some), "IHDR oFFs tEXt IDAT IEND");
    EXPECT_EQ(some[1].body, Be32(0) + Be32(3) + Bytes{0});
    EXPECT_EQ(TypesOf(ParseChunks(Saved(Image(1, 1, 1), ImageInfo()))), "IHDR IDAT IEND");
}

TEST(PngWriter, NonAsciiTextIsITxtOutsideWindows)
{
    ImageInfo info;
    info.title = "\xE5\x86\x86";  // UTF-8 of a kanji; Windows keeps its code page bytes in tEXt
    info.comment = "Cm";          // plain ASCII: tEXt everywhere
    const std::vector<ChunkRecord> chunks = ParseChunks(Saved(Image(1, 1, 1), info));
#if defined(_WIN32)
    EXPECT_EQ(TypesOf(chunks), "IHDR tEXt tEXt IDAT IEND");
#else
    ASSERT_EQ(TypesOf(chunks), "IHDR iTXt tEXt IDAT IEND");
    // Uncompressed, empty language tag and translated keyword, then the bytes unchanged.
    EXPECT_EQ(chunks[1].body, (Text("Title") + Bytes{0, 0, 0, 0, 0} + Text(info.title)));
#endif
}

TEST(PngWriter, ColourTypeAndChannelOrderInTheFile)
{
    struct Case {
        int32_t channels;
        uint8_t colourType;
        Bytes memory, file;  // one pixel
    } const cases[] = {
        {1, 0, {0x20}, {0x20}},
        {2, 4, {0x80, 0x20}, {0x20, 0x80}},
        {3, 2, {0x10, 0x20, 0x30}, {0x30, 0x20, 0x10}},
        {4, 6, {0x80, 0x10, 0x20, 0x30}, {0x30, 0x20, 0x10, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        const Image image = MakeImage(c.channels, 1, 1, c.memory);
        const Bytes file = Saved(image, ImageInfo(), kFast);
        EXPECT_EQ(ParseChunks(file)[0].body, Ihdr(1, 1, 8, c.colourType));
        EXPECT_EQ(Inflated(file, 1 + c.file.size()), Bytes{0} + c.file);

        sdk::stream::memory_in in(file.data(), static_cast<int32_t>(file.size()));
        Image back;
        ImageInfo info;
        ImageLoaderPNG(in).Load(back, info);
        EXPECT_EQ(RasterOf(back), c.memory);
    }
}

TEST(PngWriter, CompressionChoices)
{
    const Image image = Gradient(3, 16, 16);
    const size_t rowBytes = 1 + 16 * 3;
    // Fast: zlib level 1 and filter None on every row.
    const Bytes fast = Saved(image, ImageInfo(), kFast);
    EXPECT_EQ(ZlibLevel(fast), 0);
    const Bytes rows = Inflated(fast, rowBytes * 16);
    for (size_t row = 0; row < 16; ++row)
        EXPECT_EQ(rows[row * rowBytes], 0) << row;
    // Best: the zlib header declares maximum compression; it also wins over fast.
    EXPECT_EQ(ZlibLevel(Saved(image, ImageInfo(), kBest)), 3);
    sdk::stream::buffer_io both;
    ImageSaverPNG saver(both);
    saver.bestCompression = saver.fastCompression = true;
    saver.Save(image, ImageInfo());
    EXPECT_EQ(ZlibLevel(both.Bytes()), 3);
    // Standard: zlib's default level, and libpng's adaptive filters find something to do.
    const Bytes standard = Saved(image, ImageInfo());
    EXPECT_EQ(ZlibLevel(standard), 2);
    const Bytes filtered = Inflated(standard, rowBytes * 16);
    bool anyFilter = false;
    for (size_t row = 0; row < 16; ++row)
        anyFilter = anyFilter || filtered[row * rowBytes] != 0;
    EXPECT_TRUE(anyFilter);
}

TEST(PngWriter, FailuresEndTheSaveWithTheirTags)
{
    sdk::stream::buffer_io out;
    {
        ImageSaverPNG saver(out);
        EXPECT_EQ(TagOf([&] { saver.Save(Image(), ImageInfo()); }), "ImageSaverPNG::Save:222");
    }
    EXPECT_EQ(out.Bytes().size(), 8u);  // the signature only; a PNG writer writes no MEND

    // libpng's own refusal: wider than the reader would accept.
    EXPECT_EQ(TagOf([&] { Saved(Image(1, 1000001, 1), ImageInfo()); }), "ImageSaverPNG::Save:240");

    // Errors of the stream pass through unchanged, whether libpng or the writer hit them.
    for (int32_t room : {4, 20, 60}) {
        uint8_t block[60];
        sdk::stream::memory_out small(block, room);
        ImageSaverPNG saver(small);
        EXPECT_EQ(TagOf([&] { saver.Save(Gradient(1, 8, 8), ImageInfo()); }),
                  "memory_out::Write:54")
            << room;
    }
}

TEST(PngWriter, SixteenBitSamplesGoBigEndianInTheFileAndColourTagsBeforeThem)
{
    // Two pixels of A, B, G, R samples of 16 bits, in the machine's byte order.
    const uint16_t samples[8] = {0xFFFF, 0x0102, 0x0304, 0x0506, 0x8000, 0xA0B0, 0xC0D0, 0xE0F0};
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    saver.fastCompression = true;  // no filtering: the rows are in the data as they are
    saver.sixteenBits = true;
    saver.colorTag.kind = PngColorTag::Kind::Srgb;
    saver.Begin(4, 2, 1, ImageInfo());
    saver.WriteRow(reinterpret_cast<const uint8_t*>(samples));
    saver.End();
    const Bytes file = out.Bytes();
    EXPECT_EQ(file[24], 16);  // IHDR's bit depth
    EXPECT_EQ(TypesOf(ParseChunks(file)), "IHDR gAMA sRGB cHRM IDAT IEND");
    EXPECT_EQ(Inflated(file, 17), (Bytes{0, 0x05, 0x06, 0x03, 0x04, 0x01, 0x02, 0xFF, 0xFF,  //
                                         0xE0, 0xF0, 0xC0, 0xD0, 0xA0, 0xB0, 0x80, 0x00}));

    // A profile goes compressed into iCCP behind its name; one that libpng finds fault with is
    // left out, and the image written all the same.
    auto savedWith = [](const Bytes& profile) {
        sdk::stream::buffer_io tagged;
        ImageSaverPNG profiled(tagged);
        profiled.colorTag.kind = PngColorTag::Kind::Icc;
        profiled.colorTag.name = "Wide RGB";
        profiled.colorTag.profile = profile;
        profiled.Save(Gradient(3, 2, 2), ImageInfo());
        return ParseChunks(tagged.Bytes());
    };
    const std::vector<ChunkRecord> chunks = savedWith(WideRgbProfile());
    EXPECT_EQ(TypesOf(chunks), "IHDR iCCP IDAT IEND");
    EXPECT_EQ(std::string(chunks[1].body.begin(), chunks[1].body.begin() + 10),
              std::string("Wide RGB\0\0", 10));
    EXPECT_EQ(TypesOf(savedWith(Bytes(600, 7))), "IHDR IDAT IEND");
}
