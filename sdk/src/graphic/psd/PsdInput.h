// Reads of a PSD file at any position, for any number of cursors at once (the channels of the
// images being decoded, on one thread or several): each read moves the one stream to its
// position and reads there while holding a lock, so cursors never disturb one another.
#pragma once

#include <cstdint>
#include <mutex>

#include "stream/Stream.h"

namespace sdk {
namespace graphic {

class PsdInput {
public:
    explicit PsdInput(stream::stream_in& stream) : stream_(stream) {}
    PsdInput(const PsdInput&) = delete;
    PsdInput& operator=(const PsdInput&) = delete;

    // Reads count bytes at position into destination. Reads reaching beyond the end of the file
    // come back short and leave the rest of destination as it was, as the stream's own reads do.
    void ReadAt(int64_t position, void* destination, uint32_t count);

private:
    std::mutex mutex_;
    stream::stream_in& stream_;
};

}  // namespace graphic
}  // namespace sdk
