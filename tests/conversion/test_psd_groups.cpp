// Layer PNGs that follow the document's groups, hidden layers left out, and the layer manifest,
// on one small document of nested groups: a hidden group holding a visible layer, two groups of
// one name, and a group named like a path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/JsonText.h"
#include "conversion/psd/PsdLayerSelection.h"
#include "files/FileSystem.h"
#include "files/Path.h"
#include "graphic/ImageOperations.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "stream/StreamMemory.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using test_support::SectionBlock;

namespace {

LayerShape Divider() { return {"</Layer group>", 0, 0, 0, 0, "norm", 0, SectionBlock(3)}; }
LayerShape Folder(const std::string& name, uint8_t flags = 0)
{
    return {name, 0, 0, 0, 0, "norm", flags, SectionBlock(flags ? 2 : 1, "pass")};
}

// Bottom first, as the file keeps them; the numbers of the status lines are these plus one.
std::vector<LayerShape> Layers()
{
    LayerShape leg{"leg", 0, 0, 1, 1};
    leg.additional = test_support::UnicodeNameBlock(u"l\u00e9g");
    return {
        {"bg", 0, 0, 4, 3},           // 0
        Divider(),                    // 1
        {"arm", 1, 1, 2, 1},          // 2: Outer
        Divider(),                    // 3
        {"eye", 0, 2, 1, 1},          // 4: Outer/Inner
        Folder("Inner"),              // 5
        Folder("Outer"),              // 6
        Divider(),                    // 7
        {"ghost", 3, 0, 1, 1},        // 8: in a hidden group
        Folder("Hidden", 2),          // 9
        Divider(),                    // 10
        {"arm", 2, 0, 1, 1},          // 11: the second Outer
        Folder("Outer"),              // 12
        Divider(),                    // 13
        leg,                          // 14
        Folder("../a:b"),             // 15
    };
}

class PsdGroups : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.psdToPngLayers = true;
        option.skipEmptyLayers = true;
    }
    void TearDown() override { option = cOption(); }

    bool Convert(const std::vector<LayerShape>& layers = Layers())
    {
        recorder.Reset();
        WriteBytes(dir / "a.psd", RgbaDocument(4, 3, layers));
        const bool converted = ConvertFile(recorder.context, dir / "a.psd");
        EXPECT_EQ(recorder.position, recorder.high);
        return converted;
    }
    std::set<std::string> Pngs()
    {
        std::set<std::string> pngs;
        for (const std::string& file : FilesBelow(dir.Path()))
            if (file.size() > 4 && file.compare(file.size() - 4, 4, ".png") == 0)
                pngs.insert(file);
        return pngs;
    }

    test_support::TempDir dir;
    Recorder recorder;
};

}  // namespace

TEST_F(PsdGroups, FoldersUnderEveryNamingScheme)
{
    option.groups = GroupLayout::Folders;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Pngs(), std::set<std::string>({"a/bg.png", "a/Outer/arm.png",
                                             "a/Outer/Inner/eye.png", "a/Hidden/ghost.png",
                                             "a/Outer/arm (2).png", "a/__/a_b/leg.png"}));
    // The status lines show the folders with the platform's separator.
    std::vector<std::string> lines = {"a.psd (1) → bg.png", "a.psd (3) → Outer/arm.png",
                                      "a.psd (5) → Outer/Inner/eye.png",
                                      "a.psd (9) → Hidden/ghost.png",
                                      "a.psd (12) → Outer/arm (2).png",
                                      "a.psd (15) → __/a_b/leg.png"};
    for (std::string& line : lines)
        std::replace(line.begin(), line.end(), '/', sdk::files::kPathSeparator);
    EXPECT_EQ(recorder.lines, lines);

    std::filesystem::remove_all(dir / "a");
    option.separator = '_';
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Pngs(), std::set<std::string>({"a_bg.png", "a_Outer_arm.png",
                                             "a_Outer_Inner_eye.png", "a_Hidden_ghost.png",
                                             "a_Outer_arm (2).png", "a___/a_b_leg.png"}));

    option.separator = '\\';
    option.serialNumber = true;
    ASSERT_TRUE(Convert());
    EXPECT_TRUE(sdk::files::IsFile(dir / "a/Outer/Inner/0004.png"));
}

