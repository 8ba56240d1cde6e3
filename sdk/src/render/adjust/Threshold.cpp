#include "render/adjust/Threshold.h"

#include <cstring>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

int Threshold::Luminance(const uint8_t* rgb)
{
    // In whole hundredths, rounded half up: 30 R + 59 G + 11 B over 100.
    return (30 * rgb[0] + 59 * rgb[1] + 11 * rgb[2] + 50) / 100;
}

void Threshold::Apply(uint8_t* rgb, int32_t count) const
{
    for (int32_t x = 0; x < count; ++x) {
        uint8_t* pixel = rgb + x * 3;
        memset(pixel, Luminance(pixel) >= level_ ? 255 : 0, 3);
    }
}

int ReadThresholdLevel(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    return bytes.U16();
}

}  // namespace render
}  // namespace sdk
