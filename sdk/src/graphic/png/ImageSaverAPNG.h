// The APNG writer: an animated PNG whose frames are PNG images encoded on their own, in any
// order, and joined in order here. Begin writes the signature, IHDR and acTL. Each frame is its
// fcTL (BeginFrame), then a whole PNG file of the frame's size and the animation's layout written
// to FrameData() (as ImageSaverPNG writes one), then EndFrame: of that file only the contents of
// its IDAT chunks are kept, in IDAT chunks for the first frame (the default image) and in fdAT
// chunks for the others; its signature, header, texts and end are dropped. End writes IEND.
// Sequence numbers, chunk framing and CRCs are this writer's.
#pragma once

#include <cstdint>
#include <memory>

#include "graphic/png/PngColorTag.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// One frame's place on the canvas and how long it shows: delayNumerator / delayDenominator
// seconds; a numerator of 0 asks for the next frame at once. The area is cleared to transparent
// after the frame (dispose to background) and its pixels replace what is there (blend by
// source).
struct ApngFrame {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t delayNumerator = 0;
    uint16_t delayDenominator = 1;
};

class ImageSaverAPNG {
public:
    // Writes nothing; output must outlive the writer.
    explicit ImageSaverAPNG(stream::stream_out& output);
    ~ImageSaverAPNG();
    ImageSaverAPNG(const ImageSaverAPNG&) = delete;
    ImageSaverAPNG& operator=(const ImageSaverAPNG&) = delete;

    // Starts an animation of width x height pixels of channels bytes each (1 to 4: gray, gray
    // and alpha, colour, colour and alpha) that holds frames frames (at least 1) and plays plays
    // times (0: endlessly). Raises "ImageSaverAPNG::Begin:30" for a size or layout a PNG cannot
    // have, "ImageSaverAPNG::Begin:28" when called twice or without frames.
    void Begin(int32_t width, int32_t height, int32_t channels, uint32_t frames, uint32_t plays);
    // The next frame's control chunk. The first frame covers the whole canvas; every frame lies
    // inside it, at least one pixel in size. Raises "ImageSaverAPNG::BeginFrame:50" otherwise,
    // and after the last frame announced or inside a frame.
    void BeginFrame(const ApngFrame& frame);
    // Takes the frame's PNG file. Raises "ImageSaverAPNG::FrameData:70" for bytes that are not a
    // PNG file of the frame's size and the animation's layout, and outside a frame.
    stream::stream_out& FrameData();
    // The frame's PNG file has ended. Raises "ImageSaverAPNG::EndFrame:80" when it has not, or
    // held no image data.
    void EndFrame();
    // Ends the animation with IEND. Raises "ImageSaverAPNG::End:90" unless every frame announced
    // is in.
    void End();

    // What the colours of the animation mean, written with its header; nothing by default.
    PngColorTag colorTag;

private:
    class FrameStream;

    // One chunk with its length, type and CRC.
    void WriteChunk(const char* type, const uint8_t* body, uint32_t length);

    stream::stream_out& output_;
    std::unique_ptr<FrameStream> frameStream_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t channels_ = 0;
    uint32_t frames_ = 0;       // announced
    uint32_t framesBegun_ = 0;  // fcTL written
    uint32_t sequence_ = 0;     // the next chunk's sequence number
    bool inFrame_ = false;
    bool ended_ = false;
};

}  // namespace graphic
}  // namespace sdk
