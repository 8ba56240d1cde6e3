// Reads that must come whole. A file stream returns a read at its end short and silently, so a
// reader checks what the stream holds before it takes fields, sizes a buffer or skips a section,
// and raises its own tag when the bytes are not there.
#pragma once

#include <cstdint>

#include "stream/Stream.h"

namespace sdk {
namespace stream {

// Bytes between the position and the end of the stream; 0 past the end. (For a buffer_io this
// is what it holds beyond the position, not GetRemain's room for writing.)
int64_t BytesLeft(stream_base& stream);

// Raises a runtime error with tag unless count bytes are left (a negative count never is).
void RequireBytes(stream_base& stream, int64_t count, const char* tag);

// Reads count bytes; true when every one of them came. The stream's own errors pass through.
bool ReadWhole(stream_in& stream, void* destination, uint32_t count);

// Reads exactly count bytes or raises a runtime error with tag; when fewer are left, nothing is
// read.
void ReadExactly(stream_in& stream, void* destination, uint32_t count, const char* tag);

}  // namespace stream
}  // namespace sdk