TEST_F(PsdGroups, HiddenLayersAndTheLayersOfHiddenGroupsAreLeftOut)
{
    option.skipHidden = true;
    option.psdToMng = true;
    option.textLayerInfo = option.textName = true;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Pngs(), std::set<std::string>({"a/bg.png", "a/arm.png", "a/eye.png",
                                             "a/arm (2).png", "a/leg.png"}));
    std::string frames = "MHDR";
    for (int i = 0; i < 5; ++i)
        frames += " IHDR IDAT IEND";
    EXPECT_EQ(ChunkTypes(dir / "a.mng"), frames + " MEND");
    const std::string report = test_support::ReadWholeFile(dir / "a.txt");
    EXPECT_NE(report.find("[Layer 9]\r\n\tName    = ghost\r\n\tHidden  = in a hidden group, left "
                          "out\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("[Layer 10]\r\n\tName    = Hidden\r\n\tHidden  = yes, left out\r\n"),
              std::string::npos);
}

TEST_F(PsdGroups, EachOutermostGroupDrawnAsOnePicture)
{
    option.groups = GroupLayout::Images;
    option.pngOffset = true;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Pngs(), std::set<std::string>({"a/bg.png", "a/Outer.png", "a/Hidden.png",
                                             "a/Outer (2).png", "a/__/a_b.png"}));
    EXPECT_EQ(recorder.lines[1], "a.psd (7) → Outer.png");

    // Over the union of its layers' rectangles (0, 1) to (3, 3), each layer in its place.
    sdk::graphic::ImageInfo info;
    const sdk::graphic::Image outer = ReadImage(dir / "a/Outer.png", &info);
    EXPECT_EQ(3, outer.Width());
    EXPECT_EQ(2, outer.Height());
    EXPECT_EQ(0, info.x);
    EXPECT_EQ(1, info.y);
    const sdk::graphic::Image arm = ExpectedPixels(2, 2, 1);
    const sdk::graphic::Image eye = ExpectedPixels(4, 1, 1);
    auto same = [](const sdk::graphic::Image& image, int32_t x, int32_t y,
                   const sdk::graphic::Image& layer, int32_t lx, int32_t ly) {
        const uint8_t* got = sdk::graphic::Pixel(image, x, y);
        const uint8_t* want = sdk::graphic::Pixel(layer, lx, ly);
        return want[0] == 0 ? got[0] == 0 : Bytes(got, got + 4) == Bytes(want, want + 4);
    };
    EXPECT_TRUE(same(outer, 1, 0, arm, 0, 0));
    EXPECT_TRUE(same(outer, 2, 0, arm, 1, 0));
    EXPECT_TRUE(same(outer, 0, 1, eye, 0, 0));
    EXPECT_EQ(0, sdk::graphic::Pixel(outer, 0, 0)[0]);

    // A hidden group gives no picture when hidden layers are left out.
    std::filesystem::remove_all(dir / "a");
    option.skipHidden = true;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(Pngs(), std::set<std::string>({"a/bg.png", "a/Outer.png", "a/Outer (2).png",
                                             "a/__/a_b.png"}));
}

