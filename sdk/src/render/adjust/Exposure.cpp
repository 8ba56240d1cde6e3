#include "render/adjust/Exposure.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

ChannelTable ExposureTable(const ExposureSettings& settings, bool gray)
{
    const double power = gray ? 1.75 : 2.2;
    const double gamma = settings.gamma > 0 && std::isfinite(settings.gamma) ? settings.gamma : 1;
    const double scale = std::exp2(std::min(std::max(settings.exposure, -40.0), 40.0));
    const double offset = std::isfinite(settings.offset) ? settings.offset : 0;
    ChannelTable table;
    for (int v = 0; v < 256; ++v) {
        double linear = std::pow(v / 255.0, power) * scale + offset;
        linear = std::min(std::max(linear, 0.0), 1.0);
        table[v] = ToLevel(255 * std::pow(std::pow(linear, 1 / gamma), 1 / power));
    }
    return table;
}

ExposureSettings ReadExposureSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    bytes.U16();  // the version
    ExposureSettings settings;
    settings.exposure = bytes.F32();
    settings.offset = bytes.F32();
    settings.gamma = bytes.F32();
    return settings;
}

std::unique_ptr<Adjustment> ReadExposure(const std::vector<uint8_t>& block, bool gray)
{
    return std::unique_ptr<Adjustment>(
        new TableAdjustment(SameTables(ExposureTable(ReadExposureSettings(block), gray))));
}

}  // namespace render
}  // namespace sdk
