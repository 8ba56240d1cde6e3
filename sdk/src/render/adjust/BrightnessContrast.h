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

// The adjustment of a "brit" block (brightness, contrast, mean as signed 16-bit values) or,
// where the layer has one (cgEd not empty), of its "CgEd" descriptor, which says whether the
// legacy form applies. Raises kDamagedSettings for a damaged block.
std::unique_ptr<Adjustment> ReadBrightnessContrast(const std::vector<uint8_t>& block,
                                                   const std::vector<uint8_t>& cgEd);

}  // namespace render
}  // namespace sdk
