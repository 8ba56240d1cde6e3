#include "stream/StreamMemory.h"

#include <cstring>

#include "debug/Error.h"

namespace sdk {
namespace stream {

stream_memory::stream_memory(void* block, int32_t block_size)
    : size(block_size < 0 ? 0 : block_size), pos(0), data(static_cast<uint8_t*>(block))
{
}

void stream_memory::Seek(int32_t offset)
{
    int64_t target = static_cast<int64_t>(pos) + offset;
    if (target < 0 || target > size)
        throw debug::runtime_error("stream_memory::Seek:21");
    pos = static_cast<int32_t>(target);
}

void stream_memory::SetPos(int32_t position)
{
    if (position < 0 || position > size)
        throw debug::runtime_error("stream_memory::SetPos:32");
    pos = position;
}

void stream_memory::CheckRemain(uint32_t count, const char* tag)
{
    if (GetRemain() < count)
        throw debug::runtime_error(tag);
}

memory_in::memory_in(const void* block, int32_t block_size)
    : stream_memory(const_cast<void*>(block), block_size)
{
}

void memory_in::Read(void* destination, uint32_t count)
{
    CheckRemain(count, "memory_in::Read:42");
    if (count != 0)
        memcpy(destination, At(), count);
    pos += static_cast<int32_t>(count);
}

memory_out::memory_out(void* block, int32_t block_size) : stream_memory(block, block_size) {}

void memory_out::Write(const void* source, uint32_t count)
{
    CheckRemain(count, "memory_out::Write:54");
    if (count != 0)
        memcpy(At(), source, count);
    pos += static_cast<int32_t>(count);
}

void memory_out::Fill(uint8_t value, uint32_t count)
{
    CheckRemain(count, "memory_out::Fill:66");
    if (count != 0)
        memset(At(), value, count);
    pos += static_cast<int32_t>(count);
}

void memory_out::Fill(stream_in& source, uint32_t count)
{
    CheckRemain(count, "memory_out::Fill:77");
    source.Read(At(), count);
    pos += static_cast<int32_t>(count);
}

}  // namespace stream
}  // namespace sdk
