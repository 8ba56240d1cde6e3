// The text of type layers in the layer manifest and in the layer report: read from their type
// blocks, null with a note for a damaged block, and in the report only in the command-line
// tool's own mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "support/ManifestSchema.h"
#include "support/TypeBlock.h"

using namespace conversion_test;

namespace {

// A type block of two paragraphs, "Hello" and "World", at twice the size.
Bytes GoodText()
{
    test_support::EngineText engine;
    engine.text = u"Hello\rWorld";
    engine.paragraphs = {{6, "/Justification 2"}, {6, ""}};
    engine.runs = {{6, "/Font 1 /FontSize 10.0"}, {6, "/AutoLeading false /Leading 7.5"}};
    test_support::TypeBlock block;
    block.text = engine.text;
    block.transform[0] = block.transform[3] = 2;
    block.engineData = engine.Build();
    return test_support::LayerBlock("TySh", block.Build());
}

// A type block whose engine data does not close its array.
Bytes DamagedText()
{
    test_support::TypeBlock block;
    const std::string engine = "<< /EngineDict [ >>";
    block.engineData = Bytes(engine.begin(), engine.end());
    return test_support::LayerBlock("TySh", block.Build());
}

class PsdTypeText : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.extended = option.skipEmptyLayers = true;
        recorder.context.remarks = &remarks;
    }
    void TearDown() override { option = cOption(); }

    // Converts a document of a pixel layer, a type layer and one whose block is damaged (or,
    // without type blocks, three pixel layers).
    void Convert(bool typeBlocks = true)
    {
        remarks = ConversionRemarks();
        WriteBytes(dir / "a.psd",
                   RgbaDocument(
                       4, 2,
                       {{"bg", 0, 0, 4, 2},
                        {"words", 1, 0, 2, 1, "norm", 0, typeBlocks ? GoodText() : Bytes()},
                        {"broken", 0, 1, 1, 1, "norm", 0, typeBlocks ? DamagedText() : Bytes()}}));
        ASSERT_TRUE(ConvertFile(recorder.context, dir / "a.psd"));
    }

    test_support::TempDir dir;
    Recorder recorder;
    ConversionRemarks remarks;
};

}  // namespace

TEST_F(PsdTypeText, TheManifestGivesTheTextOfTypeLayersAndNullForADamagedBlock)
{
    option.manifest = true;
    Convert();
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
    const std::string json = test_support::ReadWholeFile(dir / "a.json");
    const std::string words =
        "      \"file\": null,\r\n"
        "      \"text\": {\r\n"
        "        \"text\": \"Hello\\rWorld\",\r\n"
        "        \"transform\": [2, 0, 0, 2, 10, 20],\r\n"
        "        \"orientation\": \"horizontal\",\r\n"
        "        \"antiAlias\": \"smooth\",\r\n"
        "        \"justification\": \"center\",\r\n"
        "        \"warpStyle\": \"warpNone\",\r\n"
        "        \"styles\": [\r\n"
        "          {\"start\": 0, \"length\": 6, \"font\": \"MyriadPro-Regular\", \"size\": 20, "
        "\"color\": [0, 0, 0, 255], \"fauxBold\": false, \"fauxItalic\": false, \"tracking\": 0, "
        "\"leading\": null},\r\n"
        "          {\"start\": 6, \"length\": 5, \"font\": \"ArialMT\", \"size\": 24, "
        "\"color\": [0, 0, 0, 255], \"fauxBold\": false, \"fauxItalic\": false, \"tracking\": 0, "
        "\"leading\": 15}\r\n"
        "        ]\r\n"
        "      }\r\n";
    EXPECT_NE(json.find(words), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\": \"broken\""), std::string::npos);
    EXPECT_NE(json.find("      \"file\": null,\r\n      \"text\": null\r\n"), std::string::npos);
    // A pixel layer has no text member.
    EXPECT_EQ(json.find("\"text\""), json.find("\"text\": null"));
    ASSERT_EQ(remarks.notes.size(), 1u);
    EXPECT_EQ(remarks.notes[0],
              "layer 3 \"broken\": its text is left out of the manifest: its text's engine data "
              "is malformed (ImageLoaderPSD::TypeLayer:530)");
}

TEST_F(PsdTypeText, TheLayerReportGivesTheTextOnlyInTheToolsOwnMode)
{
    option.textLayerInfo = option.textName = true;
    option.reportText = true;
    Convert();
    const std::string report = test_support::ReadWholeFile(dir / "a.txt");
    EXPECT_NE(report.find("\tName    = words\r\n\tText    = Hello\\rWorld\r\n"
                          "\tFont    = MyriadPro-Regular, 20 px\r\n\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\tName    = broken\r\n\tText    = not read: its text's engine data is "
                          "malformed (ImageLoaderPSD::TypeLayer:530)\r\n"),
              std::string::npos)
        << report;
    EXPECT_TRUE(remarks.notes.empty());

    // As the window writes it: the same report as for layers without type blocks.
    option.reportText = false;
    Convert();
    const std::string window = test_support::ReadWholeFile(dir / "a.txt");
    Convert(false);
    EXPECT_EQ(window, test_support::ReadWholeFile(dir / "a.txt"));
}
