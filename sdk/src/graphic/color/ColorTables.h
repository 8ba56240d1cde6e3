// The 8-bit conversions of a transform through tables, where a transform allows them: gray (a
// table of 256 values, taken from the engine itself) and RGB whose profile is a matrix with tone
// curves (each channel made linear through a table, a 3 x 3 matrix into sRGB's primaries, then
// sRGB's curve through a fine table). Several times faster than the engine's general 8-bit path,
// and kept only where they give what the engine gives, within a level, on a grid of colours.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/color/ColorTransform.h"

namespace sdk {
namespace graphic {

class ColorTables {
public:
    // Tables that do what the engine's transform (handle, from profile's colours in layout in to
    // sRGB in layout out) does; null where none fit.
    static std::unique_ptr<ColorTables> For(const IccProfile& profile, void* handle, ColorLayout in,
                                            ColorLayout out);
    void Convert(const uint8_t* in, uint8_t* out, int32_t pixels) const;

private:
    // Tables of a layout in, which they give out as they take it.
    explicit ColorTables(ColorLayout in) : in_(in) {}
    bool MakeGray(void* handle);
    bool MakeRgb(const IccProfile& profile);
    // Whether the tables give what handle gives, within a level.
    bool AgreeWith(void* handle) const;

    ColorLayout in_;
    bool rgb_ = false;
    uint8_t gray_[256] = {};
    // In fixed point: the profile's R, G and B made linear light (1 is 1 << kLightBits); sRGB's
    // linear R, G, B from the profile's (1 is 1 << kMatrixBits); and linear light from 0 to 1 in
    // kEncodeSteps even steps as sRGB bytes.
    int64_t linear_[3][256] = {};
    int64_t matrix_[3][3] = {};
    std::vector<uint8_t> encode_;
};

}  // namespace graphic
}  // namespace sdk
