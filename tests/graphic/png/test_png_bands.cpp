// Images written as bands compressed apart: one band is the row-by-row writer's file byte for
// byte, several bands make the same image data in a valid stream at nearly the same size, and
// no band depends on when the others are made.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "graphic/png/ImageLoaderPNG.h"
#include "graphic/png/ImageSaverAPNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "graphic/png/PngBandEncoder.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"
#include "support/MngBuilder.h"
#include "support/TestImages.h"

using namespace sdk::graphic;
using namespace test_support;
using Compression = PngDataLayout::Compression;

namespace {

struct Setting {
    Compression compression;
    bool sixteenBits;
};

const Setting kSettings[] = {{Compression::Standard, false}, {Compression::Best, false},
                             {Compression::Fast, false},     {Compression::Standard, true},
                             {Compression::Best, true},      {Compression::Fast, true}};

// Rows in Image's layout, one after another.
struct Raster {
    PngDataLayout layout;
    Bytes bytes;

    const uint8_t* Row(int32_t y) const { return bytes.data() + layout.RowBytes() * y; }
};

// A gradient with noise on it, so that every filter wins some rows and deflate finds matches.
Raster NoisyGradient(int32_t channels, int32_t width, int32_t height, Setting setting)
{
    Raster raster{{channels, width, height, setting.sixteenBits, setting.compression}, {}};
    const size_t rowBytes = raster.layout.RowBytes();
    uint32_t seed = 12345;
    for (size_t i = 0; i < rowBytes * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        raster.bytes.push_back(
            static_cast<uint8_t>(i % rowBytes / 7 + i / rowBytes * 3 + ((seed >> 16) & 7)));
    }
    return raster;
}

// The band of rows rows from firstRow, made as a worker makes it: context first.
PngBand Band(const PngDataLayout& layout, const Raster& raster, int32_t firstRow, int32_t rows)
{
    PngBandEncoder encoder(layout, firstRow);
    for (int32_t y = firstRow - std::min(firstRow, PngBandEncoder::ContextRows(layout));
         y < firstRow; ++y)
        encoder.Context(raster.Row(y));
    for (int32_t y = firstRow; y < firstRow + rows; ++y)
        encoder.Row(raster.Row(y));
    return encoder.Finish();
}

// Writes the image row by row (bandRows 0) or in bands, the saver set up as the raster says.
void WriteImage(ImageSaverPNG& saver, const Raster& raster, int32_t bandRows, const ImageInfo& info)
{
    const PngDataLayout& layout = raster.layout;
    saver.bestCompression = layout.compression == Compression::Best;
    saver.fastCompression = layout.compression == Compression::Fast;
    saver.sixteenBits = layout.sixteenBits;
    if (bandRows == 0) {
        saver.Begin(layout.channels, layout.width, layout.height, info);
        for (int32_t y = 0; y < layout.height; ++y)
            saver.WriteRow(raster.Row(y));
    } else {
        saver.BeginBands(layout.channels, layout.width, layout.height, info);
        for (int32_t y = 0; y < layout.height; y += bandRows)
            saver.WriteBand(
                Band(saver.DataLayout(), raster, y, std::min(bandRows, layout.height - y)));
    }
    saver.End();
}

Bytes Written(const Raster& raster, int32_t bandRows)
{
    ImageInfo info;
    info.x = 3;
    info.title = "T";
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    WriteImage(saver, raster, bandRows, info);
    return out.Bytes();
}

// The image data of a file, inflated with its Adler-32 checked; empty when it does not inflate.
Bytes ImageData(const Bytes& file, const PngDataLayout& layout)
{
    Bytes compressed;
    for (const ChunkRecord& chunk : ParseChunks(file))
        if (chunk.type == "IDAT")
            compressed = compressed + chunk.body;
    Bytes data(layout.FilteredBytes() + 1);
    uLongf length = static_cast<uLongf>(data.size());
    if (uncompress(data.data(), &length, compressed.data(),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        length != layout.FilteredBytes())
        return Bytes();
    data.resize(length);
    return data;
}

Bytes Decoded(const Bytes& file)
{
    sdk::stream::memory_in in(file.data(), static_cast<int32_t>(file.size()));
    Image image;
    ImageInfo info;
    ImageLoaderPNG(in).Load(image, info);
    return RasterOf(image);
}

}  // namespace

TEST(PngBands, OneBandIsTheRowByRowFile)
{
    // Tiny images get a narrower window and header from libpng; the largest spans IDAT chunks.
    const int32_t sizes[][2] = {{1, 1}, {1, 6}, {6, 1}, {13, 9}, {300, 70}};
    for (const Setting& setting : kSettings)
        for (int32_t channels = 1; channels <= 4; ++channels)
            for (const auto& size : sizes) {
                const Raster raster = NoisyGradient(channels, size[0], size[1], setting);
                EXPECT_EQ(Written(raster, size[1]), Written(raster, 0))
                    << static_cast<int>(setting.compression) << setting.sixteenBits << channels
                    << " " << size[0] << "x" << size[1];
            }
}

TEST(PngBands, SeveralBandsMakeTheSameImageData)
{
    // Bands of one row, of a few rows, and (in the larger image) bands that start below a
    // full 32 KiB of context, whose first context row only starts the filters; pixels of the
    // fewest and the most bytes.
    for (const Setting& setting : kSettings)
        for (int32_t channels : {1, 4})
            for (int32_t height : {9, 70})
                for (int32_t bandRows : {1, 3, 16}) {
                    SCOPED_TRACE(testing::Message()
                                 << static_cast<int>(setting.compression) << setting.sixteenBits
                                 << channels << " " << height << " " << bandRows);
                    const Raster raster =
                        NoisyGradient(channels, height == 9 ? 13 : 300, height, setting);
                    const Bytes banded = Written(raster, bandRows);
                    const Bytes reference = Written(raster, 0);
                    const Bytes data = ImageData(banded, raster.layout);
                    ASSERT_FALSE(data.empty());
                    EXPECT_EQ(data, ImageData(reference, raster.layout));
                    EXPECT_EQ(Decoded(banded), Decoded(reference));
                    // Chunks of 8192 bytes of image data but the last.
                    const std::vector<ChunkRecord> chunks = ParseChunks(banded);
                    for (size_t i = 0; i + 1 < chunks.size(); ++i) {
                        EXPECT_TRUE(chunks[i].crcOk);
                        if (chunks[i].type == "IDAT" && chunks[i + 1].type == "IDAT") {
                            EXPECT_EQ(chunks[i].body.size(), 8192u);
                        }
                    }
                    EXPECT_EQ(chunks.back().type, "IEND");
                }
}

TEST(PngBands, BandsOfAMegabyteCostLittle)
{
    // A noisy gradient costs under 0.5 % more. Patches of flat colour compress so well that a
    // band's own cost shows (the end of its blocks, new code tables): a few hundred bytes at
    // most, as long as a band's start finds the rows above (deflate at level 1 is the most
    // easily led astray). Bands this large also check that lengths beyond 65521 bytes join
    // into the right Adler-32.
    const int32_t megabyteRows = (1 << 20) / (2000 * 3 + 1);
    for (Compression compression : {Compression::Standard, Compression::Fast}) {
        const Raster noisy = NoisyGradient(3, 2000, 600, {compression, false});
        Raster patches{noisy.layout, Bytes(noisy.bytes.size())};
        for (size_t i = 0; i < patches.bytes.size(); ++i)
            patches.bytes[i] =
                static_cast<uint8_t>((i % 6000 / 375 * 37 + i / 6000 / 125 * 91) * (i % 3 + 1));
        for (const Raster* raster : {&noisy, static_cast<const Raster*>(&patches)}) {
            const Bytes whole = Written(*raster, 0);
            const Bytes banded = Written(*raster, megabyteRows);
            const double allowed =
                raster == &noisy ? whole.size() * 0.005 : 600 / megabyteRows * 256;
            EXPECT_LT(banded.size(), whole.size() + allowed) << static_cast<int>(compression);
            EXPECT_EQ(ImageData(banded, raster->layout), ImageData(whole, raster->layout));
        }
    }
}

TEST(PngBands, ABandReachesBackIntoTheRowsAboveIt)
{
    // Rows of noise repeating every 30 rows: 30000 bytes back, near the farthest deflate
    // reaches. A band of one row below the first 31 (whose filters differ from the top row's)
    // is only a match into its context.
    for (Compression compression : {Compression::Standard, Compression::Fast}) {
        Raster raster{{1, 999, 40, false, compression}, {}};
        uint32_t seed = 1;
        for (int32_t i = 0; i < 40 * 999; ++i) {
            seed = i % (30 * 999) == 0 ? 1 : seed * 1103515245u + 12345u;
            raster.bytes.push_back(static_cast<uint8_t>(seed >> 16));
        }
        EXPECT_GT(Band(raster.layout, raster, 0, 1).deflated.size(), 900u);
        for (int32_t y = 31; y < 40; ++y)
            EXPECT_LT(Band(raster.layout, raster, y, 1).deflated.size(), 50u) << y;
    }
}

TEST(PngBands, BandsDoNotDependOnTheOrderTheyAreMadeIn)
{
    const Raster raster = NoisyGradient(3, 300, 70, {Compression::Standard, false});
    std::vector<PngBand> forward, backward;
    for (int32_t y = 0; y < 70; y += 8)
        forward.push_back(Band(raster.layout, raster, y, std::min(8, 70 - y)));
    for (int32_t y = 64; y >= 0; y -= 8)
        backward.insert(backward.begin(), Band(raster.layout, raster, y, std::min(8, 70 - y)));
    for (size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(forward[i].deflated, backward[i].deflated) << i;
        EXPECT_EQ(forward[i].adler, backward[i].adler) << i;
    }
}

TEST(PngBands, CallsOutOfOrderAndStreamFailures)
{
    const Raster raster = NoisyGradient(1, 5, 4, {Compression::Standard, false});
    const PngDataLayout& layout = raster.layout;
    const char* const encoderOrder = "PngBandEncoder::Row:40";
    EXPECT_EQ(TagOf([&] { PngBandEncoder(layout, 4); }), "PngBandEncoder::PngBandEncoder:20");
    EXPECT_EQ(TagOf([&] { PngBandEncoder(layout, 2).Row(raster.Row(2)); }), encoderOrder);
    EXPECT_EQ(TagOf([&] { PngBandEncoder(layout, 0).Finish(); }), encoderOrder);
    EXPECT_EQ(TagOf([&] {
                  PngBandEncoder encoder(layout, 3);
                  for (int32_t y = 0; y < 4; ++y)
                      encoder.Context(raster.Row(y));
              }),
              encoderOrder);
    EXPECT_EQ(TagOf([&] {
                  PngBandEncoder encoder(layout, 0);
                  for (int32_t y = 0; y < 5; ++y)
                      encoder.Row(raster.Row(y % 4));
              }),
              encoderOrder);

    // Bands out of order or of another image, rows or the end where bands are due.
    const char* const writerOrder = "ImageSaverPNG::WriteBand:370";
    const PngBand top = Band(layout, raster, 0, 2);
    PngDataLayout other = layout;
    other.compression = Compression::Best;
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    EXPECT_EQ(TagOf([&] { saver.DataLayout(); }), "ImageSaverPNG::DataLayout:380");
    saver.BeginBands(1, 5, 4, ImageInfo());
    EXPECT_EQ(TagOf([&] { saver.WriteBand(Band(layout, raster, 2, 2)); }), writerOrder);
    EXPECT_EQ(TagOf([&] { saver.WriteBand(Band(other, raster, 0, 2)); }), writerOrder);
    EXPECT_EQ(TagOf([&] { saver.WriteRow(raster.Row(0)); }), "ImageSaverPNG::WriteRow:335");
    saver.WriteBand(top);
    EXPECT_EQ(TagOf([&] { saver.End(); }), "ImageSaverPNG::End:355");
    EXPECT_EQ(TagOf([&] { saver.WriteBand(top); }), writerOrder);

    // A failing stream abandons the image with the stream's own error, wherever it fails.
    const Raster large = NoisyGradient(3, 300, 70, {Compression::Standard, false});
    for (int32_t room : {4, 60, 9000}) {
        std::vector<uint8_t> block(static_cast<size_t>(room));
        sdk::stream::memory_out small(block.data(), room);
        ImageSaverPNG failing(small);
        EXPECT_EQ(TagOf([&] { WriteImage(failing, large, 16, ImageInfo()); }),
                  "memory_out::Write:54");
        EXPECT_EQ(TagOf([&] { failing.DataLayout(); }), "ImageSaverPNG::DataLayout:380");
    }
}

TEST(PngBands, MngAndApngFramesTakeBandedImages)
{
    const Raster frames[] = {NoisyGradient(4, 40, 30, {Compression::Standard, false}),
                             NoisyGradient(4, 20, 10, {Compression::Standard, false})};
    const auto mng = [&](bool bands) {
        sdk::stream::buffer_io out;
        ImageSaverPNG saver(out);
        saver.InitMNG(40, 30, 10, false);
        ImageInfo info;
        info.x = 1;
        info.delay = 2;
        for (const Raster& frame : frames)
            WriteImage(saver, frame, bands ? frame.layout.height : 0, info);
        saver.EndMNG();
        return out.Bytes();
    };
    EXPECT_EQ(mng(true), mng(false));

    const auto apng = [&](bool bands) {
        sdk::stream::buffer_io out;
        ImageSaverAPNG saver(out);
        saver.Begin(40, 30, 4, 2, 0);
        for (const Raster& raster : frames) {
            ApngFrame frame;
            frame.width = raster.layout.width;
            frame.height = raster.layout.height;
            saver.BeginFrame(frame);
            ImageSaverPNG png(saver.FrameData());
            WriteImage(png, raster, bands ? raster.layout.height : 0, ImageInfo());
            saver.EndFrame();
        }
        saver.End();
        return out.Bytes();
    };
    EXPECT_EQ(apng(true), apng(false));
}
