// Reading a layer's effects block into the effects the renderer draws, and the document's
// global light they may follow.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "render/effects/LayerEffects.h"
#include "support/ErrorTag.h"
#include "support/PsdReader.h"

namespace {

using sdk::render::BlendMode;
using sdk::render::EffectKind;
using sdk::render::LayerEffect;
using sdk::render::LayerEffects;
using sdk::render::ReadLayerEffectsBlock;
using test_support::Bytes;
using test_support::DescriptorWriter;
using test_support::TagOf;

const char kDamaged[] = "ImageLoaderPSD::LayerBlock:480";

Bytes EffectsBlock(const DescriptorWriter& effects, uint32_t version = 0)
{
    return test_support::ByteWriter().U32(version).Append(effects.Versioned()).Data();
}

LayerEffects Read(const DescriptorWriter& effects, double angle = 90, double altitude = 30)
{
    return ReadLayerEffectsBlock(EffectsBlock(effects), angle, altitude);
}

DescriptorWriter Stroke(double width, const std::string& position = "OutF", bool on = true)
{
    return DescriptorWriter("FrFX")
        .Bool("enab", on)
        .Enum("Styl", "FStl", position)
        .Unit("Sz  ", "#Pxl", width);
}

// An outer glow whose contour has points (input, output), corners or smooth ones.
DescriptorWriter Glow(const std::vector<std::pair<double, double>>& points, bool corners = false)
{
    std::vector<DescriptorWriter> list;
    for (const auto& point : points)
        list.push_back(DescriptorWriter("CrPt")
                           .Double("Hrzn", point.first)
                           .Double("Vrtc", point.second)
                           .Bool("Cnty", !corners));
    return DescriptorWriter("OrGl").Object("TrnS", DescriptorWriter("ShpC").List("Crv ", list));
}

}  // namespace

TEST(LayerEffectsReading, ShadowFollowsTheGlobalLightAndKeepsItsStoredLengths)
{
    DescriptorWriter drop("DrSh");
    drop.Enum("Md  ", "BlnM", "Mltp").Unit("Opct", "#Prc", 35).Bool("uglg", true);
    drop.Unit("lagl", "#Ang", 120).Unit("Dstn", "#Pxl", 18).Unit("blur", "#Pxl", 41);
    drop.Unit("Ckmt", "#Pxl", 25);
    drop.Object("Clr ",
                DescriptorWriter("RGBC").Double("Rd  ", 0).Double("Grn ", 0).Double("Bl  ", 51));
    DescriptorWriter inner("IrSh");
    inner.Unit("lagl", "#Ang", 200).Enum("Md  ", "BlnM", "unknownMode");
    DescriptorWriter effects;
    effects.Unit("Scl ", "#Prc", 208.33).Object("DrSh", drop).Object("IrSh", inner);

    const LayerEffects read = Read(effects, 90);
    ASSERT_EQ(2u, read.effects.size());
    const LayerEffect& shadow = read.effects[0];
    EXPECT_EQ(BlendMode::Multiply, shadow.mode);
    EXPECT_FLOAT_EQ(0.35f, shadow.opacity);
    EXPECT_FLOAT_EQ(0.2f, shadow.colour[2]);
    EXPECT_DOUBLE_EQ(90, shadow.angle);
    // The scale is kept, not applied; the choke is a percentage whatever its unit says.
    EXPECT_NEAR(2.0833, read.scale, 1e-9);
    EXPECT_DOUBLE_EQ(18, shadow.distance);
    EXPECT_DOUBLE_EQ(41, shadow.size);
    EXPECT_DOUBLE_EQ(0.25, shadow.spread);
    EXPECT_DOUBLE_EQ(-160, read.effects[1].angle);
    EXPECT_EQ(BlendMode::Normal, read.effects[1].mode);
}

TEST(LayerEffectsReading, ListsReplaceTheirSingleKeyAndKeepTheirOrder)
{
    DescriptorWriter effects;
    effects.Object("FrFX", Stroke(9)).Object("SoFi", DescriptorWriter("SoFi"));
    effects.List("frameFXMulti", {Stroke(1), Stroke(2, "InsF", false),
                                  Stroke(3, "CtrF").Enum("PntT", "FrFl", "GrFl")});
    const LayerEffects read = Read(effects);
    ASSERT_EQ(3u, read.effects.size());
    EXPECT_EQ(EffectKind::ColourOverlay, read.effects[0].kind);
    EXPECT_DOUBLE_EQ(1, read.effects[1].size);
    EXPECT_DOUBLE_EQ(3, read.effects[2].size);
    EXPECT_EQ(LayerEffect::StrokePosition::Centre, read.effects[2].position);
    EXPECT_EQ(LayerEffect::Paint::Gradient, read.effects[2].paint);
    EXPECT_TRUE(read.effects[2].settings);
    // Beyond the ten of a kind the editor stacks, a list's effects are not kept.
    DescriptorWriter many;
    many.List("frameFXMulti", std::vector<DescriptorWriter>(12, Stroke(1)));
    EXPECT_EQ(10u, Read(many).effects.size());
}

