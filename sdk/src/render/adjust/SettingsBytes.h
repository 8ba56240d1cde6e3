// A cursor over the bytes of an adjustment's or a fill's settings block, big-endian, that
// raises the block's damage tag at the first read past the end instead of reading on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sdk {
namespace render {

// The tag a damaged settings block raises.
extern const char kDamagedSettings[];

class SettingsBytes {
public:
    explicit SettingsBytes(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint8_t U8();
    uint16_t U16();
    int16_t S16() { return static_cast<int16_t>(U16()); }
    uint32_t U32();
    float F32();
    void Skip(size_t count);
    size_t Left() const { return bytes_.size() - at_; }
    size_t At() const { return at_; }
    void Seek(size_t at);
    // Whether the next bytes are the four characters given (the position stays).
    bool Next(const char* chars) const;
    [[noreturn]] static void Fail();

private:
    const uint8_t* Take(size_t count);

    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

}  // namespace render
}  // namespace sdk
