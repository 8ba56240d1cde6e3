#include "render/adjust/SettingsBytes.h"

#include <cstring>

#include "debug/Error.h"

namespace sdk {
namespace render {

const char kDamagedSettings[] = "ImageLoaderPSD::LayerBlock:480";

void SettingsBytes::Fail()
{
    throw debug::runtime_error(kDamagedSettings);
}

const uint8_t* SettingsBytes::Take(size_t count)
{
    if (count > bytes_.size() - at_)
        Fail();
    at_ += count;
    return bytes_.data() + at_ - count;
}

uint8_t SettingsBytes::U8()
{
    return *Take(1);
}

uint16_t SettingsBytes::U16()
{
    const uint8_t* at = Take(2);
    return static_cast<uint16_t>((at[0] << 8) | at[1]);
}

uint32_t SettingsBytes::U32()
{
    const uint8_t* at = Take(4);
    return (static_cast<uint32_t>(at[0]) << 24) | (static_cast<uint32_t>(at[1]) << 16) |
           (static_cast<uint32_t>(at[2]) << 8) | at[3];
}

float SettingsBytes::F32()
{
    const uint32_t bits = U32();
    float value = 0;
    memcpy(&value, &bits, sizeof value);
    return value;
}

void SettingsBytes::Skip(size_t count)
{
    Take(count);
}

void SettingsBytes::Seek(size_t at)
{
    if (at > bytes_.size())
        Fail();
    at_ = at;
}

bool SettingsBytes::Next(const char* chars) const
{
    return bytes_.size() - at_ >= 4 && memcmp(bytes_.data() + at_, chars, 4) == 0;
}

}  // namespace render
}  // namespace sdk
