// The settings the layer manifest lists after a node's file: an adjustment layer's adjustment, a
// fill's colour, gradient or pattern, and the layer's effects, disabled ones too; null with a
// note for settings that cannot be read. And the numbers the manifest writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/JsonText.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using test_support::ByteWriter;
using test_support::DescriptorWriter;
using test_support::LayerBlock;
using test_support::operator+;

namespace {

class ManifestSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.manifest = true;
        recorder.context.remarks = &remarks;
    }
    void TearDown() override { option = cOption(); }

    // The manifest of a 2 x 2 document whose one layer holds blocks.
    std::string Manifest(const Bytes& blocks, int32_t width = 1)
    {
        remarks = ConversionRemarks();
        WriteBytes(dir / "a.psd",
                   RgbaDocument(2, 2, {{"Layer", 0, 0, width, 1, "norm", 0, blocks}}));
        EXPECT_TRUE(ConvertFile(recorder.context, dir / "a.psd"));
        test_support::ExpectManifestMatchesSchema(dir / "a.json");
        return test_support::ReadWholeFile(dir / "a.json");
    }

    test_support::TempDir dir;
    Recorder recorder;
    ConversionRemarks remarks;
};

// How far text lies into json, for the order of members; npos when it is not there.
size_t At(const std::string& json, const std::string& text)
{
    return json.find(text);
}

DescriptorWriter Rgb(double red, double green, double blue)
{
    return DescriptorWriter("RGBC").Double("Rd  ", red).Double("Grn ", green).Double("Bl  ", blue);
}

Bytes LevelsBlock()
{
    ByteWriter block;
    block.U16(2);
    block.U16(10).U16(240).U16(5).U16(250).U16(150);  // the master
    for (int channel = 0; channel < 3; ++channel)
        block.U16(0).U16(channel == 1 ? 200 : 255).U16(0).U16(255).U16(100);
    return block.Data();
}

}  // namespace

TEST_F(ManifestSettings, AnAdjustmentLayerListsItsKindAndTheValuesTheRendererReads)
{
    const std::string json = Manifest(LayerBlock("levl", LevelsBlock()), 0);
    EXPECT_NE(At(json, "\"kind\": \"adjustment\""), std::string::npos);
    EXPECT_LT(At(json, "\"file\": null"), At(json, "\"adjustment\": {\r\n"));
    EXPECT_NE(At(json, "\"kind\": \"levels\""), std::string::npos) << json;
    EXPECT_NE(At(json,
                 "\"master\": {\"inputBlack\": 10, \"inputWhite\": 240, \"gamma\": 1.5, "
                 "\"outputBlack\": 5, \"outputWhite\": 250}"),
              std::string::npos);
    EXPECT_NE(At(json, "\"green\": {\"inputBlack\": 0, \"inputWhite\": 200, \"gamma\": 1,"),
              std::string::npos);
    EXPECT_EQ(At(json, "\"fill\""), std::string::npos);
    EXPECT_EQ(At(json, "\"effects\""), std::string::npos);

    // Single-precision settings come out as the user typed them.
    ByteWriter exposure;
    exposure.U16(1);
    for (const float value : {1.5f, -0.02f, 0.3f}) {
        uint32_t bits = 0;
        memcpy(&bits, &value, 4);
        exposure.U32(bits);
    }
    EXPECT_NE(At(Manifest(LayerBlock("expA", exposure.Data()), 0),
                 "\"exposure\": 1.5,\r\n        \"offset\": -0.02,\r\n        \"gamma\": 0.3\r\n"),
              std::string::npos);
}

TEST_F(ManifestSettings, AColourFillGivesItsColour)
{
    const Bytes soco = DescriptorWriter().Object("Clr ", Rgb(10, 200, 30)).Versioned();
    const std::string json = Manifest(LayerBlock("SoCo", soco), 0);
    EXPECT_NE(At(json, "\"kind\": \"fill\""), std::string::npos);
    EXPECT_NE(At(json,
                 "\"fill\": {\r\n        \"type\": \"color\",\r\n"
                 "        \"color\": [10, 200, 30]\r\n      }"),
              std::string::npos)
        << json;
}

