// The APNG writer refuses what would make a file that breaks the format: frames off the canvas,
// a first frame that is not the whole canvas, frame data that is not a PNG of the frame, and
// counts that do not match what acTL announced.
#include <gtest/gtest.h>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/ImageSaverAPNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"
#include "support/ErrorTag.h"

using namespace sdk::graphic;
using test_support::TagOf;

namespace {

ApngFrame Frame(int32_t x, int32_t y, int32_t width, int32_t height)
{
    ApngFrame frame;
    frame.x = x;
    frame.y = y;
    frame.width = width;
    frame.height = height;
    return frame;
}

// A PNG file of width x height gray and alpha pixels written to the frame stream.
void WriteFrame(ImageSaverAPNG& apng, int32_t width, int32_t height)
{
    ImageSaverPNG png(apng.FrameData());
    png.Save(Image(2, width, height), ImageInfo());
}

}  // namespace

TEST(ImageSaverAPNG, RefusesWhatBreaksTheFormat)
{
    sdk::stream::buffer_io out;
    ImageSaverAPNG apng(out);
    EXPECT_EQ("ImageSaverAPNG::BeginFrame:50", TagOf([&] { apng.BeginFrame(Frame(0, 0, 4, 3)); }));
    EXPECT_EQ("ImageSaverAPNG::Begin:30", TagOf([&] { apng.Begin(0, 3, 2, 2, 0); }));
    EXPECT_EQ("ImageSaverAPNG::Begin:30", TagOf([&] { apng.Begin(4, 3, 5, 2, 0); }));
    EXPECT_EQ("ImageSaverAPNG::Begin:28", TagOf([&] { apng.Begin(4, 3, 2, 0, 0); }));
    apng.Begin(4, 3, 2, 2, 0);

    // The first frame is the whole canvas.
    EXPECT_EQ("ImageSaverAPNG::BeginFrame:50", TagOf([&] { apng.BeginFrame(Frame(0, 0, 4, 2)); }));
    apng.BeginFrame(Frame(0, 0, 4, 3));
    EXPECT_EQ("ImageSaverAPNG::EndFrame:80", TagOf([&] { apng.EndFrame(); }));
    apng.BeginFrame(Frame(0, 0, 4, 3));
    // Data of another size or layout than the frame's.
    EXPECT_EQ("ImageSaverAPNG::FrameData:70", TagOf([&] { WriteFrame(apng, 4, 2); }));
    EXPECT_EQ("ImageSaverAPNG::EndFrame:80", TagOf([&] { apng.EndFrame(); }));

    // Frames off the canvas or empty; more frames than announced; an end before the last.
    sdk::stream::buffer_io out2;
    ImageSaverAPNG second(out2);
    second.Begin(4, 3, 2, 2, 1);
    second.BeginFrame(Frame(0, 0, 4, 3));
    WriteFrame(second, 4, 3);
    EXPECT_EQ("ImageSaverAPNG::FrameData:70", TagOf([&] { WriteFrame(second, 4, 3); }));
    second.EndFrame();
    EXPECT_EQ("ImageSaverAPNG::End:90", TagOf([&] { second.End(); }));
    for (const ApngFrame& off : {Frame(-1, 0, 2, 2), Frame(3, 0, 2, 2), Frame(0, 2, 1, 2),
                                 Frame(1, 1, 0, 1)})
        EXPECT_EQ("ImageSaverAPNG::BeginFrame:50", TagOf([&] { second.BeginFrame(off); }));
    second.BeginFrame(Frame(3, 2, 1, 1));
    WriteFrame(second, 1, 1);
    second.EndFrame();
    EXPECT_EQ("ImageSaverAPNG::BeginFrame:50", TagOf([&] { second.BeginFrame(Frame(0, 0, 1, 1)); }));
    EXPECT_EQ("no error", TagOf([&] { second.End(); }));
}
