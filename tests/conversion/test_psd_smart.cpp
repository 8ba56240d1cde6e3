// Placed layers (smart objects): the files a document embeds written byte for byte below
// NAME/smart/ under safe names, linked files named and not copied, damaged records and
// placements noted without failing the other outputs, and the manifest's "smartObject".
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "files/FileSystem.h"
#include "files/Path.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using test_support::LayerBlock;
using test_support::LinkedFileRecord;

namespace {

const std::vector<double> kCorners = {1, 2, 9, 2, 9, 7.5, 1, 7.5};
const Bytes kLogo = {0x89, 'P', 'N', 'G', 0, 1, 2};
const Bytes kOther = {'8', 'B', 'P', 'B', 0, 2, 0xFF};

Bytes Joined(const std::vector<Bytes>& parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

LinkedFileRecord Record(const std::string& type, const std::string& id, const std::u16string& name,
                        const Bytes& data)
{
    LinkedFileRecord record;
    record.type = type;
    record.id = id;
    record.name = name;
    record.data = data;
    return record;
}

LayerShape Placed(const std::string& name, const char* key, const Bytes& block)
{
    LayerShape layer{name, 1, 0, 2, 2};
    layer.additional = LayerBlock(key, block);
    return layer;
}

// Bottom first: a pixel layer, two layers placing one embedded file, one placing another
// through the older block, one placing a linked file, and a pixel layer whose PNG takes the
// first embedded file's name. Embedded besides: a file no layer places, of the same name.
std::vector<LayerShape> Layers()
{
    return {
        {"bg", 0, 0, 4, 3},
        Placed("logo", "SoLd", test_support::PlacementBlock("id-logo", kCorners, 8, 5.5)),
        Placed("logo copy", "SoLd", test_support::PlacementBlock("id-logo", kCorners, 8, 5.5)),
        Placed("old", "PlLd", test_support::LegacyPlacementBlock("id-old", kCorners, 3, 4)),
        Placed("far", "SoLE", test_support::PlacementBlock("id-far", kCorners, 2, 2)),
        {"smart/logo", 0, 1, 1, 1},
    };
}

Bytes Blocks()
{
    LinkedFileRecord old = Record("liFD", "id-old", u"../x:y", kOther);
    old.fileType = "8BPB";
    LinkedFileRecord far = Record("liFE", "id-far", u"far.png", {});
    far.fullPath = "file:///art/far.png";
    return Joined(
        {LayerBlock("lnk2",
                    Joined({Record("liFD", "id-logo", u"logo.png", kLogo).Build(), old.Build(),
                            Record("liFD", "id-dup", u"Logo.png", kOther).Build()})),
         LayerBlock("lnkE", far.Build())});
}

class PsdSmartObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.smartObjects = true;
        option.skipEmptyLayers = true;
        recorder.context.remarks = &remarks;
    }
    void TearDown() override { option = cOption(); }

    bool Convert(const std::vector<LayerShape>& layers = Layers(), const Bytes& blocks = Blocks())
    {
        recorder.Reset();
        remarks = ConversionRemarks();
        WriteBytes(dir / "a.psd", RgbaDocument(4, 3, layers, {}, blocks));
        const bool converted = ConvertFile(recorder.context, dir / "a.psd");
        EXPECT_EQ(recorder.position, recorder.high);
        return converted;
    }
    std::string Said() const
    {
        std::string said;
        for (const std::string& note : remarks.notes)
            said += note + "\n";
        return said;
    }

    test_support::TempDir dir;
    Recorder recorder;
    ConversionRemarks remarks;
};

// Lines written with "/" between folders, as the platform shows them.
std::vector<std::string> Native(std::vector<std::string> lines)
{
    for (std::string& line : lines)
        std::replace(line.begin(), line.end(), '/', sdk::files::kPathSeparator);
    return lines;
}

}  // namespace

