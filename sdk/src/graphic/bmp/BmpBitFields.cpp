#include "graphic/bmp/BmpBitFields.h"

#include "debug/Error.h"

namespace sdk {
namespace graphic {

BmpBitField::BmpBitField(uint32_t mask, uint16_t bitCount)
{
    if (mask == 0)
        return;
    if (bitCount < 32 && (mask >> bitCount) != 0)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:142");
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift_;
    }
    // Adjacent bits: the mask shifted down is one less than a power of two.
    if ((mask & (mask + 1)) != 0)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:142");
    while (bits_ < 32 && (mask >> bits_) != 0)
        ++bits_;
    // A component wider than 8 bits is read by its top 8 bits alone.
    if (bits_ > 8) {
        shift_ += bits_ - 8;
        bits_ = 8;
    }
    low_ = (1u << bits_) - 1;
    for (uint32_t value = 0; value <= low_; ++value) {
        // The component's bits repeated from the top down until 8 bits are filled.
        uint32_t wide = 0;
        for (int32_t filled = 0; filled < 8; filled += static_cast<int32_t>(bits_))
            wide = (wide << bits_) | value;
        const uint32_t spare = ((8 + bits_ - 1) / bits_) * bits_ - 8;
        widen_[value] = static_cast<uint8_t>(wide >> spare);
    }
}

}  // namespace graphic
}  // namespace sdk
