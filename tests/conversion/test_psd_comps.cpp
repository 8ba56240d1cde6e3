// A document shown in one of its layer comps (--comp): the composed merged image, the layer PNGs
// and the manifest as the comp makes the layers; damaged comps said in notes while the outputs
// are written. (A name the document has no comp of: test_cli.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "graphic/ImageOperations.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using test_support::ByteWriter;
using test_support::DescriptorWriter;

namespace {

DescriptorWriter Overlay(double red, double green, double blue)
{
    return DescriptorWriter("SoFi")
        .Bool("enab", true)
        .Enum("Md  ", "BlnM", "Nrml")
        .Object(
            "Clr ",
            DescriptorWriter("RGBC").Double("Rd  ", red).Double("Grn ", green).Double("Bl  ", blue))
        .Unit("Opct", "#Prc", 100);
}

DescriptorWriter Style(const DescriptorWriter& overlay)
{
    return DescriptorWriter().Bool("masterFXSwitch", true).Object("SoFi", overlay);
}

DescriptorWriter Comp(const std::string& name, int32_t id, int32_t captured)
{
    return DescriptorWriter("Comp")
        .Text("Nm  ", name)
        .Long("compID", id)
        .Long("capturedInfo", captured);
}

// 4 x 2: one red pixel at 0, 0 under a green colour overlay, and what the comps make of it:
//   "Moved" (visibility and position): 2 right, 1 down;
//   "Hidden" (visibility): hidden;
//   "Faded" (appearance): at half opacity, without its style;
//   "Blue" (appearance): under a blue overlay instead.
Bytes Document(const Bytes& records, const Bytes& comps)
{
    test_support::PsdBuilder psd;
    psd.width = 4;
    psd.height = 2;
    psd.planes.assign(3, Bytes(8, 255));
    psd.resources = comps;
    test_support::PsdLayer layer(0, 0, 1, 1);
    layer.name = "dot";
    layer.Add(test_support::RawChannel(-1, {255}));
    for (int16_t id : {0, 1, 2})
        layer.Add(test_support::RawChannel(id, {static_cast<uint8_t>(id == 0 ? 255 : 0)}));
    const Bytes effects = ByteWriter().U32(0).Append(Style(Overlay(0, 255, 0)).Versioned()).Data();
    layer.additional = test_support::LayerBlock("lfx2", effects);
    const Bytes metadata = test_support::MetadataBlock({{"cmls", records}});
    layer.additional.insert(layer.additional.end(), metadata.begin(), metadata.end());
    psd.layers.push_back(layer);
    return psd.Build();
}

Bytes Records()
{
    const DescriptorWriter offset = DescriptorWriter("Pnt ").Double("Hrzn", 2).Double("Vrtc", 1);
    return DescriptorWriter()
        .List("layerSettings",
              {DescriptorWriter().Longs("compList", {1}).Bool("enab", true).Object("Ofst", offset),
               DescriptorWriter().Longs("compList", {2}).Bool("enab", false),
               DescriptorWriter()
                   .Longs("compList", {3})
                   .Object("blendOptions", DescriptorWriter().Unit("Opct", "#Prc", 50)),
               DescriptorWriter().Longs("compList", {4}).Object("Lefx", Style(Overlay(0, 0, 255)))})
        .Versioned();
}

Bytes Comps()
{
    const Bytes list =
        DescriptorWriter("CompList")
            .List("list", {Comp("Moved", 1, 3), Comp("Hidden", 2, 1),
                           Comp("Faded", 3, 4).Text("comment", "half"), Comp("Blue", 4, 4)})
            .Versioned();
    return test_support::ImageResource(1065, list);
}

class PsdComps : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.psdToPngMerged = option.psdToPngLayers = option.compose = true;
        option.pngOffset = option.manifest = true;
        option.separator = '_';
        option.serialNumber = true;
        recorder.context.remarks = &remarks;
    }
    void TearDown() override { option = cOption(); }

    bool Convert(const std::string& comp, const Bytes& document = Document(Records(), Comps()))
    {
        recorder.Reset();
        remarks = ConversionRemarks();
        option.comp = comp;
        WriteBytes(dir / "a.psd", document);
        return ConvertFile(recorder.context, dir / "a.psd");
    }
    // The composed merged image's pixel at x, y: alpha, blue, green, red.
    Bytes Merged(int32_t x, int32_t y)
    {
        const sdk::graphic::Image image = ReadImage(dir / "a.png");
        const uint8_t* pixel = sdk::graphic::Pixel(image, x, y);
        return Bytes(pixel, pixel + 4);
    }
    std::string Manifest()
    {
        test_support::ExpectManifestMatchesSchema(dir / "a.json");
        return test_support::ReadWholeFile(dir / "a.json");
    }

    test_support::TempDir dir;
    Recorder recorder;
    ConversionRemarks remarks;
};

}  // namespace

