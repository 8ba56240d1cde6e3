// The byte-stream interfaces. Streams move raw bytes and never swap byte order; callers read and
// write multi-byte fields with the helpers of ByteOrder.h. Sizes and positions are signed
// 32-bit, byte counts unsigned 32-bit. Every failed check raises an error with its location tag.
#pragma once

#include <cstdint>

namespace sdk {
namespace stream {

class stream_base {
public:
    virtual int32_t GetSize() = 0;
    // Bytes between the position and the end (for buffer_io: room left for writing).
    virtual uint32_t GetRemain() = 0;
    virtual int32_t GetPos() = 0;
    // Moves the position by a signed offset.
    virtual void Seek(int32_t offset) = 0;
    // Moves to an absolute position; 0 is the first byte.
    virtual void SetPos(int32_t position) = 0;

protected:
    ~stream_base() = default;
};

class stream_in : public virtual stream_base {
public:
    // Copies count bytes from the position into destination and advances the position.
    virtual void Read(void* destination, uint32_t count) = 0;
    virtual ~stream_in() = default;
};

class stream_out : public virtual stream_base {
public:
    // Stores count bytes from source at the position and advances the position.
    virtual void Write(const void* source, uint32_t count) = 0;
    virtual ~stream_out() = default;
};

}  // namespace stream
}  // namespace sdk
