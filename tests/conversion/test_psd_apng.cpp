// The layer animation as an animated PNG: a frame per layer with pixels, each at its offset and
// cut to the canvas, timed and looped as asked, the chunks numbered as the format wants.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "graphic/dispatch/LoaderDispatch.h"
#include "stream/ByteOrder.h"
#include "stream/StreamMemory.h"

using namespace conversion_test;
using sdk::stream::BigEndian16;
using sdk::stream::BigEndian32;
using test_support::Be32;
using test_support::Bytes;
using test_support::ChunkRecord;

namespace {

struct ApngFrameRecord {
    int32_t x = 0, y = 0;
    uint16_t delayNumerator = 0, delayDenominator = 0;
    sdk::graphic::Image image;
};

struct Animation {
    uint32_t frames = 0, plays = 0;
    std::vector<ApngFrameRecord> shown;
};

// Takes an APNG apart: its acTL, and each frame read back as the PNG its fcTL and image data
// make, checking the sequence numbers on the way.
Animation ReadAnimation(const Bytes& file)
{
    Animation animation;
    Bytes header;
    std::vector<Bytes> data;
    std::vector<ChunkRecord> controls;
    uint32_t sequence = 0;
    for (const ChunkRecord& chunk : test_support::ParseChunks(file)) {
        EXPECT_TRUE(chunk.crcOk) << chunk.type;
        if (chunk.type == "IHDR")
            header = chunk.body;
        if (chunk.type == "acTL") {
            animation.frames = BigEndian32(chunk.body.data());
            animation.plays = BigEndian32(chunk.body.data() + 4);
        }
        if (chunk.type == "fcTL" || chunk.type == "fdAT") {
            EXPECT_EQ(sequence++, BigEndian32(chunk.body.data())) << chunk.type;
        }
        if (chunk.type == "fcTL") {
            EXPECT_EQ(1, chunk.body[24]);  // dispose to background
            EXPECT_EQ(0, chunk.body[25]);  // blend by source
            controls.push_back(chunk);
            data.emplace_back();
        }
        if (chunk.type == "IDAT" || chunk.type == "fdAT") {
            const size_t skip = chunk.type == "fdAT" ? 4 : 0;
            data.back().insert(data.back().end(), chunk.body.begin() + skip, chunk.body.end());
        }
    }
    for (size_t k = 0; k < controls.size(); ++k) {
        const uint8_t* control = controls[k].body.data();
        Bytes ihdr = header;
        std::copy(control + 4, control + 12, ihdr.begin());  // the frame's width and height
        test_support::MngBuilder png;
        png.PngSignature().Chunk("IHDR", ihdr).Chunk("IDAT", data[k]).Chunk("IEND", {});
        sdk::stream::memory_in stream(png.Data().data(), static_cast<int32_t>(png.Data().size()));
        ApngFrameRecord frame;
        sdk::graphic::ImageInfo info;
        sdk::graphic::Load(frame.image, info, stream);
        frame.x = static_cast<int32_t>(BigEndian32(control + 12));
        frame.y = static_cast<int32_t>(BigEndian32(control + 16));
        frame.delayNumerator = BigEndian16(control + 20);
        frame.delayDenominator = BigEndian16(control + 22);
        animation.shown.push_back(std::move(frame));
    }
    return animation;
}

// Whether frame shows layer l (of the given rectangle) alone, cut to the frame's rectangle.
void ExpectLayerInFrame(const ApngFrameRecord& frame, int32_t l, const LayerShape& layer)
{
    const sdk::graphic::Image pixels = ExpectedPixels(l, layer.width, layer.height);
    for (int32_t y = 0; y < frame.image.Height(); ++y)
        for (int32_t x = 0; x < frame.image.Width(); ++x) {
            const int32_t lx = frame.x + x - layer.x, ly = frame.y + y - layer.y;
            const bool inside = lx >= 0 && ly >= 0 && lx < layer.width && ly < layer.height;
            const uint8_t* shown = sdk::graphic::Pixel(frame.image, x, y);
            for (int32_t c = 0; c < 4; ++c)
                ASSERT_EQ(inside ? sdk::graphic::Pixel(pixels, lx, ly)[c] : 0, shown[c])
                    << "layer " << l << " at " << x << "," << y;
        }
}

}  // namespace

TEST(PsdApng, AFramePerLayerWithPixelsAtItsOffsetCutToTheCanvas)
{
    // A layer inside, a group record without pixels, one partly and one wholly outside.
    const std::vector<LayerShape> layers = {
        {"a", 1, 0, 3, 2}, {"g", 0, 0, 0, 0}, {"b", -1, 1, 2, 4}, {"c", 7, 7, 2, 2}};
    test_support::TempDir scratch;
    WriteBytes(scratch / "a.psd", RgbaDocument(5, 4, layers));
    for (bool loop : {false, true}) {
        option = cOption();
        option.psdToApng = true;
        option.mngLoop = loop;
        option.mngFps = loop ? 25 : 0;
        Recorder recorder;
        ASSERT_TRUE(ConvertFile(recorder.context, scratch / "a.psd"));
        EXPECT_EQ(std::vector<std::string>({"a.psd → a.apng"}), recorder.lines);
        EXPECT_EQ(recorder.high, recorder.position);

        const Animation animation = ReadAnimation(ReadBytes(scratch / "a.apng"));
        EXPECT_EQ(3u, animation.frames);
        EXPECT_EQ(loop ? 0u : 1u, animation.plays);
        ASSERT_EQ(3u, animation.shown.size());
        for (const ApngFrameRecord& frame : animation.shown) {
            EXPECT_EQ(loop ? 1 : 0, frame.delayNumerator);
            EXPECT_EQ(loop ? 25 : 1, frame.delayDenominator);
        }
        // The first frame is the default image: the whole canvas.
        const ApngFrameRecord& first = animation.shown[0];
        EXPECT_EQ(0, first.x + first.y);
        EXPECT_EQ(5, first.image.Width());
        EXPECT_EQ(4, first.image.Height());
        ExpectLayerInFrame(first, 0, layers[0]);
        // Cut to the canvas: the column and row outside are gone.
        const ApngFrameRecord& cut = animation.shown[1];
        EXPECT_EQ(0, cut.x);
        EXPECT_EQ(1, cut.y);
        EXPECT_EQ(1, cut.image.Width());
        EXPECT_EQ(3, cut.image.Height());
        ExpectLayerInFrame(cut, 2, layers[2]);
        // Nothing of it on the canvas: one transparent pixel keeps the layer's turn.
        const ApngFrameRecord& outside = animation.shown[2];
        EXPECT_EQ(1, outside.image.Width() * outside.image.Height());
        ExpectLayerInFrame(outside, 3, layers[3]);
    }
    option = cOption();
}
