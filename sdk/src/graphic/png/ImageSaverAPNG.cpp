#include "graphic/png/ImageSaverAPNG.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/png/LibpngBridge.h"
#include "graphic/png/PngSignatures.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

using stream::PutBigEndian16;
using stream::PutBigEndian32;

const char* const kBeginTwice = "ImageSaverAPNG::Begin:28";
const char* const kBadCanvas = "ImageSaverAPNG::Begin:30";
const char* const kBadFrame = "ImageSaverAPNG::BeginFrame:50";
const char* const kBadFrameData = "ImageSaverAPNG::FrameData:70";
const char* const kFrameUnfinished = "ImageSaverAPNG::EndFrame:80";
const char* const kFramesMissing = "ImageSaverAPNG::End:90";

// A chunk's data may hold at most 2^31 - 1 bytes.
const uint32_t kMaxChunkData = 0x7FFFFFFFu;

// The CRC of a chunk's type and data: started from the type, carried on over the rest.
uint32_t Crc(uint32_t crc, const uint8_t* bytes, uint32_t length)
{
    // zlib takes a null buffer as a request for the initial value.
    return length == 0 ? crc : static_cast<uint32_t>(crc32(crc, bytes, length));
}

uint32_t TypeCrc(const uint8_t* type, uint32_t length)
{
    return Crc(static_cast<uint32_t>(crc32(0, nullptr, 0)), type, length);
}

}  // namespace

// Reads a frame's PNG file as it is written and passes the contents of its IDAT chunks on, as
// the animation's chunks, the moment they come: nothing but a chunk header is held.
class ImageSaverAPNG::FrameStream : public stream::stream_out {
public:
    explicit FrameStream(ImageSaverAPNG& writer) : writer_(writer) {}

    void Start(const ApngFrame& frame, bool first)
    {
        frame_ = frame;
        first_ = first;
        state_ = State::Signature;
        have_ = 0;
        sawHeader_ = false;
        sawData_ = false;
        written_ = 0;
    }
    bool Complete() const { return state_ == State::Done && sawData_; }
    void Stop() { state_ = State::Idle; }

    int32_t GetSize() override { return written_; }
    uint32_t GetRemain() override { return 0; }
    int32_t GetPos() override { return written_; }
    void Seek(int32_t) override { throw debug::logic_error(kBadFrameData); }
    void SetPos(int32_t) override { throw debug::logic_error(kBadFrameData); }
    void Write(const void* source, uint32_t count) override;

private:
    enum class State { Idle, Signature, Header, Body, Crc, Done };
    enum class Kind { Header, Data, End, Other };

    // Moves up to want - have_ bytes into head_; true when it then holds want.
    bool Gather(const uint8_t*& bytes, uint32_t& count, uint32_t want);
    void StartChunk();
    void EndBody();
    [[noreturn]] void Fail() const { throw debug::runtime_error(kBadFrameData); }

    ImageSaverAPNG& writer_;
    ApngFrame frame_;
    bool first_ = false;
    State state_ = State::Idle;
    Kind kind_ = Kind::Other;
    uint8_t head_[13] = {};  // a signature, a chunk header or an IHDR's data being gathered
    uint32_t have_ = 0;
    uint32_t remaining_ = 0;  // of the chunk's data
    uint32_t crc_ = 0;        // of the IDAT or fdAT chunk being written
    bool sawHeader_ = false;
    bool sawData_ = false;
    int32_t written_ = 0;
};

bool ImageSaverAPNG::FrameStream::Gather(const uint8_t*& bytes, uint32_t& count, uint32_t want)
{
    const uint32_t take = std::min(count, want - have_);
    std::memcpy(head_ + have_, bytes, take);
    have_ += take;
    bytes += take;
    count -= take;
    if (have_ < want)
        return false;
    have_ = 0;
    return true;
}

