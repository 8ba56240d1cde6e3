// File signatures: the first bytes of a file, read from its start.
#pragma once

#include <cstdint>

#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// True when the stream starts with the two big-endian words. A stream too short to hold them
// never matches, since bytes that were not read have no value.
inline bool StartsWithSignature(stream::stream_in& stream, uint32_t first, uint32_t second)
{
    stream.SetPos(0);
    if (stream.GetSize() < 8)
        return false;
    uint32_t word = 0;
    stream.Read(&word, 4);
    if (stream::ByteSwap32(word) != first)
        return false;
    stream.Read(&word, 4);
    return stream::ByteSwap32(word) == second;
}

}  // namespace graphic
}  // namespace sdk
