#include "stream/StreamBuffer.h"

#include <cstring>
#include <limits>

#include "debug/Error.h"

namespace sdk {
namespace stream {

void buffer_io::Seek(int32_t offset)
{
    int64_t target = static_cast<int64_t>(pos) + offset;
    if (target < 0 || target > static_cast<int64_t>(data.size()))
        throw debug::runtime_error("buffer_io::Seek:24");
    pos = static_cast<int32_t>(target);
}

void buffer_io::SetPos(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) > data.size())
        throw debug::runtime_error("buffer_io::SetPos:36");
    pos = position;
}

void buffer_io::Read(void* destination, uint32_t count)
{
    uint64_t end = static_cast<uint64_t>(pos) + count;
    if (end > data.size())
        throw debug::runtime_error("buffer_io::Read:47");
    if (count != 0)
        memcpy(destination, data.data() + pos, count);
    pos = static_cast<int32_t>(end);
}

void buffer_io::Write(const void* source, uint32_t count)
{
    // Sizes and positions are signed 32-bit: a buffer never grows past what they can name.
    uint64_t end = static_cast<uint64_t>(pos) + count;
    if (end > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        throw debug::runtime_error("buffer_io::Write:58");
    if (end > data.size())
        data.resize(static_cast<size_t>(end), 0);
    if (count != 0)
        memcpy(data.data() + pos, source, count);
    pos = static_cast<int32_t>(end);
}

}  // namespace stream
}  // namespace sdk