TEST(LayerEffectsReading, MasterSwitchAndAbsentEffectsLeaveThemOut)
{
    DescriptorWriter off;
    off.Bool("masterFXSwitch", false).Object("FrFX", Stroke(1));
    EXPECT_TRUE(Read(off).present);
    EXPECT_TRUE(Read(off).effects.empty());
    DescriptorWriter unused;
    unused.Object("FrFX", Stroke(1).Bool("present", false))
        .Object("SoFi", DescriptorWriter("SoFi").Bool("enab", false));
    EXPECT_TRUE(Read(unused).effects.empty());
}

TEST(LayerEffectsReading, ReadingAllKeepsTheEffectsSwitchedOffMarkedAsSo)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    DescriptorWriter effects;
    effects.Bool("masterFXSwitch", true).Object("FrFX", Stroke(2, "InsF", false));
    effects.Object("SoFi", DescriptorWriter("SoFi").Bool("present", false));
    // A disabled effect that cannot be read is left out, as the drawing leaves it out.
    effects.List("dropShadowMulti",
                 {DescriptorWriter("DrSh").Bool("enab", false).Unit("Dstn", "#Pxl", nan),
                  DescriptorWriter("DrSh").Unit("Dstn", "#Pxl", 4)});
    const LayerEffects all =
        ReadLayerEffectsBlock(EffectsBlock(effects), 90, 30, sdk::render::EffectsRead::All);
    ASSERT_EQ(2u, all.effects.size());
    EXPECT_TRUE(all.on);
    EXPECT_EQ(EffectKind::Stroke, all.effects[0].kind);
    EXPECT_FALSE(all.effects[0].enabled);
    EXPECT_EQ(LayerEffect::StrokePosition::Inside, all.effects[0].position);
    EXPECT_TRUE(all.effects[1].enabled);
    EXPECT_DOUBLE_EQ(4, all.effects[1].distance);
    EXPECT_EQ(1u, Read(effects).effects.size());

    // Under a master switch that is off every effect is kept, each with its own switch.
    DescriptorWriter off;
    off.Bool("masterFXSwitch", false)
        .Object("FrFX", Stroke(1))
        .Object("ChFX", DescriptorWriter("ChFX").Bool("enab", false));
    const LayerEffects kept =
        ReadLayerEffectsBlock(EffectsBlock(off), 90, 30, sdk::render::EffectsRead::All);
    EXPECT_FALSE(kept.on);
    ASSERT_EQ(2u, kept.effects.size());
    EXPECT_TRUE(kept.effects[0].enabled);
    EXPECT_FALSE(kept.effects[1].enabled);
    EXPECT_FALSE(Read(off).on);
}

TEST(LayerEffectsReading, ContourIsSmoothThroughItsPointsAndStraightBetweenCorners)
{
    const std::vector<std::pair<double, double>> cone = {{0, 0}, {128, 255}, {255, 0}};
    DescriptorWriter effects;
    effects.Object("OrGl", Glow(cone)).Object("IrGl", Glow(cone, true));
    effects.Object("ChFX", DescriptorWriter("ChFX"));
    const LayerEffects read = Read(effects);
    ASSERT_EQ(3u, read.effects.size());
    const sdk::render::EffectContour& smooth = read.effects[0].contour;
    EXPECT_FALSE(smooth.linear);
    EXPECT_FLOAT_EQ(1, smooth.At(128 / 255.0f));
    EXPECT_NEAR(0.69f, smooth.At(64 / 255.0f), 0.01f);  // bulging above the straight line
    EXPECT_NEAR(0.5f, read.effects[1].contour.At(64 / 255.0f), 0.01f);
    EXPECT_NEAR(0.5f, read.effects[1].contour.At(191.5f / 255.0f), 0.01f);
    EXPECT_TRUE(read.effects[2].contour.linear);
    EXPECT_FLOAT_EQ(0.25f, read.effects[2].contour.At(0.25f));
}

TEST(LayerEffectsReading, BevelTakesTheGlobalAltitudeAndItsColoursOfAnyKind)
{
    DescriptorWriter bevel("ebbl");
    bevel.Enum("bvlS", "BESl", "Embs").Enum("bvlD", "BESs", "Out ").Bool("uglg", true);
    bevel.Unit("Lald", "#Ang", 70).Unit("srgR", "#Prc", 250).Unit("textureDepth", "#Prc", -200);
    bevel.Object(
        "hglC",
        DescriptorWriter("HSBC").Unit("H   ", "#Ang", 240).Double("Strt", 100).Double("Brgh", 100));
    bevel.Object("sdwC", DescriptorWriter("Grsc").Double("Gry ", 50));
    const LayerEffects read = Read(DescriptorWriter().Object("ebbl", bevel), 135, 45);
    ASSERT_EQ(1u, read.effects.size());
    const sdk::render::BevelSettings& settings = read.effects[0].bevel;
    EXPECT_EQ(sdk::render::BevelSettings::Style::Emboss, settings.style);
    EXPECT_FALSE(settings.up);
    EXPECT_DOUBLE_EQ(45, settings.altitude);
    EXPECT_DOUBLE_EQ(2.5, settings.depth);
    EXPECT_DOUBLE_EQ(-2, settings.textureDepth);
    EXPECT_FLOAT_EQ(1, settings.highlightColour[2]);
    EXPECT_FLOAT_EQ(0.5f, settings.shadowColour[0]);  // gray as a percentage of black
}

