#include "graphic/png/PngBandEncoder.h"

#include <zlib.h>

#include <algorithm>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

namespace {

const char* const kBadBand = "PngBandEncoder::PngBandEncoder:20";  // no such band
const char* const kOutOfOrder = "PngBandEncoder::Row:40";          // a call out of order
const char* const kZlibFailed = "PngBandEncoder::Finish:90";       // zlib refused or failed

// How far back deflate can reach: the most image data a band's deflate is primed with.
const size_t kHistoryBytes = 32768;
// The band's first output buffer; it doubles as it fills.
const size_t kFirstOutput = 64 * 1024;

const PngDataLayout& Checked(const PngDataLayout& layout, int32_t firstRow)
{
    if (!layout.IsValid() || firstRow < 0 || firstRow >= layout.height)
        throw debug::logic_error(kBadBand);
    return layout;
}

}  // namespace

// The deflate state, ended on every way out. A band that never finished makes deflateEnd
// report discarded data, which is no fault here: the memory is freed all the same.
struct PngBandEncoder::Deflater {
    Deflater() = default;
    ~Deflater()
    {
        if (open)
            static_cast<void>(deflateEnd(&stream));
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    z_stream stream = {};
    bool open = false;
};

PngBandEncoder::PngBandEncoder(const PngDataLayout& layout, int32_t firstRow)
    : deflater_(new Deflater()),
      filter_(Checked(layout, firstRow)),
      contextRows_(std::min(firstRow, ContextRows(layout)))
{
    band_.layout = layout;
    band_.firstRow = firstRow;
    // Raw deflate: the zlib header and trailer belong to the whole stream, not to a band. The
    // parameters are libpng's for the whole image, so that a single band is libpng's stream.
    const int memLevel = 8;
    if (deflateInit2(&deflater_->stream, layout.ZlibLevel(), Z_DEFLATED, -layout.ZlibWindowBits(),
                     memLevel, layout.ZlibStrategy()) != Z_OK)
        throw debug::runtime_error(kZlibFailed);
    deflater_->open = true;
}

PngBandEncoder::~PngBandEncoder() = default;

int32_t PngBandEncoder::ContextRows(const PngDataLayout& layout)
{
    const size_t rowBytes = layout.FilteredRowBytes();
    return static_cast<int32_t>((kHistoryBytes + rowBytes - 1) / rowBytes + 1);
}

void PngBandEncoder::Context(const uint8_t* row)
{
    if (started_ || contextGiven_ >= contextRows_)
        throw debug::logic_error(kOutOfOrder);
    // Unless the context starts at the image's top row, its first row is only there to filter
    // the next against.
    const bool seedOnly = contextGiven_ == 0 && band_.firstRow > contextRows_;
    ++contextGiven_;
    if (seedOnly) {
        filter_.Seed(row);
        return;
    }
    const uint8_t* filtered = filter_.Filter(row);
    history_.insert(history_.end(), filtered, filtered + filter_.FilteredBytes());
}

void PngBandEncoder::StartBand()
{
    if (contextGiven_ != contextRows_)
        throw debug::logic_error(kOutOfOrder);
    started_ = true;
    // The context is deflated up to a byte boundary and its blocks dropped: deflate then holds
    // it as history, and its match search is much in the state that deflating the rows above
    // leaves in one stream. (deflateSetDictionary would hold the same history, but it
    // enters every position of it into the match search, which at level 1 keeps finding short
    // repeats instead of the rows above: 16 % more on an image of flat colour patches, against
    // 0.5 % this way.) Its cost is bounded: 32 KiB deflated more per band.
    if (!history_.empty()) {
        const size_t take = std::min(history_.size(), kHistoryBytes);
        Deflate(history_.data() + history_.size() - take, take, Z_SYNC_FLUSH);
        used_ = 0;
    }
    std::vector<uint8_t>().swap(history_);
}

void PngBandEncoder::Row(const uint8_t* row)
{
    if (finished_ || band_.firstRow + band_.rows >= band_.layout.height)
        throw debug::logic_error(kOutOfOrder);
    if (!started_)
        StartBand();
    const uint8_t* filtered = filter_.Filter(row);
    const size_t bytes = filter_.FilteredBytes();
    // A row is at most 8 MB: its length fits zlib's unsigned int.
    band_.adler = static_cast<uint32_t>(adler32(band_.adler, filtered, static_cast<uInt>(bytes)));
    Deflate(filtered, bytes, Z_NO_FLUSH);
    ++band_.rows;
    band_.filteredBytes += bytes;
}

PngBand PngBandEncoder::Finish()
{
    if (finished_ || band_.rows == 0)
        throw debug::logic_error(kOutOfOrder);
    finished_ = true;
    band_.endsStream = band_.firstRow + band_.rows == band_.layout.height;
    Deflate(nullptr, 0, band_.endsStream ? Z_FINISH : Z_SYNC_FLUSH);
    // After a sync flush the stream is still open and zlib reports discarded data; only an
    // inconsistent state is a fault.
    deflater_->open = false;
    if (deflateEnd(&deflater_->stream) == Z_STREAM_ERROR)
        throw debug::runtime_error(kZlibFailed);
    band_.deflated.resize(used_);
    band_.deflated.shrink_to_fit();
    return std::move(band_);
}

void PngBandEncoder::Deflate(const uint8_t* bytes, size_t count, int flush)
{
    z_stream& stream = deflater_->stream;
    std::vector<uint8_t>& out = band_.deflated;
    stream.next_in = const_cast<Bytef*>(bytes);  // zlib's type; it only reads the input
    stream.avail_in = static_cast<uInt>(count);
    for (;;) {
        if (used_ == out.size())
            out.resize(std::max(kFirstOutput, out.size() * 2));
        const size_t room = std::min<size_t>(out.size() - used_, 1u << 30);
        stream.next_out = out.data() + used_;
        stream.avail_out = static_cast<uInt>(room);
        const int result = deflate(&stream, flush);
        used_ += room - stream.avail_out;
        if (result == Z_STREAM_END && flush == Z_FINISH)
            return;
        // No progress possible: all input taken and nothing more to flush.
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && flush != Z_FINISH)
            return;
        if (result != Z_OK)
            throw debug::runtime_error(kZlibFailed);
        // The input is all taken (the rest may wait inside zlib), or the flush is complete once
        // zlib leaves output space unused.
        if (flush == Z_NO_FLUSH && stream.avail_in == 0)
            return;
        if (flush == Z_SYNC_FLUSH && stream.avail_out != 0)
            return;
    }
}

}  // namespace graphic
}  // namespace sdk