TEST_F(ManifestSettings, AGradientFillGivesItsGeometryAndStopsInOrder)
{
    auto stop = [](int32_t location, int32_t midpoint, double red) {
        return DescriptorWriter("Clrt")
            .Object("Clr ", Rgb(red, 0, 0))
            .Long("Lctn", location)
            .Long("Mdpn", midpoint);
    };
    auto opacity = [](int32_t location, double percent) {
        return DescriptorWriter("TrnS")
            .Unit("Opct", "#Prc", percent)
            .Long("Lctn", location)
            .Long("Mdpn", 50);
    };
    DescriptorWriter gradient("Grdn");
    gradient.Enum("GrdF", "GrdF", "CstS").Double("Intr", 2048);
    gradient.List("Clrs", {stop(4096, 50, 255), stop(1024, 25, 64)});
    gradient.List("Trns", {opacity(0, 100), opacity(4096, 30)});
    DescriptorWriter settings;
    settings.Unit("Angl", "#Ang", 30).Enum("Type", "GrdT", "Rdl ").Unit("Scl ", "#Prc", 80);
    settings.Bool("Rvrs", true).Object("Grad", gradient);
    const std::string json = Manifest(LayerBlock("GdFl", settings.Versioned()), 0);
    EXPECT_NE(At(json,
                 "\"type\": \"gradient\",\r\n        \"style\": \"radial\",\r\n"
                 "        \"angle\": 30,\r\n        \"scale\": 80,\r\n"
                 "        \"offset\": {\"x\": 0, \"y\": 0},\r\n        \"reverse\": true,"),
              std::string::npos)
        << json;
    EXPECT_NE(At(json, "\"smoothness\": 50,"), std::string::npos);
    // The stops by their locations, in percent of the gradient.
    const size_t first = At(json, "{\"location\": 25, \"midpoint\": 25, \"color\": [64, 0, 0]}");
    const size_t second = At(json, "{\"location\": 100, \"midpoint\": 50, \"color\": [255, 0, 0]}");
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_NE(At(json, "{\"location\": 100, \"midpoint\": 50, \"opacity\": 30}"),
              std::string::npos);
}

TEST_F(ManifestSettings, APatternFillNamesItsPattern)
{
    DescriptorWriter settings;
    settings.Object("Ptrn", DescriptorWriter("Ptrn").Text("Nm  ", "Dots").Text("Idnt", "id-7"));
    settings.Unit("Scl ", "#Prc", 50);
    settings.Object("phase", DescriptorWriter("Pnt ").Double("Hrzn", 3).Double("Vrtc", -4.25));
    const std::string json = Manifest(LayerBlock("PtFl", settings.Versioned()), 0);
    EXPECT_NE(At(json,
                 "\"type\": \"pattern\",\r\n        \"id\": \"id-7\",\r\n"
                 "        \"name\": \"Dots\",\r\n        \"scale\": 50,\r\n"
                 "        \"phase\": {\"x\": 3, \"y\": -4.25}\r\n"),
              std::string::npos)
        << json;
}

