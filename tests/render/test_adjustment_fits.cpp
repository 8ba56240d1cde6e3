// Fitted adjustment formulas against pairs measured on the adjustments corpus
// (brightnesscontrast_rgb.psd, huesaturation_rgb.psd), within the margin each fit keeps.
#include <gtest/gtest.h>

#include <cstdlib>

#include "render/adjust/BrightnessContrast.h"
#include "render/adjust/HueSaturation.h"

using namespace sdk::render;

TEST(BrightnessContrastFit, KeepsBlackAndWhiteAndNeverFalls)
{
    for (int brightness : {-150, 0, 150})
        for (int contrast : {-50, 100}) {
            const ChannelTable table = BrightnessContrastTable(brightness, contrast);
            EXPECT_EQ(table[0], 0);
            EXPECT_EQ(table[255], 255);
            for (int v = 1; v < 256; ++v)
                ASSERT_GE(table[v], table[v - 1]) << brightness << "/" << contrast << " at " << v;
        }
}

TEST(BrightnessContrastFit, MatchesTheMergedImages)
{
    // brightness, contrast, margin, then input -> stored output.
    const int cases[][9] = {{-95, -50, 3, 50, 36, 150, 94, 240, 171},
                            {-31, 47, 6, 50, 31, 128, 99, 200, 181},
                            {23, 70, 5, 50, 41, 128, 157, 200, 235},
                            {150, -21, 10, 50, 128, 100, 215, 150, 245}};
    for (const auto& c : cases) {
        const ChannelTable table = BrightnessContrastTable(c[0], c[1]);
        for (int i = 3; i < 9; i += 2)
            EXPECT_LE(std::abs(table[c[i]] - c[i + 1]), c[2]) << c[0] << "/" << c[1] << " at " << c[i];
    }
}

TEST(HueSaturationFit, DarkeningKeepsSaturatedColoursSaturated)
{
    HueSaturationSettings settings;
    settings.master = {122, 100, -37};
    const HueSaturation adjustment(settings);
    const uint8_t pairs[][6] = {{0, 227, 61, 44, 0, 143}, {168, 135, 136, 2, 191, 0}};
    for (const auto& p : pairs) {
        uint8_t rgb[3] = {p[0], p[1], p[2]};
        adjustment.Pixel(rgb);
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(rgb[c] - p[3 + c]), 2) << "channel " << c;
    }
}
