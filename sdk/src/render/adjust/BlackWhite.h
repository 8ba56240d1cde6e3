// Black & White ("blwh"): a colour made gray by how much of each of six colours it holds,
// optionally tinted.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"
#include "render/adjust/PixelColour.h"

namespace sdk {
namespace render {

struct BlackWhiteSettings {
    // Percentages for reds, yellows, greens, cyans, blues and magentas (-200 .. 300).
    int weights[6] = {40, 60, 40, 60, 20, 80};
    bool tint = false;
    Rgb tintColour{225, 211, 179};
};

class BlackWhite : public Adjustment {
public:
    explicit BlackWhite(const BlackWhiteSettings& settings) : settings_(settings) {}
    // The gray of a pixel whose channels sort into max >= mid >= min:
    // min + (max - mid) x the weight of max's primary + (mid - min) x the weight of the
    // secondary that max and mid make. Tinted, the gray is the tint colour at that luminance.
    static double Gray(const uint8_t* rgb, const int (&weights)[6]);
    void Apply(uint8_t* rgb, int32_t count) const override;

private:
    BlackWhiteSettings settings_;
};

// The settings of a "blwh" block: a descriptor of the six weights ("Rd  ", "Yllw", "Grn ",
// "Cyn ", "Bl  ", "Mgnt"), "useTint" and "tintColor". Raises kDamagedSettings for a damaged
// descriptor.
BlackWhiteSettings ReadBlackWhiteSettings(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