TEST_F(ManifestSettings, EffectsAreListedInTheirOrderWithTheDisabledOnesAndTheMasterSwitch)
{
    auto effects = [](bool on) {
        DescriptorWriter shadow("DrSh");
        shadow.Bool("enab", true).Enum("Md  ", "BlnM", "Mltp").Unit("Opct", "#Prc", 35);
        shadow.Bool("uglg", false).Unit("lagl", "#Ang", 120).Unit("Dstn", "#Pxl", 18);
        shadow.Unit("blur", "#Pxl", 5).Unit("Ckmt", "#Pxl", 25).Object("Clr ", Rgb(0, 0, 51));
        DescriptorWriter stroke("FrFX");
        stroke.Bool("enab", false).Enum("Styl", "FStl", "InsF").Unit("Sz  ", "#Pxl", 3);
        stroke.Enum("PntT", "FrFl", "SClr").Object("Clr ", Rgb(255, 255, 255));
        // Kept by the editor for a kind the style does not use: not listed.
        DescriptorWriter glow("OrGl");
        glow.Bool("enab", false).Bool("present", false);
        DescriptorWriter block;
        block.Unit("Scl ", "#Prc", 100).Bool("masterFXSwitch", on);
        block.Object("DrSh", shadow).Object("FrFX", stroke).Object("OrGl", glow);
        return LayerBlock("lfx2", ByteWriter().U32(0).Append(block.Versioned()).Data());
    };
    const std::string json = Manifest(effects(true));
    EXPECT_NE(At(json, "\"effectsEnabled\": true,\r\n      \"effects\": [\r\n"), std::string::npos)
        << json;
    const size_t shadow = At(json, "\"kind\": \"dropShadow\",\r\n          \"enabled\": true,");
    const size_t stroke = At(json, "\"kind\": \"stroke\",\r\n          \"enabled\": false,");
    ASSERT_NE(shadow, std::string::npos);
    EXPECT_LT(shadow, stroke);
    EXPECT_NE(At(json,
                 "\"blendMode\": {\"key\": \"mul \", \"name\": \"multiply\"},\r\n"
                 "          \"opacity\": 35,\r\n          \"color\": [0, 0, 51],\r\n"
                 "          \"angle\": 120,\r\n          \"distance\": 18,\r\n"
                 "          \"size\": 5,\r\n          \"spread\": 25,"),
              std::string::npos);
    EXPECT_NE(At(json, "\"position\": \"inside\",\r\n          \"size\": 3\r\n"),
              std::string::npos);
    EXPECT_EQ(At(json, "outerGlow"), std::string::npos);

    // Switched off as a whole, the effects are listed all the same.
    const std::string off = Manifest(effects(false));
    EXPECT_NE(At(off, "\"effectsEnabled\": false,"), std::string::npos);
    EXPECT_NE(At(off, "\"kind\": \"dropShadow\",\r\n          \"enabled\": true,"),
              std::string::npos);
}

TEST_F(ManifestSettings, SettingsThatCannotBeReadAreNullWithANoteAndTheOutputsStay)
{
    option.psdToPngLayers = true;
    const Bytes effects = ByteWriter().U32(7).Append(DescriptorWriter().Versioned()).Data();
    const std::string json = Manifest(LayerBlock("levl", {0, 2, 0}) + LayerBlock("lfx2", effects) +
                                      LayerBlock("SoCo", {0, 0, 0, 16}));
    EXPECT_NE(At(json, "\"adjustment\": null,\r\n"), std::string::npos) << json;
    EXPECT_NE(At(json, "\"effects\": null\r\n"), std::string::npos);
    // The colour of a layer of another kind is not looked for.
    EXPECT_EQ(At(json, "\"fill\""), std::string::npos);
    EXPECT_EQ(At(json, "\"effectsEnabled\""), std::string::npos);
    EXPECT_NE(At(json, "\"file\": \"a/Layer.png\""), std::string::npos);
    ASSERT_EQ(remarks.notes.size(), 1u);
    EXPECT_EQ(remarks.notes[0],
              "the manifest gives null for settings that cannot be read: "
              "layer 1 \"Layer\": adjustment, effects");

    // A fill layer whose colour cannot be read.
    option.psdToPngLayers = false;
    const std::string fill = Manifest(LayerBlock("SoCo", {0, 0, 0, 16}), 0);
    EXPECT_NE(At(fill, "\"fill\": null\r\n"), std::string::npos) << fill;
    ASSERT_EQ(remarks.notes.size(), 1u);
    EXPECT_NE(remarks.notes[0].find("\"Layer\": fill"), std::string::npos);
}

TEST(JsonText, RealNumbersAreShortAndAlwaysValid)
{
    JsonText json;
    json.BeginArray(true);
    for (const double value : {0.1 + 0.2, 12.0, -2.5, -0.00001, 1234.56789, 1e300})
        json.Real(value);
    json.Real(2.0 / 3, 2);
    json.Real(std::nan(""));
    json.Real(-std::numeric_limits<double>::infinity());
    json.EndArray();
    EXPECT_EQ(json.Value(), "[0.3, 12, -2.5, 0, 1234.5679, 1e+300, 0.67, null, null]");
}
