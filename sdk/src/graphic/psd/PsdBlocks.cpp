#include "graphic/psd/PsdBlocks.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

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
        if (end - stream.GetPos() < 8) {
            if (tag == nullptr)
                return false;
            throw debug::runtime_error(tag);
        }
        // A value that no file can hold is taken as the largest.
        length = static_cast<int64_t>(std::min<uint64_t>(
            stream::ReadBigEndian64(stream),
            static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
    } else {
        length = stream::ReadBigEndian32(stream);
    }
    if (length > end - stream.GetPos()) {
        if (tag == nullptr)
            return false;
        throw debug::runtime_error(tag);
    }
    return true;
}

bool ReadPsdUnicodeName(stream::stream_in& stream, int64_t length, std::u16string& name)
{
    name.clear();
    if (length < 4)
        return false;
    const uint32_t declared = stream::ReadBigEndian32(stream);
    const int64_t units = std::min<int64_t>(declared, (length - 4) / 2);
    std::vector<uint8_t> bytes(static_cast<size_t>(units) * 2);
    if (units > 0)
        stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (int64_t i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(stream::BigEndian16(&bytes[i * 2]));
        if (unit == 0)
            break;
        name += unit;
    }
    return units == declared;
}

}  // namespace graphic
}  // namespace sdk
