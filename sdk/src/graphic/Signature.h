// File signatures: the first bytes of a file, read from its start.
#pragma once

#include <cstdint>
#include <cstring>

#include "stream/ExactRead.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// True when the stream starts with the length bytes of signature (at most 8), which are then
// read. A stream too short to hold them never matches, since bytes that were not read have no
// value.
inline bool StartsWith(stream::stream_in& stream, const char* signature, uint32_t length)
{
    stream.SetPos(0);
    char head[8] = {};
    if (length > sizeof head || stream::BytesLeft(stream) < length)
        return false;
    stream.Read(head, length);
    return memcmp(head, signature, length) == 0;
}

}  // namespace graphic
}  // namespace sdk
