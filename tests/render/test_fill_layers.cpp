// Gradient and pattern fill layers that store no pixels, the gradient ramp they share with the
// gradient map, and the gradient map adjustment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/compose/ComposedRows.h"
#include "render/adjust/GradientMap.h"
#include "render/adjust/GradientRamp.h"
#include "render/PatternTile.h"
#include "support/IccProfiles.h"
#include "support/ErrorTag.h"
#include "support/PsdReader.h"

namespace {

using sdk::render::GradientRamp;
using test_support::Bytes;
using test_support::ByteWriter;
using test_support::DescriptorWriter;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::PsdReader;
using test_support::RawChannel;
using test_support::TagOf;

const char kDamaged[] = "ImageLoaderPSD::LayerBlock:480";

// A fill layer without a rectangle or pixels, drawn from its settings block.
PsdLayer FillLayer(const std::string& key, const Bytes& settings)
{
    PsdLayer fill(0, 0, 0, 0);
    for (int16_t id : {-1, 0, 1, 2})
        fill.Add(RawChannel(id, {}));
    fill.additional = test_support::LayerBlock(key, settings);
    return fill;
}

Bytes Document(int32_t width, const std::vector<PsdLayer>& layers, const Bytes& globalBlocks = {})
{
    PsdBuilder psd;
    psd.width = width;
    psd.planes.assign(3, Bytes(static_cast<size_t>(width), 0));
    psd.layers = layers;
    psd.globalBlocks = globalBlocks;
    return psd.Build();
}

// The composed row's red values, or its alpha values.
Bytes Composed(const Bytes& file, int channel = 3)
{
    PsdReader reader(file);
    sdk::render::ComposedRows rows(reader.psd);
    const uint8_t* row = rows.NextRow();
    Bytes values;
    for (int32_t x = 0; x < rows.Width(); ++x)
        values.push_back(row[x * 4 + channel]);
    return values;
}

DescriptorWriter ColourStop(double gray, int32_t location, int32_t midpoint = 50)
{
    DescriptorWriter colour("RGBC");
    colour.Double("Rd  ", gray).Double("Grn ", gray).Double("Bl  ", gray);
    DescriptorWriter stop("Clrt");
    stop.Object("Clr ", colour).Enum("Type", "Clry", "UsrS").Long("Lctn", location);
    return stop.Long("Mdpn", midpoint);
}

// Black to white, evenly (smoothness 0).
DescriptorWriter BlackToWhite(std::vector<DescriptorWriter> stops = {ColourStop(0, 0),
                                                                    ColourStop(255, 4096)})
{
    DescriptorWriter gradient("Grdn");
    gradient.Enum("GrdF", "GrdF", "CstS").Double("Intr", 0).List("Clrs", stops);
    return gradient;
}

// A gradient fill of style at angle 0 over the document (not aligned with the layer).
DescriptorWriter GradientSettings(const std::string& style, const DescriptorWriter& gradient)
{
    DescriptorWriter settings;
    settings.Unit("Angl", "#Ang", 0).Enum("Type", "GrdT", style).Object("Grad", gradient);
    return settings;
}

TEST(GradientRamp, MidpointPlacesTheEvenMixAndSmoothnessEasesTheEnds)
{
    GradientRamp ramp;
    ramp.colours.resize(2);
    ramp.colours[1].location = 4096;
    ramp.colours[1].midpoint = 25;
    std::fill(ramp.colours[1].rgb, ramp.colours[1].rgb + 3, 255.0f);
    ramp.smoothness = 0;
    ramp.Build();
    EXPECT_NEAR(0.5f, ramp.At(0.25f)[0], 0.002f);
    EXPECT_NEAR(0.75f, ramp.At(0.625f)[0], 0.002f);
    ramp.colours[1].midpoint = 50;
    ramp.smoothness = 4096;
    ramp.Build();
    EXPECT_NEAR(0.5f, ramp.At(0.5f)[0], 0.002f);
    EXPECT_NEAR(0.203f, ramp.At(0.25f)[0], 0.002f);  // half way to smoothstep's 0.156
    EXPECT_EQ(1.0f, ramp.At(0.25f)[3]);
}

TEST(GradientRamp, LinearMethodMixesLightAndTransparencyStopsGiveAlpha)
{
    GradientRamp ramp;
    ramp.colours.resize(2);
    ramp.colours[0].rgb[0] = 255;  // red to green
    ramp.colours[1].rgb[1] = 255;
    ramp.colours[1].location = 4096;
    ramp.opacities.resize(2);
    ramp.opacities[1].location = 4096;
    ramp.opacities[1].opacity = 0;
    ramp.smoothness = 0;
    ramp.Build();
    EXPECT_NEAR(0.5f, ramp.At(0.5f)[0], 0.002f);
    EXPECT_NEAR(0.5f, ramp.At(0.5f)[3], 0.002f);
    ramp.method = GradientRamp::Method::Linear;
    ramp.Build();
    EXPECT_NEAR(0.735f, ramp.At(0.5f)[0], 0.002f);
    EXPECT_NEAR(0.735f, ramp.At(0.5f)[1], 0.002f);
}

TEST(FillLayers, LinearGradientRunsAcrossTheDocumentAtItsAngle)
{
    DescriptorWriter settings = GradientSettings("Lnr ", BlackToWhite());
    settings.Bool("Algn", false);
    EXPECT_EQ(Bytes({0, 51, 102, 153, 204}),
              Composed(Document(5, {FillLayer("GdFl", settings.Versioned())})));
}

TEST(FillLayers, AlignedGradientSpansTheLayerMaskNotTheDocument)
{
    PsdLayer fill = FillLayer("GdFl", GradientSettings("Lnr ", BlackToWhite()).Versioned());
    ByteWriter mask;  // columns 2 .. 5
    mask.I32(0).I32(2).I32(1).I32(6).U8(0).U8(0).U16(0);
    fill.mask = mask.Data();
    fill.Add(RawChannel(-2, {255, 255, 255, 255}));
    const Bytes file = Document(6, {fill});
    EXPECT_EQ(Bytes({0, 0, 255, 255, 255, 255}), Composed(file, 0));
    const Bytes red = Composed(file);
    EXPECT_EQ(0, red[2]);
    EXPECT_EQ(64, red[3]);
    EXPECT_NEAR(128, red[4], 1);
    EXPECT_EQ(191, red[5]);
}

TEST(FillLayers, ReversedReflectedGradientMirrorsAboutTheCentre)
{
    DescriptorWriter settings = GradientSettings("Rflc", BlackToWhite());
    settings.Bool("Algn", false).Bool("Rvrs", true);
    EXPECT_EQ(Bytes({0, 102, 204, 204, 102}),
              Composed(Document(5, {FillLayer("GdFl", settings.Versioned())})));
}

// A document of four columns with a pattern fill of the 2 x 1 pattern red, blue.
Bytes PatternDocument(const std::string& wanted, const Bytes& pattern)
{
    DescriptorWriter name("Ptrn");
    name.Text("Nm  ", "two").Text("Idnt", wanted);
    DescriptorWriter phase("Pnt ");
    phase.Double("Hrzn", 1).Double("Vrtc", 0);
    DescriptorWriter settings;
    settings.Object("Ptrn", name).Object("phase", phase);
    return Document(4, {FillLayer("PtFl", settings.Versioned())},
                    test_support::LayerBlock("Patt", pattern));
}

const Bytes kRedBlue =
    test_support::PatternRecord("p-1", 2, 1, {{255, 0}, {0, 0}, {0, 255}});

TEST(FillLayers, PatternIsFoundByItsIdentifierAndTiledFromItsPhase)
{
    const Bytes file = PatternDocument("p-1", kRedBlue);
    EXPECT_EQ(Bytes({0, 255, 0, 255}), Composed(file));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), Composed(file, 1));  // blue
}