void ImageSaverAPNG::FrameStream::Write(const void* source, uint32_t count)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    written_ += static_cast<int32_t>(
        std::min(count, static_cast<uint32_t>(INT32_MAX - written_)));
    while (count > 0) {
        switch (state_) {
            case State::Idle:
            case State::Done:
                Fail();
            case State::Signature:
                if (Gather(bytes, count, kSignatureLength)) {
                    if (std::memcmp(head_, kPngSignature, kSignatureLength) != 0)
                        Fail();
                    state_ = State::Header;
                }
                break;
            case State::Header:
                if (Gather(bytes, count, 8))
                    StartChunk();
                break;
            case State::Body: {
                if (kind_ == Kind::Header) {
                    if (!Gather(bytes, count, remaining_))
                        break;
                    remaining_ = 0;
                } else {
                    const uint32_t take = std::min(count, remaining_);
                    if (kind_ == Kind::Data) {
                        writer_.output_.Write(bytes, take);
                        crc_ = Crc(crc_, bytes, take);
                    }
                    bytes += take;
                    count -= take;
                    remaining_ -= take;
                }
                if (remaining_ == 0)
                    EndBody();
                break;
            }
            case State::Crc:
                // The frame's own CRCs are not carried over: the chunks are new.
                if (Gather(bytes, count, 4))
                    state_ = kind_ == Kind::End ? State::Done : State::Header;
                break;
        }
    }
}

void ImageSaverAPNG::FrameStream::StartChunk()
{
    const uint32_t length = stream::BigEndian32(head_);
    const uint8_t* type = head_ + 4;
    const auto is = [type](const char* name) { return std::memcmp(type, name, 4) == 0; };
    if (length > kMaxChunkData)
        Fail();
    // The header comes first, once; image data only after it.
    if (is("IHDR")) {
        if (sawHeader_ || length != 13)
            Fail();
        kind_ = Kind::Header;
    } else if (!sawHeader_) {
        Fail();
    } else if (is("IDAT")) {
        kind_ = Kind::Data;
    } else if (is("IEND")) {
        kind_ = Kind::End;
    } else {
        kind_ = Kind::Other;
    }
    remaining_ = length;
    state_ = State::Body;

    if (kind_ == Kind::Data) {
        // The first frame's data stays in IDAT chunks; the others' go into fdAT chunks, each
        // with its sequence number first.
        uint8_t out[12];
        const uint32_t headLength = first_ ? 8 : 12;
        if (!first_ && length > kMaxChunkData - 4)
            Fail();
        PutBigEndian32(out, first_ ? length : length + 4);
        std::memcpy(out + 4, first_ ? "IDAT" : "fdAT", 4);
        if (!first_)
            PutBigEndian32(out + 8, writer_.sequence_++);
        writer_.output_.Write(out, headLength);
        crc_ = TypeCrc(out + 4, headLength - 4);
        sawData_ = true;
    }
    if (remaining_ == 0)
        EndBody();
}

void ImageSaverAPNG::FrameStream::EndBody()
{
    if (kind_ == Kind::Header) {
        // The frame's size and the animation's layout: 8 bits, no interlace.
        const int colourType = libpng::ColourTypeFor(writer_.channels_);
        if (stream::BigEndian32(head_) != static_cast<uint32_t>(frame_.width) ||
            stream::BigEndian32(head_ + 4) != static_cast<uint32_t>(frame_.height) ||
            head_[8] != 8 || head_[9] != colourType || head_[12] != 0)
            Fail();
        sawHeader_ = true;
    } else if (kind_ == Kind::Data) {
        uint8_t crc[4];
        PutBigEndian32(crc, crc_);
        writer_.output_.Write(crc, 4);
    }
    state_ = State::Crc;
}

ImageSaverAPNG::ImageSaverAPNG(stream::stream_out& output)
    : output_(output), frameStream_(new FrameStream(*this))
{
}

ImageSaverAPNG::~ImageSaverAPNG() = default;

void ImageSaverAPNG::WriteChunk(const char* type, const uint8_t* body, uint32_t length)
{
    uint8_t head[8];
    PutBigEndian32(head, length);
    std::memcpy(head + 4, type, 4);
    uint32_t crc = TypeCrc(head + 4, 4);
    crc = Crc(crc, body, length);
    uint8_t tail[4];
    PutBigEndian32(tail, crc);
    output_.Write(head, 8);
    if (length > 0)
        output_.Write(body, length);
    output_.Write(tail, 4);
}

