#include "graphic/psd/PsdInput.h"

#include <limits>

namespace sdk {
namespace graphic {

void PsdInput::ReadAt(int64_t position, void* destination, uint32_t count)
{
    // Streams have 32-bit positions: nothing lies beyond them.
    if (count == 0 || position < 0 || position > std::numeric_limits<int32_t>::max())
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    stream_.SetPos(static_cast<int32_t>(position));
    stream_.Read(destination, count);
}

}  // namespace graphic
}  // namespace sdk