TEST_F(PsdGroups, ManifestShowsTheTreeTopFirstWithTheFilesWritten)
{
    option.groups = GroupLayout::Folders;
    option.skipHidden = true;
    option.manifest = true;
    ASSERT_TRUE(Convert());
    EXPECT_EQ(recorder.lines.back(), "a.psd → a.json");
    const std::string json = test_support::ReadWholeFile(dir / "a.json");
    auto at = [&](const std::string& text) { return json.find(text); };
    EXPECT_EQ(0u, at("{\r\n  \"version\": 2,\r\n  \"width\": 4,\r\n  \"height\": 3,\r\n"
                     "  \"colorMode\": \"rgb\",\r\n  \"depth\": 8,\r\n"
                     "  \"resolution\": null,\r\n  \"comps\": [],\r\n  \"layers\": [\r\n"
                     "    {\r\n      \"name\": \"../a:b\",\r\n      \"kind\": \"group\",\r\n"));
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
    // Top first: the path-named group, the second Outer, Hidden, Outer, the background.
    EXPECT_LT(at("\"name\": \"../a:b\""), at("\"file\": \"a/Outer/arm (2).png\""));
    EXPECT_LT(at("\"file\": \"a/Outer/arm (2).png\""), at("\"name\": \"Hidden\""));
    EXPECT_LT(at("\"name\": \"Hidden\""), at("\"file\": \"a/Outer/Inner/eye.png\""));
    EXPECT_LT(at("\"file\": \"a/Outer/Inner/eye.png\""), at("\"file\": \"a/Outer/arm.png\""));
    EXPECT_LT(at("\"file\": \"a/Outer/arm.png\""), at("\"file\": \"a/bg.png\""));
    // The Unicode name; a hidden layer with no file; a group's rectangle and blend mode.
    EXPECT_NE(std::string::npos, at("\"name\": \"l\xC3\xA9g\""));
    EXPECT_NE(std::string::npos, at("\"name\": \"ghost\",\r\n"));
    EXPECT_NE(std::string::npos, at("\"visible\": false"));
    EXPECT_NE(std::string::npos, at("\"rect\": {\"x\": 0, \"y\": 1, \"width\": 3, \"height\": 2}"));
    EXPECT_NE(std::string::npos, at("\"blendMode\": {\"key\": \"pass\", \"name\": \"pass through\"}"));
    EXPECT_EQ(std::string::npos, at("ghost.png"));
    EXPECT_EQ(std::string::npos, at("</Layer group>"));
    // A visible layer in a hidden group is not shown; the hidden group covers nothing written.
    EXPECT_NE(std::string::npos, at("\"name\": \"ghost\",\r\n          \"kind\": \"pixel\",\r\n"
                                    "          \"id\": null,\r\n          \"visible\": true,\r\n"
                                    "          \"shown\": false,"));
    const size_t hidden = at("\"name\": \"Hidden\"");
    EXPECT_LT(json.find("\"rect\": {\"x\": 0, \"y\": 0, \"width\": 0, \"height\": 0}", hidden),
              at("\"name\": \"ghost\""));

    // A stored name (code page 932) is the same UTF-8 in the manifest on every platform, also
    // with single bytes that start no character but that Windows maps (0xA0, 0xFD).
    option.psdToPngLayers = false;
    ASSERT_TRUE(Convert({{"\x94\x77\x8c\x69\xA0\xFD", 0, 0, 1, 1}}));  // 背景, U+F8F0, U+F8F1
    EXPECT_NE(std::string::npos, test_support::ReadWholeFile(dir / "a.json")
                                     .find("\"name\": \"\xE8\x83\x8C\xE6\x99\xAF\xEF\xA3\xB0\xEF\xA3\xB1\""));
}

