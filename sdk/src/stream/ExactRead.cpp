#include "stream/ExactRead.h"

#include "debug/Error.h"

namespace sdk {
namespace stream {

int64_t BytesLeft(stream_base& stream)
{
    const int64_t left = static_cast<int64_t>(stream.GetSize()) - stream.GetPos();
    return left > 0 ? left : 0;
}

void RequireBytes(stream_base& stream, int64_t count, const char* tag)
{
    if (count < 0 || BytesLeft(stream) < count)
        throw debug::runtime_error(tag);
}

bool ReadWhole(stream_in& stream, void* destination, uint32_t count)
{
    const int64_t before = stream.GetPos();
    stream.Read(destination, count);
    return static_cast<int64_t>(stream.GetPos()) - before == static_cast<int64_t>(count);
}

void ReadExactly(stream_in& stream, void* destination, uint32_t count, const char* tag)
{
    RequireBytes(stream, count, tag);
    if (!ReadWhole(stream, destination, count))
        throw debug::runtime_error(tag);
}

}  // namespace stream
}  // namespace sdk
