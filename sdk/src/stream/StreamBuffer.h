// A growable byte buffer, read and written at one position.
#pragma once

#include <vector>

#include "stream/Stream.h"

namespace sdk {
namespace stream {

class buffer_io : public stream_in, public stream_out {
public:
    buffer_io() = default;
    int32_t GetSize() override { return static_cast<int32_t>(data.size()); }
    // The room left for writing, not the bytes left to read.
    uint32_t GetRemain() override { return 0xFFFFFFFFu - static_cast<uint32_t>(data.size()); }
    int32_t GetPos() override { return pos; }
    void Seek(int32_t offset) override;
    void SetPos(int32_t position) override;
    void Read(void* destination, uint32_t count) override;
    // Overwrites in the middle, appends at the end; grows with zero bytes as needed.
    void Write(const void* source, uint32_t count) override;

    const std::vector<uint8_t>& Bytes() const { return data; }

private:
    std::vector<uint8_t> data;
    int32_t pos = 0;
};

}  // namespace stream
}  // namespace sdk
