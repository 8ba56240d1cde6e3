// Posterize ("post"): each channel cut to a number of evenly spaced levels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

// floor(floor(v n / 256) x 255 / (n - 1)) for n levels (2 .. 255; others are taken to the
// nearest of those).
ChannelTable PosterizeTable(int levels);

// The number of levels of a "post" block, in 16 bits. Raises kDamagedSettings for a block too
// short.
int ReadPosterizeLevels(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
