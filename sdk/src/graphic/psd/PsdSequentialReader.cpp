#include "graphic/psd/PsdSequentialReader.h"

#include <algorithm>
#include <cstring>

namespace sdk {
namespace graphic {

namespace {
// The most a buffer is filled with at once, unless a single request is larger.
const int64_t kReadPiece = 64 * 1024;
}  // namespace

PsdSequentialReader::PsdSequentialReader(PsdInput& input, int64_t start, int64_t end)
    : input_(input), position_(start), end_(end)
{
}

const uint8_t* PsdSequentialReader::Take(uint32_t count)
{
    if (filled_ - begin_ < count) {
        // Keep the bytes not yet taken, then read up to a piece (or the request) more, never
        // beyond the end.
        if (filled_ > begin_)
            std::memmove(buffer_.data(), buffer_.data() + begin_, filled_ - begin_);
        filled_ -= begin_;
        begin_ = 0;
        // A piece, but no more than the bytes left: a small channel holds a small buffer.
        const int64_t piece = std::min(kReadPiece, std::max<int64_t>(end_ - position_, 0));
        const size_t wanted = std::max<size_t>(count, static_cast<size_t>(piece));
        if (buffer_.size() < wanted)
            buffer_.resize(wanted);
        const int64_t fileNext = position_ + static_cast<int64_t>(filled_);
        const int64_t room = static_cast<int64_t>(buffer_.size() - filled_);
        const int64_t available = std::min(room, std::max<int64_t>(end_ - fileNext, 0));
        if (available > 0) {
            input_.ReadAt(fileNext, buffer_.data() + filled_, static_cast<uint32_t>(available));
            filled_ += static_cast<size_t>(available);
        }
        if (filled_ < count)  // beyond the end: bytes of no defined value, but inside the buffer
            filled_ = count;
    }
    const uint8_t* taken = buffer_.data() + begin_;
    begin_ += count;
    position_ += count;
    return taken;
}

}  // namespace graphic
}  // namespace sdk
