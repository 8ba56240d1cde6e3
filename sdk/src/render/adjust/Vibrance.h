// Vibrance ("vibA"): saturation raised most where a colour is dull (vibrance), and evenly
// (saturation), each -100 .. 100.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct VibranceSettings {
    int vibrance = 0;
    int saturation = 0;
};

class Vibrance : public PixelAdjustment<Vibrance> {
public:
    Vibrance(int vibrance, int saturation) : vibrance_(vibrance), saturation_(saturation) {}
    // The spread of the channels about the pixel's HSL lightness scaled by 1 + vibrance x
    // (1 - s)^2 (s the pixel's HSL saturation; lowering it acts alike on every pixel), then by
    // 1 + saturation; kept within 0 .. 255 by shrinking the spread.
    void Pixel(uint8_t* rgb) const;

private:
    int vibrance_;
    int saturation_;
};

// The settings of a "vibA" block: a descriptor of "vibrance" and "Strt" (saturation), each
// taken to -100 .. 100. Raises kDamagedSettings for a damaged descriptor.
VibranceSettings ReadVibranceSettings(const std::vector<uint8_t>& block);
// The adjustment of a "vibA" block; raises as ReadVibranceSettings.
std::unique_ptr<Adjustment> ReadVibrance(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
