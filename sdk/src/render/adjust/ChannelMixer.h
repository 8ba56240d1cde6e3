// Channel Mixer ("mixr"): each output channel a weighted sum of the input channels plus a
// constant; monochrome gives every channel the first output's sum.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct ChannelMixerSettings {
    // Per output channel (red, green, blue): the percentages of red, green and blue taken in,
    // and the constant in percent of full scale.
    int weights[3][3] = {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}};
    int constant[3] = {0, 0, 0};
    bool monochrome = false;
};

class ChannelMixer : public PixelAdjustment<ChannelMixer> {
public:
    explicit ChannelMixer(const ChannelMixerSettings& settings) : settings_(settings) {}
    // out = sum(weight x in) / 100 + constant x 255 / 100, rounded and clamped.
    void Pixel(uint8_t* rgb) const;

private:
    ChannelMixerSettings settings_;
};

// The settings of a "mixr" block: a version, the monochrome flag, then a record of five
// signed 16-bit values (red, green, blue, black, constant) per output channel; a gray document
// has one record, for its gray. Raises kDamagedSettings for a block too short.
ChannelMixerSettings ReadChannelMixerSettings(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
