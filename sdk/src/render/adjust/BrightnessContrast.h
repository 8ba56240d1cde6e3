// Brightness/Contrast ("brit", and the newer form's "CgEd" descriptor beside it).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

// The legacy form, linear about 127.5: contrast c > 0 stretches, (v + b - 127.5) x 100 /
// (100 - c) + 127.5; c < 0 flattens, (v - 127.5) x (100 + c) / 100 + 127.5 + b.
ChannelTable LegacyBrightnessContrastTable(int brightness, int contrast);

// The newer form, which keeps black and white where they are. Measured against the editor's
// merged images, not its own formula: brightness bends the curve, 1 - (1 - v)^g with
// g = exp(0.86 b / 100) (v from 0 to 1); contrast then adds an S about the middle,
// v + 2.24 (c / 100) v (1 - v)(v - 0.5). Within about 2.5 levels (RMS) of the editor for
// moderate settings, 7 at brightness 150.
ChannelTable BrightnessContrastTable(int brightness, int contrast);

struct BrightnessContrastSettings {
    int brightness = 0;  // -150 .. 150
    int contrast = 0;    // -50 .. 100 (legacy: -100 .. 100)
    bool legacy = true;
};

// The settings of a "brit" block (brightness, contrast, mean as signed 16-bit values) or, where
// the layer has one (cgEd not empty), of its "CgEd" descriptor, which says whether the legacy
// form applies (the newer one unless "useLegacy" is set). Raises kDamagedSettings for a damaged
// block.
BrightnessContrastSettings ReadBrightnessContrastSettings(const std::vector<uint8_t>& block,
                                                          const std::vector<uint8_t>& cgEd);
std::unique_ptr<Adjustment> MakeBrightnessContrast(const BrightnessContrastSettings& settings);

}  // namespace render
}  // namespace sdk
