// Photo Filter ("phfl"): the colours seen through a coloured filter of some density,
// optionally keeping each pixel's luminance.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"
#include "render/adjust/PixelColour.h"

namespace sdk {
namespace render {

struct PhotoFilterSettings {
    Rgb colour{236, 138, 0};
    int density = 25;  // percent
    bool preserveLuminosity = true;
};

class PhotoFilter : public PixelAdjustment<PhotoFilter> {
public:
    explicit PhotoFilter(const PhotoFilterSettings& settings) : settings_(settings) {}
    // The pixel multiplied by the filter's colour, mixed in by the density; with luminosity
    // kept, the result then takes the pixel's former luminance.
    void Pixel(uint8_t* rgb) const;

private:
    PhotoFilterSettings settings_;
};

// The settings of a "phfl" block: version 3 holds the colour as CIE XYZ (three 32-bit
// values, 1.0 = 65536, D50), version 2 a colour space and four 16-bit components (RGB or
// gray taken; others give the warming filter's colour); then the density and the flag. Raises
// kDamagedSettings for a block too short or of another version.
PhotoFilterSettings ReadPhotoFilterSettings(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
