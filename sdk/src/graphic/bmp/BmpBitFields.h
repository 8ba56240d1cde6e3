// The bit-field masks of 16- and 32-bit BMP files: each component of a pixel word is a run of
// adjacent bits that a mask picks out. A component is widened to 8 bits by repeating its bits
// (5 bits: 31 becomes 255, 16 becomes 132), a wider one keeps its top 8 bits, and a component
// whose mask is 0 reads as 0.
#pragma once

#include <cstdint>

namespace sdk {
namespace graphic {

class BmpBitField {
public:
    BmpBitField() = default;
    // Raises "ImageLoaderBMP::LoadInfo:142" for a mask whose bits are not adjacent or that has
    // bits above the pixel word's bitCount bits.
    BmpBitField(uint32_t mask, uint16_t bitCount);

    bool IsEmpty() const { return bits_ == 0; }
    // The component of pixel word, widened to 8 bits.
    uint8_t Extract(uint32_t word) const
    {
        return bits_ == 0 ? 0 : widen_[(word >> shift_) & low_];
    }

private:
    uint32_t shift_ = 0;       // position of the lowest bit read
    uint32_t bits_ = 0;        // bits read: the mask's width, at most 8 (its top 8)
    uint32_t low_ = 0;         // the bits read, shifted down
    uint8_t widen_[256] = {};  // 8-bit value of each component value up to low_
};

}  // namespace graphic
}  // namespace sdk
