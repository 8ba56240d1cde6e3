// Streams over a caller's block of memory, which must outlive them. The block never grows.
#pragma once

#include "stream/Stream.h"

namespace sdk {
namespace stream {

class stream_memory : public virtual stream_base {
public:
    int32_t GetSize() override { return size; }
    uint32_t GetRemain() override { return static_cast<uint32_t>(size - pos); }
    int32_t GetPos() override { return pos; }
    void Seek(int32_t offset) override;
    void SetPos(int32_t position) override;

protected:
    stream_memory(void* block, int32_t block_size);
    ~stream_memory() = default;
    uint8_t* At() const { return data + pos; }
    // Raises tag when fewer than count bytes are left after the position.
    void CheckRemain(uint32_t count, const char* tag);

    int32_t size;
    int32_t pos;
    uint8_t* data;
};

class memory_in : public stream_in, public stream_memory {
public:
    memory_in(const void* block, int32_t block_size);
    void Read(void* destination, uint32_t count) override;
};

class memory_out : public stream_out, public stream_memory {
public:
    memory_out(void* block, int32_t block_size);
    void Write(const void* source, uint32_t count) override;
    // Stores count copies of value.
    void Fill(uint8_t value, uint32_t count);
    // Lets source read count bytes straight into the block.
    void Fill(stream_in& source, uint32_t count);
};

}  // namespace stream
}  // namespace sdk