TEST_F(PsdComps, EachCompShowsTheLayerAsItRecordsIt)
{
    ASSERT_TRUE(Convert(""));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), Merged(0, 0));  // the document's own green overlay

    ASSERT_TRUE(Convert("Moved"));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), Merged(0, 0));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), Merged(2, 1));
    sdk::graphic::ImageInfo info;
    ReadImage(dir / "a_0000.png", &info);
    EXPECT_EQ(2, info.x);
    EXPECT_EQ(1, info.y);
    EXPECT_NE(std::string::npos, Manifest().find("\"rect\": {\"x\": 2, \"y\": 1, \"width\": 1, "
                                                 "\"height\": 1}"));

    option.skipHidden = true;
    std::filesystem::remove(dir / "a_0000.png");
    ASSERT_TRUE(Convert("Hidden"));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), Merged(0, 0));
    EXPECT_NE(std::string::npos, Manifest().find("\"visible\": false"));
    EXPECT_FALSE(test_support::Exists(dir / "a_0000.png"));  // the hidden layer left out
    option.skipHidden = false;

    ASSERT_TRUE(Convert("Faded"));  // half opacity, the style gone: red at half
    EXPECT_EQ(Bytes({128, 0, 0, 255}), Merged(0, 0));
    EXPECT_NE(std::string::npos, Manifest().find("\"opacity\": 128"));

    ASSERT_TRUE(Convert("Blue"));
    EXPECT_EQ(Bytes({255, 255, 0, 0}), Merged(0, 0));
    EXPECT_TRUE(remarks.notes.empty());
}

TEST_F(PsdComps, TheManifestListsTheCompsBeforeTheLayers)
{
    ASSERT_TRUE(Convert("Faded"));
    const std::string json = Manifest();
    EXPECT_NE(
        std::string::npos,
        json.find("  \"resolution\": null,\r\n  \"comps\": [\r\n    {\r\n      \"name\": \"Moved\",\r\n"
                  "      \"id\": 1,\r\n      \"visibility\": true,\r\n"
                  "      \"position\": true,\r\n      \"appearance\": false,\r\n"
                  "      \"applied\": false\r\n    },\r\n"))
        << json;
    EXPECT_NE(std::string::npos,
              json.find("\"appearance\": true,\r\n      \"comment\": \"half\",\r\n"
                        "      \"applied\": true\r\n    },\r\n"));
    EXPECT_LT(json.find("\"comps\""), json.find("\"layers\""));

    // None applied, and none at all.
    ASSERT_TRUE(Convert(""));
    EXPECT_EQ(std::string::npos, Manifest().find("\"applied\": true"));
    ASSERT_TRUE(Convert("", Document(Records(), Bytes())));
    EXPECT_NE(std::string::npos, Manifest().find("\"comps\": [],\r\n  \"layers\""));
}

TEST_F(PsdComps, DamagedCompsAreSaidAndTheOutputsWritten)
{
    // The list, of another descriptor version: the manifest lists no comps.
    Bytes list = Comps();
    list[15] = 15;  // after the resource's signature, id, name and length
    ASSERT_TRUE(Convert("", Document(Records(), list)));
    EXPECT_NE(std::string::npos, Manifest().find("\"comps\": [],"));
    ASSERT_EQ(1u, remarks.notes.size());
    EXPECT_EQ(
        "the document's list of layer comps is damaged (ImageLoaderPSD::LayerComps:710): "
        "the manifest lists none",
        remarks.notes[0]);

    // The layer's records cut short: the layer stays as the document keeps it.
    Bytes records = Records();
    records.resize(records.size() - 6);
    ASSERT_TRUE(Convert("Moved", Document(records, Comps())));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), Merged(0, 0));
    EXPECT_EQ(std::vector<std::string>(
                  {"layer 1 \"dot\": what the layer comps make of the layer is damaged "
                   "(ImageLoaderPSD::LayerComps:720); it is shown as the document keeps it"}),
              remarks.notes);
}
