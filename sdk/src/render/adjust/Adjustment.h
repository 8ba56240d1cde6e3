// What an adjustment layer does to the colours below it: one formula, applied to straight 8-bit
// colour. The compositor takes the colour composed so far, lets the adjustment change it, and
// mixes the result in through the layer's opacity, masks and blend mode.
#pragma once

#include <array>
#include <cstdint>

namespace sdk {
namespace render {

class Adjustment {
public:
    virtual ~Adjustment() = default;
    // Changes count pixels in place, 3 bytes each: red, green, blue (in a gray document the
    // gray value three times).
    virtual void Apply(uint8_t* rgb, int32_t count) const = 0;
};

// An adjustment made pixel by pixel: Kind::Pixel(rgb) changes one pixel in place.
template <class Kind>
class PixelAdjustment : public Adjustment {
public:
    void Apply(uint8_t* rgb, int32_t count) const override
    {
        for (int32_t x = 0; x < count; ++x)
            static_cast<const Kind*>(this)->Pixel(rgb + x * 3);
    }
};

// What a channel's value becomes, for each of its 256 values.
using ChannelTable = std::array<uint8_t, 256>;

// The table that changes nothing.
ChannelTable IdentityTable();
// The table of first, then second: second[first[v]].
ChannelTable ChainTables(const ChannelTable& first, const ChannelTable& second);

// An adjustment that maps each of red, green and blue through a table of its own.
class TableAdjustment : public Adjustment {
public:
    explicit TableAdjustment(const std::array<ChannelTable, 3>& tables) : tables_(tables) {}
    void Apply(uint8_t* rgb, int32_t count) const override;
    const std::array<ChannelTable, 3>& Tables() const { return tables_; }

private:
    std::array<ChannelTable, 3> tables_;
};

// The same table for every channel.
std::array<ChannelTable, 3> SameTables(const ChannelTable& table);

// A value rounded to the nearest whole level and kept within 0 .. 255.
uint8_t ToLevel(double value);

}  // namespace render
}  // namespace sdk
