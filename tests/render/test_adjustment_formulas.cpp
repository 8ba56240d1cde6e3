// The adjustment layers' formulas on built values, at their edges, with the values the editor's
// own merged images show where the corpus measured them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/adjust/BlackWhite.h"
#include "render/adjust/BrightnessContrast.h"
#include "render/adjust/ChannelMixer.h"
#include "render/adjust/ColorBalance.h"
#include "render/adjust/ColorLookup.h"
#include "render/adjust/Curves.h"
#include "render/adjust/Exposure.h"
#include "render/adjust/HueSaturation.h"
#include "render/adjust/Invert.h"
#include "render/adjust/Levels.h"
#include "render/adjust/PhotoFilter.h"
#include "render/adjust/Posterize.h"
#include "render/adjust/SelectiveColor.h"
#include "render/adjust/SettingsBytes.h"
#include "render/adjust/Threshold.h"
#include "render/adjust/Vibrance.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"

namespace {

using namespace sdk::render;
using test_support::Bytes;
using test_support::ByteWriter;

struct Pixel {
    uint8_t r, g, b;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << int(p.r) << "," << int(p.g) << "," << int(p.b);
}

Pixel Applied(const Adjustment& adjustment, Pixel pixel)
{
    uint8_t rgb[3] = {pixel.r, pixel.g, pixel.b};
    adjustment.Apply(rgb, 1);
    return Pixel{rgb[0], rgb[1], rgb[2]};
}

TEST(AdjustmentFormula, LevelsStretchesItsInputRangeThroughItsGamma)
{
    LevelsRecord record;
    record.inputFloor = 20;
    record.inputCeiling = 200;
    record.outputFloor = 10;
    record.outputCeiling = 240;
    record.gamma = 2.0;
    const ChannelTable table = LevelsTable(record);
    EXPECT_EQ(10, table[0]);
    EXPECT_EQ(10, table[20]);
    EXPECT_EQ(240, table[200]);
    EXPECT_EQ(240, table[255]);
    EXPECT_EQ(173, table[110]);  // sqrt(0.5) x 230 + 10

    // The channel's own record first, then the master's: red inverted, then the master halves.
    ByteWriter block;
    block.U16(2);
    block.U16(0).U16(255).U16(0).U16(128).U16(100);  // master
    block.U16(0).U16(255).U16(255).U16(0).U16(100);  // red: inverted
    for (int i = 0; i < 27; ++i)
        block.U16(0).U16(255).U16(0).U16(255).U16(100);
    EXPECT_EQ((Pixel{128, 0, 128}), Applied(*ReadLevels(block.Data(), false), Pixel{0, 0, 255}));
}

TEST(AdjustmentFormula, CurvesIsANaturalSplineFlatBeyondItsEnds)
{
    EXPECT_EQ(IdentityTable(), CurveTable({{0, 0}, {255, 255}}));
    const ChannelTable table = CurveTable({{64, 32}, {128, 160}, {192, 192}});
    EXPECT_EQ(32, table[0]);
    EXPECT_EQ(32, table[64]);
    EXPECT_EQ(160, table[128]);
    EXPECT_EQ(192, table[255]);
    // Natural ends: the curve rises steeply into the middle point and bends over after it, above
    // the straight lines between the points (96 and 176 there).
    EXPECT_GT(table[96], 96);
    EXPECT_GT(table[160], 176);

    // The "Crv " extension wins over the older list.
    ByteWriter block;
    block.U8(0).U16(1).U32(1);  // curves, version 1, the master curve only
    block.U16(2).U16(0).U16(0).U16(255).U16(255);
    block.Text("Crv ").U16(4).U32(1).U16(0).U16(2).U16(255).U16(0).U16(0).U16(255);
    EXPECT_EQ((Pixel{255, 155, 0}), Applied(*ReadCurves(block.Data(), false), Pixel{0, 100, 255}));
}

TEST(AdjustmentFormula, LegacyBrightnessContrastIsLinearAboutTheMiddle)
{
    const ChannelTable flat = LegacyBrightnessContrastTable(0, -100);
    EXPECT_EQ(128, flat[0]);
    EXPECT_EQ(128, flat[255]);
    const ChannelTable brighter = LegacyBrightnessContrastTable(20, 0);
    EXPECT_EQ(20, brighter[0]);
    EXPECT_EQ(255, brighter[250]);
    const ChannelTable steep = LegacyBrightnessContrastTable(0, 50);
    EXPECT_EQ(0, steep[60]);
    EXPECT_EQ(129, steep[128]);  // (128 - 127.5) x 2 + 127.5, rounded half up
    EXPECT_EQ(255, steep[200]);
    const ChannelTable threshold = LegacyBrightnessContrastTable(0, 100);
    EXPECT_EQ(0, threshold[127]);
    EXPECT_EQ(255, threshold[128]);
}

TEST(AdjustmentFormula, ExposureWorksInAPowerSpace)
{
    ExposureSettings settings;
    EXPECT_EQ(IdentityTable(), ExposureTable(settings, false));
    settings.exposure = 1;
    const ChannelTable rgb = ExposureTable(settings, false);
    EXPECT_EQ(175, rgb[128]);  // 128 x 2^(1 / 2.2)
    EXPECT_EQ(255, rgb[200]);
    EXPECT_EQ(190, ExposureTable(settings, true)[128]);  // 128 x 2^(1 / 1.75)
    settings = ExposureSettings();
    settings.offset = -0.5;
    EXPECT_EQ(0, ExposureTable(settings, false)[186]);
}

TEST(AdjustmentFormula, PosterizeThresholdAndInvert)
{
    const ChannelTable four = PosterizeTable(4);
    EXPECT_EQ(0, four[63]);
    EXPECT_EQ(85, four[64]);
    EXPECT_EQ(170, four[191]);
    EXPECT_EQ(255, four[192]);
    EXPECT_EQ(PosterizeTable(2), PosterizeTable(0));  // levels below two are two

    // Y = 0.30 x 100 + 0.59 x 150 + 0.11 x 200 = 140.5, rounded up.
    const uint8_t pixel[3] = {100, 150, 200};
    EXPECT_EQ(141, Threshold::Luminance(pixel));
    EXPECT_EQ((Pixel{255, 255, 255}), Applied(Threshold(141), Pixel{100, 150, 200}));
    EXPECT_EQ((Pixel{0, 0, 0}), Applied(Threshold(142), Pixel{100, 150, 200}));

    EXPECT_EQ(255, InvertTable()[0]);
    EXPECT_EQ(0, InvertTable()[255]);
}

TEST(AdjustmentFormula, HueSaturationTurnsHueAndColorizes)
{
    HueSaturationSettings turn;
    turn.master.hue = 120;
    EXPECT_EQ((Pixel{0, 255, 0}), Applied(HueSaturation(turn), Pixel{255, 0, 0}));
    EXPECT_EQ((Pixel{90, 90, 90}), Applied(HueSaturation(turn), Pixel{90, 90, 90}));

    HueSaturationSettings gray;
    gray.master.saturation = -100;
    EXPECT_EQ((Pixel{128, 128, 128}), Applied(HueSaturation(gray), Pixel{255, 0, 0}));

    HueSaturationSettings colorize;
    colorize.colorize = true;
    colorize.colorization.hue = 240;
    colorize.colorization.saturation = 100;
    // Lightness 0.5 kept: pure blue.
    EXPECT_EQ((Pixel{0, 0, 255}), Applied(HueSaturation(colorize), Pixel{255, 0, 0}));
}

TEST(AdjustmentFormula, ChannelMixerSumsWeightsAndConstant)
{
    ChannelMixerSettings swap;
    swap.weights[0][0] = 0;
    swap.weights[0][2] = 100;  // red takes blue
    swap.constant[1] = 50;      // green gains half of full scale
    EXPECT_EQ((Pixel{200, 138, 200}), Applied(ChannelMixer(swap), Pixel{10, 10, 200}));
    ChannelMixerSettings mono;
    mono.monochrome = true;
    mono.weights[0][0] = 50;
    mono.weights[0][1] = 50;
    EXPECT_EQ((Pixel{100, 100, 100}), Applied(ChannelMixer(mono), Pixel{100, 100, 0}));
}

TEST(AdjustmentFormula, ColorBalanceAndPhotoFilterKeepTheirNeutralCases)
{
    ColorBalanceSettings none;
    EXPECT_EQ((Pixel{30, 120, 220}), Applied(ColorBalance(none), Pixel{30, 120, 220}));
    ColorBalanceSettings redder;
    redder.shifts[1][0] = 100;  // midtones toward red
    redder.preserveLuminosity = false;
    const Pixel mid = Applied(ColorBalance(redder), Pixel{128, 128, 128});
    EXPECT_GT(mid.r, 200);
    EXPECT_EQ(128, mid.g);
    // Highlights are not midtones: white stays white.
    EXPECT_EQ((Pixel{255, 255, 255}), Applied(ColorBalance(redder), Pixel{255, 255, 255}));

    PhotoFilterSettings clear;
    clear.density = 0;
    EXPECT_EQ((Pixel{30, 120, 220}), Applied(PhotoFilter(clear), Pixel{30, 120, 220}));
    PhotoFilterSettings red;
    red.colour = Rgb{255, 0, 0};
    red.density = 100;
    red.preserveLuminosity = false;
    EXPECT_EQ((Pixel{200, 0, 0}), Applied(PhotoFilter(red), Pixel{200, 200, 200}));
    EXPECT_EQ((Pixel{0, 0, 0}), Applied(PhotoFilter(red), Pixel{0, 0, 0}));
}

TEST(AdjustmentFormula, SelectiveColorChangesOnlyItsFamilies)
{
    SelectiveColorSettings settings;
    settings.plates[0][0] = 100;  // reds: more cyan ink
    settings.absolute = true;
    // Red loses red to the cyan ink; a neutral gray has no red family in it.
    EXPECT_EQ((Pixel{0, 0, 0}), Applied(SelectiveColor(settings), Pixel{255, 0, 0}));
    EXPECT_EQ((Pixel{128, 128, 128}), Applied(SelectiveColor(settings), Pixel{128, 128, 128}));
}

TEST(AdjustmentFormula, VibranceAndBlackWhite)
{
    EXPECT_EQ((Pixel{77, 77, 77}), Applied(Vibrance(100, 0), Pixel{77, 77, 77}));
    EXPECT_EQ((Pixel{128, 128, 128}), Applied(Vibrance(0, -100), Pixel{255, 0, 0}));

    // The default weights: red 40 %, yellow 60 %.
    BlackWhiteSettings settings;
    EXPECT_EQ((Pixel{102, 102, 102}), Applied(BlackWhite(settings), Pixel{255, 0, 0}));
    EXPECT_EQ((Pixel{153, 153, 153}), Applied(BlackWhite(settings), Pixel{255, 255, 0}));
    EXPECT_EQ((Pixel{60, 60, 60}), Applied(BlackWhite(settings), Pixel{60, 60, 60}));
}

TEST(AdjustmentFormula, ColorLookupReadsCubeAnd3dlTables)
{
    // A 2-entry table that swaps red and blue, red's index changing fastest.
    const std::string cube =
        "TITLE \"swap\"\nLUT_3D_SIZE 2\n"
        "0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n";
    EXPECT_EQ((Pixel{200, 50, 10}), Applied(*ParseCubeTable(cube), Pixel{10, 50, 200}));
    // The same in .3dl order (blue's index fastest), 10-bit.
    const std::string dl = "0 1023\n0 0 0\n1023 0 0\n0 1023 0\n1023 1023 0\n"
                           "0 0 1023\n1023 0 1023\n0 1023 1023\n1023 1023 1023\n";
    EXPECT_EQ((Pixel{200, 50, 10}), Applied(*Parse3dlTable(dl), Pixel{10, 50, 200}));
    // Tables the text does not hold whole are refused, whatever size they declare.
    EXPECT_EQ(nullptr, ParseCubeTable("LUT_3D_SIZE 2\n0 0 0\n"));
    EXPECT_EQ(nullptr, ParseCubeTable("LUT_3D_SIZE 256\n0 0 0\n"));
    EXPECT_EQ(nullptr, Parse3dlTable("0 1023\n0 0 0\n"));
}

TEST(AdjustmentFormula, ShortSettingsRaiseTheirTag)
{
    EXPECT_EQ(kDamagedSettings, test_support::TagOf([] { ReadLevels({0, 2, 0}, false); }));
    EXPECT_EQ(kDamagedSettings, test_support::TagOf([] {
                  ReadCurves({0, 0, 1, 0, 0, 0, 1, 0, 19}, false);  // 19 points, no bytes
              }));
    EXPECT_EQ(kDamagedSettings, test_support::TagOf([] { ReadExposure({0, 1, 0}, false); }));
    EXPECT_EQ(kDamagedSettings, test_support::TagOf([] { ReadVibrance({0, 0, 0, 16, 0}); }));
}

}  // namespace