TEST_F(PsdGroups, ManifestGivesIdsLocksLabelsAndResolution)
{
    using test_support::ByteWriter;
    using test_support::LayerBlock;
    option.psdToPngLayers = false;
    option.manifest = true;
    LayerShape layer{"bg", 0, 0, 4, 3};
    for (const Bytes& block : {LayerBlock("lyid", ByteWriter().U32(17).Data()),
                               LayerBlock("lspf", ByteWriter().U32(0x80000006u).Data()),
                               LayerBlock("lclr", ByteWriter().U16(4).Zeros(6).Data())})
        layer.additional.insert(layer.additional.end(), block.begin(), block.end());
    const Bytes resolution = test_support::ImageResource(
        1005, ByteWriter().U32(144 << 16).U16(1).U16(1).U32(144 << 16).U16(1).U16(1).Data());
    WriteBytes(dir / "a.psd", RgbaDocument(4, 3, {layer}, resolution));
    ASSERT_TRUE(ConvertFile(recorder.context, dir / "a.psd"));
    const std::string json = test_support::ReadWholeFile(dir / "a.json");
    EXPECT_NE(std::string::npos,
              json.find("\"resolution\": {\"x\": 144, \"y\": 144, \"displayUnit\": "
                        "\"pixelsPerInch\"}"));
    EXPECT_NE(std::string::npos, json.find("\"id\": 17,"));
    EXPECT_NE(std::string::npos,
              json.find("\"locks\": {\"transparency\": false, \"pixels\": true, \"position\": "
                        "true, \"artboards\": false, \"all\": true}"));
    EXPECT_NE(std::string::npos, json.find("\"colorLabel\": \"green\""));
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
}

TEST_F(PsdGroups, ReportsAndManifestsAloneReadNoPixels)
{
    // The merged image's data is cut short: a run that writes pixels fails, one that writes
    // reports and the manifest alone does not, and says what it found.
    option.psdToPngLayers = false;
    option.manifest = option.textImageInfo = option.textLayerInfo = true;
    option.reportsWithoutPixels = true;
    Bytes file = RgbaDocument(4, 3, Layers());
    file.resize(file.size() - 20);
    WriteBytes(dir / "a.psd", file);
    ConversionRemarks remarks;
    recorder.context.remarks = &remarks;
    ASSERT_TRUE(ConvertFile(recorder.context, dir / "a.psd"));
    EXPECT_TRUE(sdk::files::IsFile(dir / "a.json"));
    EXPECT_NE(std::string::npos,
              test_support::ReadWholeFile(dir / "a.txt").find("\tWidth        = 4\r\n"));
    ASSERT_EQ(1u, remarks.notes.size());
    EXPECT_EQ(0u, remarks.notes[0].find("the image data is damaged (ImageLoaderPSD::"));

    option.psdToPngMerged = true;
    EXPECT_FALSE(ConvertFile(recorder.context, dir / "a.psd"));
    recorder.context.remarks = nullptr;
}

TEST_F(PsdGroups, AFailedLayerIsNamedAsTheLayerPanelNestsIt)
{
    const test_support::Bytes document = RgbaDocument(4, 3, Layers());
    sdk::stream::memory_in stream(document.data(), static_cast<int32_t>(document.size()));
    sdk::graphic::ImageLoaderPSD psd(stream);
    EXPECT_EQ(LayerPathShown(psd, 0), "bg");
    EXPECT_EQ(LayerPathShown(psd, 4), "Outer/Inner/eye");
    EXPECT_EQ(LayerPathShown(psd, 6), "Outer");
    // A group's end is named by its group, the inner one's by the inner group.
    EXPECT_EQ(LayerPathShown(psd, 1), "Outer");
    EXPECT_EQ(LayerPathShown(psd, 3), "Outer/Inner");
    EXPECT_EQ(LayerPathShown(psd, 13), "../a:b");
    EXPECT_EQ(LayerPathShown(psd, 16), "");
}

TEST(JsonText, StringsAreValidJsonWhateverTheirBytes)
{
    JsonText json;
    json.BeginObject();
    json.Key("a\"b");
    json.String(std::string("q\"\\\n\t\x01\xFF\xC3\xA9\xC0\xAF\xED\xA0\x80", 14));
    json.Key("n");
    json.BeginArray();
    json.EndArray();
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\r\n  \"a\\\"b\": \"q\\\"\\\\\\n\\t\\u0001\xEF\xBF\xBD\xC3\xA9"
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\",\r\n  \"n\": []\r\n}\r\n");
}
