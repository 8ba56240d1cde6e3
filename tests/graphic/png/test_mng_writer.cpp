#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "debug/Error.h"
#include "graphic/png/ImageLoaderMNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"
#include "support/MngBuilder.h"
#include "support/TestImages.h"

using namespace sdk::graphic;
using namespace test_support;

namespace {

ImageInfo Info(const std::string& title, int32_t x, int32_t y, int32_t delay)
{
    ImageInfo info;
    info.title = title;
    info.x = x;
    info.y = y;
    info.delay = delay;
    return info;
}

Bytes MhdrBody(uint32_t width, uint32_t height, uint32_t ticks, uint32_t profile)
{
    return Be32(width) + Be32(height) + Be32(ticks) + Be32(0) + Be32(0) + Be32(0) + Be32(profile);
}

// Accepts bytes until limit, then fails once (after storing what still fits), then accepts
// again: shows whether anything is written after a failed write.
class FlakyOut : public sdk::stream::stream_out {
public:
    explicit FlakyOut(size_t limit) : limit_(limit) {}
    int32_t GetSize() override { return static_cast<int32_t>(bytes.size()); }
    uint32_t GetRemain() override { return 0x7FFFFFFF; }
    int32_t GetPos() override { return GetSize(); }
    void Seek(int32_t) override {}
    void SetPos(int32_t) override {}
    void Write(const void* source, uint32_t count) override
    {
        const uint8_t* from = static_cast<const uint8_t*>(source);
        if (!failed_ && bytes.size() + count > limit_) {
            failed_ = true;
            bytes.insert(bytes.end(), from, from + (limit_ - bytes.size()));
            throw sdk::debug::runtime_error("FlakyOut::Write:1");
        }
        bytes.insert(bytes.end(), from, from + count);
    }
    Bytes bytes;

private:
    size_t limit_;
    bool failed_ = false;
};

}  // namespace

TEST(MngWriter, WithoutFrameChunksOffsetsGoIntoTheFrames)
{
    sdk::stream::buffer_io out;
    {
        ImageSaverPNG saver(out);
        saver.InitMNG(20, 10, 10, true);
        saver.Save(Image(1, 2, 2), Info("", 0, 0, 5));
        saver.Save(Image(3, 2, 2), Info("", 4, 0, 0));
    }
    const Bytes& file = out.Bytes();
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{0x8A, 'M', 'N', 'G', 13, 10, 26, 10}));
    const std::vector<ChunkRecord> chunks = ParseChunks(file);
    EXPECT_EQ(TypesOf(chunks), "MHDR IHDR IDAT IEND IHDR oFFs IDAT IEND MEND");
    EXPECT_EQ(chunks[0].body, MhdrBody(20, 10, 10, 9));
    EXPECT_TRUE(chunks.back().body.empty());
    for (const ChunkRecord& chunk : chunks)
        EXPECT_TRUE(chunk.crcOk) << chunk.type;
}

