#include "render/adjust/BrightnessContrast.h"

#include <algorithm>
#include <cmath>

#include "graphic/psd/PsdDescriptor.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

ChannelTable LegacyBrightnessContrastTable(int brightness, int contrast)
{
    const double b = std::min(std::max(brightness, -150), 150);
    const double c = std::min(std::max(contrast, -100), 100);
    ChannelTable table;
    for (int v = 0; v < 256; ++v) {
        double value;
        if (c > 0 && c < 100)
            value = (v + b - 127.5) * 100 / (100 - c) + 127.5;
        else if (c >= 100)
            value = v + b >= 127.5 ? 255 : 0;
        else
            value = (v - 127.5) * (100 + c) / 100 + 127.5 + b;
        table[v] = ToLevel(value);
    }
    return table;
}

ChannelTable BrightnessContrastTable(int brightness, int contrast)
{
    const double bend = std::exp(0.86 * std::min(std::max(brightness, -150), 150) / 100);
    const double s = 2.24 * std::min(std::max(contrast, -50), 100) / 100;
    ChannelTable table;
    double last = 0;
    for (int v = 0; v < 256; ++v) {
        const double x = 1 - std::pow(1 - v / 255.0, bend);
        // At the strongest contrast the S dips just below black near it; the curve never falls.
        last = std::max(last, x + s * x * (1 - x) * (x - 0.5));
        table[v] = ToLevel(last * 255);
    }
    return table;
}

BrightnessContrastSettings ReadBrightnessContrastSettings(const std::vector<uint8_t>& block,
                                                          const std::vector<uint8_t>& cgEd)
{
    SettingsBytes bytes(block);
    BrightnessContrastSettings settings;
    settings.brightness = bytes.S16();
    settings.contrast = bytes.S16();
    if (!cgEd.empty()) {
        size_t at = 0;
        const graphic::PsdDescriptorValue descriptor =
            graphic::ReadPsdVersionedDescriptor(cgEd.data(), cgEd.size(), at, kDamagedSettings);
        // Numbers beyond any setting are taken to the nearest end, NaN to the block's.
        auto whole = [&](const char* key, int fallback) {
            const double value = descriptor.Number(key, fallback);
            return static_cast<int>(std::lround(
                std::isnan(value) ? fallback : std::min(std::max(value, -1000.0), 1000.0)));
        };
        settings.brightness = whole("Brgh", settings.brightness);
        settings.contrast = whole("Cntr", settings.contrast);
        settings.legacy = descriptor.Bool("useLegacy", false);
    }
    return settings;
}

std::unique_ptr<Adjustment> MakeBrightnessContrast(const BrightnessContrastSettings& settings)
{
    const ChannelTable table =
        settings.legacy ? LegacyBrightnessContrastTable(settings.brightness, settings.contrast)
                        : BrightnessContrastTable(settings.brightness, settings.contrast);
    return std::unique_ptr<Adjustment>(new TableAdjustment(SameTables(table)));
}

}  // namespace render
}  // namespace sdk