void ImageSaverAPNG::Begin(int32_t width, int32_t height, int32_t channels, uint32_t frames,
                           uint32_t plays)
{
    if (channels_ != 0 || frames == 0 || frames > kMaxChunkData)
        throw debug::logic_error(kBeginTwice);
    const int colourType = libpng::ColourTypeFor(channels);
    if (width < 1 || height < 1 || static_cast<uint32_t>(width) > kMaxPngSide ||
        static_cast<uint32_t>(height) > kMaxPngSide || colourType < 0)
        throw debug::runtime_error(kBadCanvas);
    width_ = width;
    height_ = height;
    channels_ = channels;
    frames_ = frames;
    output_.Write(kPngSignature, kSignatureLength);

    uint8_t ihdr[13] = {};
    PutBigEndian32(ihdr, static_cast<uint32_t>(width));
    PutBigEndian32(ihdr + 4, static_cast<uint32_t>(height));
    ihdr[8] = 8;  // bits per sample
    ihdr[9] = static_cast<uint8_t>(colourType);
    WriteChunk("IHDR", ihdr, sizeof ihdr);  // deflate, adaptive filters, no interlace: zeros

    uint8_t actl[8];
    PutBigEndian32(actl, frames);
    PutBigEndian32(actl + 4, plays);
    WriteChunk("acTL", actl, sizeof actl);
    for (const PngChunk& chunk : ColorTagChunks(colorTag))
        WriteChunk(chunk.type, chunk.body.data(), static_cast<uint32_t>(chunk.body.size()));
}

void ImageSaverAPNG::BeginFrame(const ApngFrame& frame)
{
    const bool first = framesBegun_ == 0;
    const bool inside = frame.width >= 1 && frame.height >= 1 && frame.x >= 0 && frame.y >= 0 &&
                        frame.x <= width_ - frame.width && frame.y <= height_ - frame.height;
    const bool whole = frame.x == 0 && frame.y == 0 && frame.width == width_ &&
                       frame.height == height_;
    if (channels_ == 0 || ended_ || inFrame_ || framesBegun_ >= frames_ || !inside ||
        (first && !whole))
        throw debug::logic_error(kBadFrame);

    uint8_t fctl[26] = {};
    PutBigEndian32(fctl, sequence_);
    PutBigEndian32(fctl + 4, static_cast<uint32_t>(frame.width));
    PutBigEndian32(fctl + 8, static_cast<uint32_t>(frame.height));
    PutBigEndian32(fctl + 12, static_cast<uint32_t>(frame.x));
    PutBigEndian32(fctl + 16, static_cast<uint32_t>(frame.y));
    PutBigEndian16(fctl + 20, frame.delayNumerator);
    PutBigEndian16(fctl + 22, frame.delayDenominator);
    fctl[24] = 1;  // dispose to background: the area is cleared after the frame
    fctl[25] = 0;  // blend by source: the frame's pixels replace the area's
    WriteChunk("fcTL", fctl, sizeof fctl);
    ++sequence_;
    ++framesBegun_;
    inFrame_ = true;
    frameStream_->Start(frame, first);
}

stream::stream_out& ImageSaverAPNG::FrameData() { return *frameStream_; }

void ImageSaverAPNG::EndFrame()
{
    const bool complete = inFrame_ && frameStream_->Complete();
    inFrame_ = false;
    frameStream_->Stop();
    if (!complete)
        throw debug::logic_error(kFrameUnfinished);
}

void ImageSaverAPNG::End()
{
    if (channels_ == 0 || ended_ || inFrame_ || framesBegun_ != frames_)
        throw debug::logic_error(kFramesMissing);
    ended_ = true;
    WriteChunk("IEND", nullptr, 0);
}

}  // namespace graphic
}  // namespace sdk