TEST(MngWriter, FrameChunksCarryNameDelayAndOffset)
{
    const std::string longTitle(100, 'n');
    sdk::stream::buffer_io out;
    {
        ImageSaverPNG saver(out);
        saver.InitMNG(8, 6, 25, false);
        saver.SetLoop();
        saver.Save(Image(4, 1, 1), Info("Layer", 0, 0, 0));
        saver.Save(Image(4, 1, 1), Info("", -3, 7, 0));
        saver.Save(Image(4, 1, 1), Info("", 0, 0, 4));
        saver.Save(Image(4, 1, 1), Info(longTitle, 0, 0, -2));
    }
    const std::vector<ChunkRecord> chunks = ParseChunks(out.Bytes());
    ASSERT_EQ(TypesOf(chunks),
              "MHDR TERM FRAM IHDR tEXt IDAT IEND DEFI IHDR IDAT IEND FRAM IHDR IDAT IEND "
              "FRAM IHDR tEXt IDAT IEND MEND");
    EXPECT_EQ(chunks[0].body, MhdrBody(8, 6, 25, 11));
    EXPECT_EQ(chunks[1].body, (Bytes{3, 0, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(chunks[2].body, (Bytes{2} + Text("Layer") + Bytes{0, 0, 0, 0, 0}));
    EXPECT_EQ(chunks[7].body, (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFD, 0, 0, 0, 7}));
    EXPECT_EQ(chunks[11].body, (Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0, 4}));
    EXPECT_EQ(chunks[15].body, (Bytes{2} + Text(longTitle) + Bytes{0, 0, 0, 0, 0}));
    for (const ChunkRecord& chunk : chunks)
        EXPECT_TRUE(chunk.crcOk) << chunk.type;
}

// Frames written apart (each in a stream of its own, as threads make them) and joined in order
// behind the header make the file that one writer makes; rows given one at a time are the image.
TEST(MngWriter, FramesMadeApartJoinIntoTheSameFile)
{
    const Image first = MakeImage(4, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Image second = MakeImage(2, 3, 1, {0, 9, 128, 8, 255, 7});
    const ImageInfo firstInfo = Info("a", 2, 3, 0);
    const ImageInfo secondInfo = Info("", 0, 0, 5);
    sdk::stream::buffer_io whole;
    {
        ImageSaverPNG saver(whole);
        saver.InitMNG(8, 6, 25, false);
        saver.Save(first, firstInfo);
        saver.Save(second, secondInfo);
    }
    sdk::stream::buffer_io joined, frameA, frameB;
    {
        ImageSaverPNG header(joined);
        header.InitMNG(8, 6, 25, false);
        ImageSaverPNG a(frameA), b(frameB);
        a.InitMNGFrames(false);
        b.InitMNGFrames(false);
        b.Begin(2, 3, 1, secondInfo);
        b.WriteRow(second.Data());
        EXPECT_EQ(TagOf([&] { b.WriteRow(second.Data()); }), "ImageSaverPNG::WriteRow:335");
        b.End();
        a.Save(first, firstInfo);
        joined.Write(frameA.Bytes().data(), static_cast<uint32_t>(frameA.Bytes().size()));
        joined.Write(frameB.Bytes().data(), static_cast<uint32_t>(frameB.Bytes().size()));
    }
    EXPECT_EQ(joined.Bytes(), whole.Bytes());
}

TEST(MngWriter, CallsOutOfOrderRaiseAndWriteNothing)
{
    sdk::stream::buffer_io out;
    ImageSaverPNG saver(out);
    EXPECT_EQ(TagOf([&] { saver.SetLoop(); }), "ImageSaverPNG::SetLoop:126");
    EXPECT_EQ(out.GetSize(), 0);
    saver.InitMNG(1, 1, 1, true);
    const int32_t size = out.GetSize();
    EXPECT_EQ(TagOf([&] { saver.InitMNG(1, 1, 1, true); }), "ImageSaverPNG::InitMNG:92");
    EXPECT_EQ(out.GetSize(), size);
}

TEST(MngWriter, DestructorEndsAnAbandonedFileButNeverAfterAFailedWrite)
{
    // An error outside the writer, and one of Save before IHDR: MEND still closes the file.
    sdk::stream::buffer_io abandoned;
    try {
        ImageSaverPNG saver(abandoned);
        saver.InitMNG(1, 1, 1, false);
        saver.Save(Image(1, 1, 1), ImageInfo());
        EXPECT_EQ(TagOf([&] { saver.Save(Image(), Info("t", 0, 0, 0)); }),
                  "ImageSaverPNG::Save:222");
        throw std::runtime_error("conversion failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(TypesOf(ParseChunks(abandoned.Bytes())), "MHDR IHDR IDAT IEND FRAM MEND");

    // A write that fails part-way leaves the file exactly as far as it got, at every cut.
    // Ended by EndMNG, the file is the same, MEND written once.
    const auto write = [](sdk::stream::stream_out& out, bool end) {
        ImageSaverPNG saver(out);
        saver.InitMNG(4, 4, 1, false);
        saver.SetLoop();
        saver.Save(Image(2, 4, 4), Info("name", 1, 2, 3));
        if (end)
            saver.EndMNG();
    };
    sdk::stream::buffer_io whole, ended;
    write(whole, false);
    write(ended, true);
    const Bytes& full = whole.Bytes();
    EXPECT_EQ(ended.Bytes(), full);
    const size_t mend = full.size() - 12;
    for (size_t limit = 0; limit < full.size(); ++limit) {
        FlakyOut flaky(limit);
        // A failure of MEND itself stays inside the destructor, but EndMNG raises it.
        EXPECT_EQ(TagOf([&] { write(flaky, false); }),
                  limit < mend ? "FlakyOut::Write:1" : "no error")
            << limit;
        EXPECT_EQ(flaky.bytes, Bytes(full.begin(), full.begin() + static_cast<long>(limit)))
            << limit;
        FlakyOut flaky_ended(limit);
        EXPECT_EQ(TagOf([&] { write(flaky_ended, true); }), "FlakyOut::Write:1") << limit;
    }
}

TEST(MngWriter, ReadsBackThroughTheMngReader)
{
    const Image frames[] = {MakeImage(4, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8}),
                            MakeImage(1, 1, 2, {9, 10}), MakeImage(2, 1, 1, {11, 12})};
    ImageInfo infos[] = {Info("one", -3, 7, 4), Info("", 0, 0, 0), Info("three", 5, 0, 0)};
    infos[1].comment = "second";
    sdk::stream::buffer_io out;
    {
        ImageSaverPNG saver(out);
        saver.InitMNG(16, 8, 30, false);
        for (int i = 0; i < 3; ++i)
            saver.Save(frames[i], infos[i]);
    }
    out.SetPos(0);
    ImageLoaderMNG loader(out);
    ASSERT_EQ(loader.LayerCount(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ImageInfo info;
        loader.LayerInfo(i, info);
        EXPECT_EQ(info.title, infos[i].title);
        EXPECT_EQ(info.comment, infos[i].comment);
        EXPECT_EQ(info.x, infos[i].x);
        EXPECT_EQ(info.y, infos[i].y);
        EXPECT_EQ(info.delay, infos[i].delay);
        EXPECT_EQ(info.width, frames[i].Width());
        Image image;
        loader.LayerLoad(i, image);
        EXPECT_EQ(RasterOf(image), RasterOf(frames[i]));
    }
}

TEST(MngWriter, NonAsciiFrameTextIsITxtOutsideWindows)
{
    const std::string title = "\xE5\x86\x86";
    sdk::stream::buffer_io out;
    {
        ImageSaverPNG saver(out);
        saver.InitMNG(1, 1, 1, true);
        saver.Save(Image(1, 1, 1), Info(title, 0, 0, 0));
    }
#if defined(_WIN32)
    EXPECT_EQ(TypesOf(ParseChunks(out.Bytes())), "MHDR IHDR tEXt IDAT IEND MEND");
#else
    EXPECT_EQ(TypesOf(ParseChunks(out.Bytes())), "MHDR IHDR iTXt IDAT IEND MEND");
#endif
    out.SetPos(0);
    ImageLoaderMNG loader(out);
    ImageInfo info;
    loader.LayerInfo(0, info);
    EXPECT_EQ(info.title, title);
}
