// Exposure ("expA"): exposure in stops, an offset and a gamma, worked in a space of power 2.2
// (1.75 in a gray document).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct ExposureSettings {
    double exposure = 0;
    double offset = 0;
    double gamma = 1;
};

// L = clamp((v / 255)^G x 2^exposure + offset, 0, 1) ^ (1 / gamma), out = 255 L^(1/G),
// rounded.
ChannelTable ExposureTable(const ExposureSettings& settings, bool gray);

// The settings of an "expA" block: a version, then exposure, offset and gamma as 32-bit floats.
// Raises kDamagedSettings for a block too short.
ExposureSettings ReadExposureSettings(const std::vector<uint8_t>& block);
// The adjustment of an "expA" block; raises as ReadExposureSettings.
std::unique_ptr<Adjustment> ReadExposure(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