TEST_F(PsdSmartObjects, EachEmbeddedFileWrittenOnceAsStoredUnderASafeName)
{
    option.psdToPngLayers = true;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(FilesBelow(dir / "a/smart"),
              std::set<std::string>({"logo.png", "logo (2).png", "__/x_y.psb", "Logo (3).png"}));
    // The layer PNG keeps its name; the files take the next free ones, in record order.
    EXPECT_EQ(kLogo, ReadBytes(dir / "a/smart/logo (2).png"));
    EXPECT_EQ(kOther, ReadBytes(dir / "a/smart/__/x_y.psb"));
    EXPECT_EQ(kOther, ReadBytes(dir / "a/smart/Logo (3).png"));
    // The status lines show the folders with the platform's separator.
    const std::vector<std::string> tail(recorder.lines.end() - 3, recorder.lines.end());
    EXPECT_EQ(tail, Native({"a.psd → smart/logo (2).png", "a.psd → smart/__/x_y.psb",
                            "a.psd → smart/Logo (3).png"}));
    // The linked file is named, not copied.
    EXPECT_NE(Said().find("\"far.png\" lives outside the document, at file:///art/far.png"),
              std::string::npos)
        << Said();
    EXPECT_FALSE(sdk::files::IsFile(dir / "a/smart/far.png"));

    // Alone, --smart-objects converts too; a document that embeds nothing gives nothing.
    option.psdToPngLayers = false;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(recorder.lines.front(), Native({"a.psd → smart/logo.png"}).front());
    ASSERT_TRUE(Convert({{"bg", 0, 0, 4, 3}}, {}));
    EXPECT_TRUE(recorder.lines.empty());
}

TEST_F(PsdSmartObjects, ManifestPlacesEachPlacedLayerAndNamesItsFile)
{
    option.manifest = true;
    ASSERT_TRUE(Convert());
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
    const std::string json = test_support::ReadWholeFile(dir / "a.json");
    auto has = [&](const std::string& text) { return json.find(text) != std::string::npos; };
    EXPECT_TRUE(
        has("      \"file\": null,\r\n      \"smartObject\": {\r\n"
            "        \"id\": \"id-logo\",\r\n        \"file\": \"a/smart/logo.png\",\r\n"
            "        \"name\": \"logo.png\",\r\n        \"fileType\": \"png \",\r\n"
            "        \"embedded\": true,\r\n"
            "        \"corners\": [1, 2, 9, 2, 9, 7.5, 1, 7.5],\r\n"
            "        \"size\": {\"width\": 8, \"height\": 5.5}\r\n      }\r\n    },"))
        << json;
    EXPECT_TRUE(has("\"id\": \"id-old\",\r\n        \"file\": \"a/smart/__/x_y.psb\""));
    EXPECT_TRUE(has("\"embedded\": false,\r\n        \"externalPath\": \"file:///art/far.png\""));
    EXPECT_TRUE(has("\"size\": {\"width\": 3, \"height\": 4}"));
    // Once per placed layer: two place the logo.
    size_t count = 0;
    for (size_t at = json.find("\"smartObject\": {"); at != std::string::npos;
         at = json.find("\"smartObject\": {", at + 1))
        ++count;
    EXPECT_EQ(4u, count);

    // Without --smart-objects nothing is written for it, and the manifest says so.
    option.smartObjects = false;
    ASSERT_TRUE(Convert());
    EXPECT_TRUE(test_support::ReadWholeFile(dir / "a.json")
                    .find("\"id\": \"id-logo\",\r\n        \"file\": null,") != std::string::npos);
}

TEST_F(PsdSmartObjects, DamageIsNotedAndTheOtherOutputsWritten)
{
    option.psdToPngLayers = true;
    option.manifest = true;
    LinkedFileRecord cut = Record("liFD", "id-cut", u"cut.png", {});
    cut.length = 12;
    const Bytes blocks = LayerBlock(
        "lnk2", Joined({Record("liFD", "id-logo", u"logo.png", kLogo).Build(), cut.Build()}));
    const Bytes placement = test_support::PlacementBlock("id-logo", kCorners, 8, 5.5);
    std::vector<LayerShape> layers = Layers();
    layers[2].additional = LayerBlock("SoLd", Bytes(placement.begin(), placement.end() - 12));
    ASSERT_TRUE(Convert(layers, blocks));
    EXPECT_EQ(FilesBelow(dir / "a/smart"), std::set<std::string>({"logo.png", "logo (2).png"}));
    EXPECT_EQ(kLogo, ReadBytes(dir / "a/smart/logo (2).png"));
    EXPECT_TRUE(sdk::files::IsFile(dir / "a/logo copy.png"));
    const std::string said = Said();
    EXPECT_NE(said.find("(ImageLoaderPSD::LinkedFile:610: a record ends inside its fields); the "
                        "records before the damage are kept (1)"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("layer 3 \"logo copy\": the descriptor of its placement block is damaged "
                        "(ImageLoaderPSD::PlacedLayer:620)"),
              std::string::npos)
        << said;
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
    const std::string json = test_support::ReadWholeFile(dir / "a.json");
    EXPECT_NE(json.find("\"smartObject\": null"), std::string::npos);
    // The files the damage hid are no longer known.
    EXPECT_NE(
        json.find("\"id\": \"id-old\",\r\n        \"file\": null,\r\n        \"name\": null,"),
        std::string::npos)
        << json;
}
