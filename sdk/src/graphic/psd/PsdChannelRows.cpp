#include "graphic/psd/PsdChannelRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "debug/Error.h"
#include "graphic/psd/PsdRecordFields.h"
#include "graphic/psd/PsdZipRows.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

// Runs of PackBits are short (at most 128 bytes): they are copied and filled 8 bytes at a time,
// the last 8 overlapping, which is much faster than the string instructions a compiler would
// choose for a length it knows to be small.
inline void FillRun(uint8_t* destination, uint8_t value, size_t count)
{
    if (count < 8) {
        for (size_t i = 0; i < count; ++i)
            destination[i] = value;
        return;
    }
    const uint64_t pattern = 0x0101010101010101ull * value;
    for (size_t i = 0; i + 8 <= count; i += 8)
        std::memcpy(destination + i, &pattern, 8);
    std::memcpy(destination + count - 8, &pattern, 8);
}

inline void CopyRun(uint8_t* destination, const uint8_t* source, size_t count)
{
    if (count < 8) {
        for (size_t i = 0; i < count; ++i)
            destination[i] = source[i];
        return;
    }
    uint64_t word = 0;
    for (size_t i = 0; i + 8 <= count; i += 8) {
        std::memcpy(&word, source + i, 8);
        std::memcpy(destination + i, &word, 8);
    }
    std::memcpy(&word, source + count - 8, 8);
    std::memcpy(destination + count - 8, &word, 8);
}

}  // namespace

PsdChannelRows::PsdChannelRows(PsdInput& input, uint16_t compression, int64_t countsOffset,
                               int64_t dataOffset, int64_t end, int32_t height, int64_t rowBytes,
                               int32_t depth, int32_t countSize, int32_t firstRow, int64_t skipped)
    : input_(input),
      compression_(compression),
      rowBytes_(rowBytes),
      countSize_(countSize),
      countsOffset_(countsOffset),
      dataOffset_(dataOffset),
      firstRow_(firstRow),
      skipped_(compression == kRle ? skipped : compression == kRaw ? firstRow * rowBytes : 0),
      data_(input, dataOffset + skipped_, end)
{
    if (firstRow < 0 || firstRow > height || skipped < 0)
        throw debug::logic_error("PsdChannelRows::PsdChannelRows:60");
    if (compression == kRle) {
        counts_.reset(new PsdSequentialReader(
            input, countsOffset + int64_t{firstRow} * countSize,
            std::min(end, countsOffset + int64_t{height} * countSize)));
    } else if (compression != kRaw) {
        zip_.reset(new PsdZipRows(input, dataOffset, end, rowBytes, depth, compression == 3));
        undropped_ = firstRow;
    }
}

PsdChannelRows::~PsdChannelRows() = default;

uint32_t PsdChannelRows::NextCount()
{
    const uint8_t* at = counts_->Take(static_cast<uint32_t>(countSize_));
    return countSize_ == 4 ? stream::BigEndian32(at) : stream::BigEndian16(at);
}

int64_t PsdChannelRows::Next(uint8_t* row)
{
    if (compression_ == kRaw) {
        std::memcpy(row, data_.Take(static_cast<uint32_t>(rowBytes_)),
                    static_cast<size_t>(rowBytes_));
        return rowBytes_;
    }
    if (compression_ == kRle) {
        const uint32_t count = NextCount();
        return UnpackBits(row, rowBytes_, data_.Take(count), count);
    }
    // Deflate data is only read from its start: the rows before the first are inflated into
    // row, which the first row then fills.
    for (; undropped_ > 0; --undropped_)
        zip_->Next(row);
    zip_->Next(row);
    return rowBytes_;
}

PsdChannelRows::FullRow PsdChannelRows::LastFullRowBefore()
{
    if (compression_ != kRle)
        throw debug::logic_error("PsdChannelRows::LastFullRowBefore:120");
    // Each row's data ends where the next row's begins: the rows are walked back from the first
    // by their counts, each read at its place.
    std::vector<uint8_t> packed, row(static_cast<size_t>(rowBytes_));
    FullRow found;
    int64_t skipped = skipped_;
    for (int32_t y = firstRow_ - 1; y >= 0; --y) {
        uint8_t at[4] = {0, 0, 0, 0};
        input_.ReadAt(countsOffset_ + int64_t{y} * countSize_, at,
                      static_cast<uint32_t>(countSize_));
        const uint32_t count = countSize_ == 4 ? stream::BigEndian32(at) : stream::BigEndian16(at);
        if (count > skipped)  // not the counts the cursor was opened by
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:330");
        skipped -= count;
        packed.assign(count, 0);
        if (count > 0)
            input_.ReadAt(dataOffset_ + skipped, packed.data(), count);
        if (UnpackBits(row.data(), rowBytes_, packed.data(), count) == rowBytes_) {
            found.row = y;
            found.skipped = skipped;
            return found;
        }
    }
    return found;
}

int64_t PsdChannelRows::UnpackBits(uint8_t* destination, int64_t width, const uint8_t* source,
                                   int64_t count)
{
    // Decoding stops when the source is used up or the row is full, whichever comes first.
    int64_t in = 0;
    int64_t out = 0;
    while (in < count && out < width) {
        const int8_t header = static_cast<int8_t>(source[in++]);
        if (header == -128)
            continue;
        if (header < 0) {
            if (in >= count)
                throw debug::runtime_error("memory_in::Read:42");
            const uint8_t value = source[in++];
            const int64_t run = 1 - header;
            if (run > width - out)
                throw debug::runtime_error("memory_out::Fill:66");
            FillRun(destination + out, value, static_cast<size_t>(run));
            out += run;
        } else {
            const int64_t run = int64_t{header} + 1;
            if (run > width - out)
                throw debug::runtime_error("memory_out::Fill:77");
            if (run > count - in)
                throw debug::runtime_error("memory_in::Read:42");
            CopyRun(destination + out, source + in, static_cast<size_t>(run));
            in += run;
            out += run;
        }
    }
    return out;
}

}  // namespace graphic
}  // namespace sdk