TEST(LayerEffectsReading, NumbersAreCutToTheirRanges)
{
    DescriptorWriter drop("DrSh");
    drop.Unit("blur", "#Pxl", 1e6).Unit("Dstn", "#Pxl", 1e9).Unit("Opct", "#Prc", 150);
    drop.Unit("Nose", "#Prc", -5);
    const LayerEffects read = Read(DescriptorWriter().Object("DrSh", drop));
    ASSERT_EQ(1u, read.effects.size());
    EXPECT_DOUBLE_EQ(250, read.effects[0].size);
    EXPECT_DOUBLE_EQ(30000, read.effects[0].distance);
    EXPECT_FLOAT_EQ(1, read.effects[0].opacity);
    EXPECT_DOUBLE_EQ(0, read.effects[0].noise);
}

TEST(LayerEffectsReading, DamagedBlocksAndNumbersThatAreNotRaiseTheTag)
{
    const DescriptorWriter fine = DescriptorWriter().Object("FrFX", Stroke(1));
    Bytes cut = EffectsBlock(fine);
    cut.resize(cut.size() - 6);
    EXPECT_EQ(kDamaged, TagOf([&] { ReadLayerEffectsBlock({0, 0}, 90, 30); }));
    EXPECT_EQ(kDamaged, TagOf([&] { ReadLayerEffectsBlock(EffectsBlock(fine, 1), 90, 30); }));
    EXPECT_EQ(kDamaged, TagOf([&] { ReadLayerEffectsBlock(cut, 90, 30); }));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(kDamaged, TagOf([&] { Read(DescriptorWriter().Object("FrFX", Stroke(nan))); }));
    EXPECT_EQ("no error",
              TagOf([&] { Read(DescriptorWriter().Object("FrFX", Stroke(nan, "OutF", false))); }));
    DescriptorWriter farLab("SoFi");  // finite, but no colour
    farLab.Object("Clr ", DescriptorWriter("LbCl").Double("Lmnc", 1e300));
    EXPECT_EQ(kDamaged, TagOf([&] { Read(DescriptorWriter().Object("SoFi", farLab)); }));
    const std::vector<std::pair<double, double>> many(257, {10, 10});
    EXPECT_EQ(kDamaged, TagOf([&] { Read(DescriptorWriter().Object("OrGl", Glow(many))); }));
}

TEST(LayerEffectsReading, LoaderReadsTheGlobalLightAndPrefersTheListBlock)
{
    DescriptorWriter drop("DrSh");
    drop.Bool("uglg", true).Unit("lagl", "#Ang", 30);
    test_support::PsdBuilder psd;
    psd.planes.assign(3, Bytes{0});
    psd.layers.assign(2, test_support::PsdLayer(0, 0, 1, 1));
    for (test_support::PsdLayer& layer : psd.layers) {
        for (int16_t id : {0, 1, 2})
            layer.Add(test_support::RawChannel(id, {0}));
    }
    psd.layers[0].additional = test_support::LayerBlock(
        "lfx2", EffectsBlock(DescriptorWriter().Object("FrFX", Stroke(1))));
    const Bytes listed = test_support::LayerBlock(
        "lmfx", EffectsBlock(DescriptorWriter().List("dropShadowMulti", {drop})));
    psd.layers[0].additional.insert(psd.layers[0].additional.end(), listed.begin(), listed.end());
    psd.resources = test_support::ImageResource(1037, {0xFF, 0xFF, 0xFF, 0x88});  // -120
    const Bytes altitude = test_support::ImageResource(1049, {0, 0, 0, 91});      // out of range
    psd.resources.insert(psd.resources.end(), altitude.begin(), altitude.end());

    test_support::PsdReader reader(psd.Build());
    EXPECT_DOUBLE_EQ(30, reader.psd.Format().globalAltitude);
    const LayerEffects read = sdk::render::ReadLayerEffects(reader.psd, 0);
    ASSERT_EQ(1u, read.effects.size());
    EXPECT_EQ(EffectKind::DropShadow, read.effects[0].kind);
    EXPECT_DOUBLE_EQ(-120, read.effects[0].angle);
    EXPECT_FALSE(sdk::render::ReadLayerEffects(reader.psd, 1).present);
}
