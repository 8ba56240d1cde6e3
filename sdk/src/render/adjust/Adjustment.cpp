#include "render/adjust/Adjustment.h"

#include <cmath>

namespace sdk {
namespace render {

ChannelTable IdentityTable()
{
    ChannelTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<uint8_t>(v);
    return table;
}

ChannelTable ChainTables(const ChannelTable& first, const ChannelTable& second)
{
    ChannelTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = second[first[v]];
    return table;
}

std::array<ChannelTable, 3> SameTables(const ChannelTable& table)
{
    return {table, table, table};
}

void TableAdjustment::Apply(uint8_t* rgb, int32_t count) const
{
    for (int32_t x = 0; x < count; ++x) {
        uint8_t* pixel = rgb + x * 3;
        pixel[0] = tables_[0][pixel[0]];
        pixel[1] = tables_[1][pixel[1]];
        pixel[2] = tables_[2][pixel[2]];
    }
}

uint8_t ToLevel(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 255 ? 255 : static_cast<uint8_t>(std::lround(value));
}

}  // namespace render
}  // namespace sdk