TEST(FillLayers, CmykPatternsTakeTheDocumentsInkConversion)
{
    // Full cyan, stored as inverted ink: the formula gives red 0; the test profile keeps half.
    const Bytes record =
        test_support::PatternRecord("p-c", 1, 1, {{0}, {255}, {255}, {255}}, {}, 4);
    const std::vector<uint8_t> data(record.begin() + 4, record.end());
    EXPECT_EQ(sdk::render::DecodePatternTile(data)->rgba, Bytes({0, 255, 255, 255}));
    std::string problem;
    const auto profile = sdk::graphic::ReadIccProfile(test_support::InkProfile(), problem);
    ASSERT_TRUE(profile) << problem;
    const auto ink = sdk::graphic::TransformToSrgb(*profile, sdk::graphic::ColorLayout::Ink,
                                                   sdk::graphic::ColorLayout::Bgr, problem);
    ASSERT_TRUE(ink) << problem;
    EXPECT_NEAR(sdk::render::DecodePatternTile(data, ink.get())->rgba[0], 128, 3);
}

TEST(FillLayers, NoiseGradientAndMissingPatternDrawNothing)
{
    DescriptorWriter noise("Grdn");
    noise.Enum("GrdF", "GrdF", "ClNs");
    const Bytes none(4, 0);
    EXPECT_EQ(none, Composed(Document(4, {FillLayer("GdFl", GradientSettings("Lnr ", noise)
                                                                  .Versioned())}),
                             0));
    EXPECT_EQ(none, Composed(PatternDocument("other", kRedBlue), 0));
}

