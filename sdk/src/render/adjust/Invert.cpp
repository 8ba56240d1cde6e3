#include "render/adjust/Invert.h"

namespace sdk {
namespace render {

ChannelTable InvertTable()
{
    ChannelTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<uint8_t>(255 - v);
    return table;
}

std::unique_ptr<Adjustment> MakeInvert()
{
    return std::unique_ptr<Adjustment>(new TableAdjustment(SameTables(InvertTable())));
}

}  // namespace render
}  // namespace sdk
