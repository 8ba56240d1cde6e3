// Threshold ("thrs"): white where a pixel's luminance reaches the level, black elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

class Threshold : public Adjustment {
public:
    explicit Threshold(int level) : level_(level) {}
    // Y = round(0.30 R + 0.59 G + 0.11 B) (the gray value itself in a gray document).
    static int Luminance(const uint8_t* rgb);
    void Apply(uint8_t* rgb, int32_t count) const override;

private:
    int level_;
};

// The level of a "thrs" block, in 16 bits. Raises kDamagedSettings for a block too short.
int ReadThresholdLevel(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