TEST(FillLayers, DamagedSettingsAndPatternsAreRefusedBeforeAnythingIsSized)
{
    // A gradient without colour stops.
    const Bytes noStops = GradientSettings("Lnr ", BlackToWhite({})).Versioned();
    EXPECT_EQ(kDamaged, TagOf([&] { Composed(Document(4, {FillLayer("GdFl", noStops)})); }));
    // A pattern of 60000 x 60000 pixels whose channels hold 2 bytes each.
    const Bytes huge = test_support::PatternRecord("p-1", 60000, 60000, {{1, 2}, {1, 2}, {1, 2}});
    EXPECT_EQ(kDamaged, TagOf([&] { Composed(PatternDocument("p-1", huge)); }));
    // A pattern block whose pattern runs past it.
    Bytes cut = kRedBlue;
    cut[3] += 8;
    EXPECT_EQ(kDamaged, TagOf([&] { Composed(PatternDocument("p-1", cut)); }));
}

// A gradient map block of version 1: black to white in RGB, no transparency stops.
Bytes GradientMapBlock(bool reverse, uint16_t colourStops = 2)
{
    ByteWriter block;
    block.U16(1).U8(reverse ? 1 : 0).U8(0).U32(0).U16(colourStops);
    for (uint32_t white : {0u, 1u})
        block.U32(white * 4096).U32(50).U16(0).U16(white * 65535).U16(white * 65535)
            .U16(white * 65535).U16(0).U16(0);
    block.U16(0).U16(2).U16(0).U16(32).U16(0);  // stops, expansion, smoothness, length, form
    block.U32(0).U16(0).U16(0).U32(0).U16(0).Zeros(18);
    return block.Data();
}

TEST(GradientMap, LuminancePicksTheColourAndReverseTurnsTheGradientAround)
{
    uint8_t pixels[6] = {255, 255, 255, 0, 0, 255};  // white, blue (luminance 28)
    sdk::render::ReadGradientMap(GradientMapBlock(false), false)->Apply(pixels, 2);
    EXPECT_EQ(255, pixels[0]);
    EXPECT_EQ(28, pixels[3]);
    sdk::render::ReadGradientMap(GradientMapBlock(true), false)->Apply(pixels, 2);
    EXPECT_EQ(0, pixels[0]);
    EXPECT_EQ(227, pixels[3]);
    EXPECT_EQ(kDamaged, TagOf([] { sdk::render::ReadGradientMap(GradientMapBlock(false, 60), false); }));
}

}  // namespace
