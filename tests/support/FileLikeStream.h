// Test support: a read-only stream over bytes in memory that behaves like a file stream: a read
// at the end copies what is there and leaves the rest of the destination alone, without an
// error; the position may be moved past the end, but not before the start.
#pragma once

#include <cstdint>
#include <cstring>

#include "debug/Error.h"
#include "stream/Stream.h"

namespace test_support {

class FileLikeStream : public sdk::stream::stream_in {
public:
    FileLikeStream(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)),
          size_(size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(size))
    {
    }
    int32_t GetSize() override { return size_; }
    uint32_t GetRemain() override { return pos_ < size_ ? static_cast<uint32_t>(size_ - pos_) : 0; }
    int32_t GetPos() override { return pos_; }
    void Seek(int32_t offset) override { SetTo(static_cast<int64_t>(pos_) + offset, "stream_file::Seek:60"); }
    void SetPos(int32_t position) override { SetTo(position, "stream_file::SetPos:61"); }
    void Read(void* destination, uint32_t count) override
    {
        uint32_t available = GetRemain() < count ? GetRemain() : count;
        if (available != 0)
            std::memcpy(destination, data_ + pos_, available);
        pos_ += static_cast<int32_t>(available);
    }

private:
    void SetTo(int64_t target, const char* tag)
    {
        if (target < 0 || target > 0x7FFFFFFF)
            throw sdk::debug::runtime_error(tag);
        pos_ = static_cast<int32_t>(target);
    }
    const uint8_t* data_;
    int32_t size_;
    int32_t pos_ = 0;
};

}  // namespace test_support
