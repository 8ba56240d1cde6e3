#include "graphic/PsdBlocks.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

bool ReadPsdBlockHeader(stream::stream_in& stream, const PsdFormat& format, int64_t end,
                        char (&key)[4], int64_t& length, const char* tag)
{
    if (end - stream.GetPos() < 12)
        return false;
    char signature[4] = {};
    stream.Read(signature, 4);
    stream.Read(key, 4);
    if (memcmp(signature, "8BIM", 4) != 0 && memcmp(signature, "8B64", 4) != 0)
        return false;
    if (format.BlockHasWideLength(key)) {
        if (end - stream.GetPos() < 8)
            throw debug::runtime_error(tag);
        // A value that no file can hold is taken as the largest.
        length = static_cast<int64_t>(std::min<uint64_t>(
            stream::ReadBigEndian64(stream),
            static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
    } else {
        length = stream::ReadBigEndian32(stream);
    }
    if (length > end - stream.GetPos())
        throw debug::runtime_error(tag);
    return true;
}

}  // namespace graphic
}  // namespace sdk
