#include "render/adjust/Posterize.h"

#include <algorithm>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

ChannelTable PosterizeTable(int levels)
{
    const int n = std::min(std::max(levels, 2), 255);
    ChannelTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<uint8_t>((v * n / 256) * 255 / (n - 1));
    return table;
}

int ReadPosterizeLevels(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    return bytes.U16();
}

}  // namespace render
}  // namespace sdk
