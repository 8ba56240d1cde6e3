// Color Balance ("blnc"): shifts toward red, green or blue (or cyan, magenta, yellow) in the
// shadows, midtones and highlights, optionally keeping each pixel's lightness.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct ColorBalanceSettings {
    // Per tonal range (shadows, midtones, highlights): cyan-red, magenta-green and yellow-blue,
    // -100 .. 100.
    int shifts[3][3] = {};
    bool preserveLuminosity = true;
};

class ColorBalance : public PixelAdjustment<ColorBalance> {
public:
    explicit ColorBalance(const ColorBalanceSettings& settings) : settings_(settings) {}
    // Each channel moves by the ranges' shifts weighted by where the pixel's lightness lies
    // (overlapping ramps over shadows, midtones, highlights that sum to one), then, kept
    // luminosity, the pixel gets its former HSL lightness back.
    void Pixel(uint8_t* rgb) const;

private:
    ColorBalanceSettings settings_;
};

// The settings of a "blnc" block: three sets of three signed 16-bit shifts, then the
// preserve-luminosity flag. Raises kDamagedSettings for a block too short.
ColorBalanceSettings ReadColorBalanceSettings(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
