// What a document's colours become in its outputs: converted through its ICC profile to sRGB,
// kept with the profile carried, or left as decoded; and the PNG chunks that say which. And the
// 16-bit PNGs of deep documents.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "graphic/color/IccProfile.h"
#include "support/IccProfiles.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using sdk::graphic::Image;
using test_support::operator+;

namespace {

class PsdColorOutputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        option = cOption();
        option.extended = option.skipEmptyLayers = true;
        option.psdToPngMerged = option.psdToPngLayers = true;
        recorder.context.remarks = &remarks;
    }
    void TearDown() override { option = cOption(); }

    // Converts the document as dir/a.psd under the colour choice.
    void Convert(const Bytes& document, ColorChoice color)
    {
        option.color = color;
        remarks = ConversionRemarks();
        WriteBytes(dir / "a.psd", document);
        ASSERT_TRUE(ConvertFile(recorder.context, dir / "a.psd"));
    }
    std::vector<uint8_t> Pixels(const std::string& name) { return Raster(ReadImage(dir / name)); }
    std::string Chunks(const std::string& name) { return " " + ChunkTypes(dir / name) + " "; }
    bool Tagged(const std::string& name, const std::string& chunk)
    {
        return Chunks(name).find(" " + chunk + " ") != std::string::npos;
    }

    test_support::TempDir dir;
    Recorder recorder;
    ConversionRemarks remarks;
};

// The profile an iCCP chunk carries.
Bytes CarriedProfile(const std::string& path)
{
    for (const test_support::ChunkRecord& chunk : test_support::ParseChunks(ReadBytes(path))) {
        if (chunk.type != "iCCP")
            continue;
        size_t start = 0;
        while (start < chunk.body.size() && chunk.body[start] != 0)
            ++start;
        start += 2;  // the name's end, the compression method
        Bytes profile(1 << 20);
        uLongf size = profile.size();
        if (start > chunk.body.size() ||
            uncompress(profile.data(), &size, chunk.body.data() + start,
                       static_cast<uLong>(chunk.body.size() - start)) != Z_OK)
            return {};
        profile.resize(size);
        return profile;
    }
    return {};
}

// A 1 x 1 CMYK document, full cyan, with a layer of the same pixel; resources as given.
Bytes CyanDocument(const Bytes& resources)
{
    test_support::PsdBuilder psd;
    psd.colorMode = 4;
    psd.channels = 4;
    psd.resources = resources;
    psd.planes = {{0}, {255}, {255}, {255}};  // stored ink: 255 is none
    test_support::PsdLayer layer(0, 0, 1, 1);
    for (int16_t id : {-1, 0, 1, 2, 3})
        layer.Add(
            test_support::RawChannel(id, {static_cast<uint8_t>(id <= 0 ? 255 * (id < 0) : 255)}));
    layer.name = "ink";
    psd.layers.push_back(layer);
    return psd.Build();
}

// A 2 x 1 gray document, values 64 and 192, with resources as given.
Bytes GrayDocument(const Bytes& resources)
{
    test_support::PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 1;
    psd.width = 2;
    psd.resources = resources;
    psd.planes = {{64, 192}};
    return psd.Build();
}

const std::vector<LayerShape> kOneLayer = {{"layer", 0, 0, 2, 2}};

Bytes Profiled(const Bytes& profile)
{
    return test_support::ImageResource(1039, profile);
}

}  // namespace

TEST_F(PsdColorOutputs, CmykInkGoesThroughTheEmbeddedProfile)
{
    // The profile's full cyan keeps half the red; the formula's keeps none.
    const Bytes document = CyanDocument(Profiled(test_support::InkProfile()));
    Convert(document, ColorChoice::Auto);
    for (const char* png : {"a.png", "a/ink.png"}) {
        const std::vector<uint8_t> pixels = Pixels(png);
        EXPECT_NEAR(pixels.back(), 128, 3) << png;  // the red byte of A B G R
        EXPECT_TRUE(Tagged(png, "sRGB")) << png;
    }
    Convert(document, ColorChoice::Keep);  // PNG cannot carry CMYK: as srgb
    EXPECT_NEAR(Pixels("a.png").back(), 128, 3);
    EXPECT_TRUE(Tagged("a.png", "sRGB"));
    Convert(document, ColorChoice::None);
    EXPECT_EQ(Pixels("a.png").back(), 0);
    EXPECT_EQ(Chunks("a.png").find(" sRGB "), std::string::npos);
}

TEST_F(PsdColorOutputs, CmykWithoutAProfileTakesTheUsersOrTheFormula)
{
    // Untagged (the flag of resource 1041 outweighs the profile kept beside it).
    const Bytes untagged =
        CyanDocument(Profiled(test_support::InkProfile()) + test_support::ImageResource(1041, {1}));
    Convert(untagged, ColorChoice::Srgb);
    EXPECT_EQ(Pixels("a.png").back(), 0);
    EXPECT_FALSE(Tagged("a.png", "sRGB"));
    ASSERT_EQ(remarks.notes.size(), 1u);
    EXPECT_NE(remarks.notes[0].find("--cmyk-profile"), std::string::npos);

    std::string problem;
    option.cmykProfile = sdk::graphic::ReadIccProfile(test_support::InkProfile(), problem);
    Convert(untagged, ColorChoice::Srgb);
    EXPECT_NEAR(Pixels("a.png").back(), 128, 3);
    EXPECT_TRUE(remarks.notes.empty());
}

TEST_F(PsdColorOutputs, WideRgbIsConvertedKeptOrLeftInEveryOutput)
{
    const Bytes profile = test_support::WideRgbProfile();
    const Bytes document = RgbaDocument(2, 2, kOneLayer, Profiled(profile));
    option.psdToMng = option.psdToApng = true;
    Convert(document, ColorChoice::None);
    const std::vector<uint8_t> merged = Pixels("a.png");
    const std::vector<uint8_t> layer = Pixels("a/layer.png");
    for (const char* file : {"a.png", "a/layer.png", "a.mng", "a.apng"})
        EXPECT_EQ(Chunks(file).find(" sRGB "), std::string::npos) << file;

    Convert(document, ColorChoice::Auto);
    EXPECT_NE(Pixels("a.png"), merged);
    EXPECT_NE(Pixels("a/layer.png"), layer);
    for (const char* file : {"a.png", "a/layer.png", "a.mng", "a.apng"})
        EXPECT_TRUE(Tagged(file, "sRGB")) << file;
    // Alpha is left as it was.
    const std::vector<uint8_t> converted = Pixels("a/layer.png");
    for (size_t i = 0; i < layer.size(); i += 4)
        EXPECT_EQ(converted[i], layer[i]);

    Convert(document, ColorChoice::Keep);
    EXPECT_EQ(Pixels("a.png"), merged);
    EXPECT_EQ(Pixels("a/layer.png"), layer);
    EXPECT_EQ(CarriedProfile(dir / "a.png"), profile);
    EXPECT_EQ(CarriedProfile(dir / "a.apng"), profile);
}

TEST_F(PsdColorOutputs, NumbersThatAreSrgbAlreadyStayUnmarkedUnlessAsked)
{
    const Bytes srgb = RgbaDocument(2, 2, kOneLayer, Profiled(test_support::SrgbProfile()));
    Convert(srgb, ColorChoice::None);
    const std::vector<uint8_t> merged = Pixels("a.png");
    Convert(srgb, ColorChoice::Auto);
    EXPECT_EQ(Pixels("a.png"), merged);
    EXPECT_EQ(Chunks("a.png").find(" sRGB "), std::string::npos);
    Convert(srgb, ColorChoice::Srgb);
    EXPECT_EQ(Pixels("a.png"), merged);
    EXPECT_TRUE(Tagged("a.png", "sRGB"));

    // Gray of gamma 2.2 passes for sRGB's; linear gray does not, and stays gray.
    Convert(GrayDocument(Profiled(test_support::GrayGammaProfile(2.2))), ColorChoice::Auto);
    EXPECT_EQ(Pixels("a.png"), (std::vector<uint8_t>{64, 192}));
    EXPECT_EQ(Chunks("a.png").find(" sRGB "), std::string::npos);
    Convert(GrayDocument(Profiled(test_support::GrayGammaProfile(1.0))), ColorChoice::Auto);
    const std::vector<uint8_t> lighter = Pixels("a.png");
    ASSERT_EQ(lighter.size(), 2u);
    EXPECT_GT(lighter[0], 64 + 40);
    EXPECT_TRUE(Tagged("a.png", "sRGB"));
    Convert(GrayDocument(Profiled(test_support::GrayGammaProfile(1.0))), ColorChoice::Keep);
    EXPECT_EQ(CarriedProfile(dir / "a.png"), test_support::GrayGammaProfile(1.0));
}

TEST_F(PsdColorOutputs, ProfilesThatDoNotFitAreLeftAsideWithANote)
{
    Bytes damaged = test_support::WideRgbProfile();
    damaged[36] = 'x';
    for (const Bytes& profile : {damaged, test_support::GrayGammaProfile(1.0)}) {
        Convert(RgbaDocument(2, 2, kOneLayer, Profiled(profile)), ColorChoice::Keep);
        EXPECT_EQ(Chunks("a.png").find(" iCCP "), std::string::npos);
        ASSERT_EQ(remarks.notes.size(), 1u);
        EXPECT_NE(remarks.notes[0].find("colour profile is left aside"), std::string::npos);
    }
}

TEST_F(PsdColorOutputs, TheReportAndTheManifestNameTheProfile)
{
    option.textImageInfo = option.manifest = option.reportColor = true;
    Convert(RgbaDocument(2, 2, kOneLayer, Profiled(test_support::WideRgbProfile())),
            ColorChoice::Auto);
    const std::string report = test_support::ReadWholeFile(dir / "a.txt");
    EXPECT_NE(report.find("\tColorProfile = Wide RGB\r\n\tColorOutput  = srgb\r\n"),
              std::string::npos);
    const std::string manifest = test_support::ReadWholeFile(dir / "a.json");
    EXPECT_NE(manifest.find("\"colorProfile\": \"Wide RGB\""), std::string::npos);
    EXPECT_NE(manifest.find("\"colorOutput\": \"srgb\""), std::string::npos);
    test_support::ExpectManifestMatchesSchema(dir / "a.json");
}

namespace {

// The samples of a PNG written without filtering (--compression=speed): its bit depth, and its
// samples in the file's order (R, G, B, A), of 16 bits.
std::vector<uint16_t> Samples16(const std::string& path, int32_t& depth)
{
    const Bytes file = ReadBytes(path);
    depth = file.at(24);
    Bytes data;
    for (const test_support::ChunkRecord& chunk : test_support::ParseChunks(file))
        if (chunk.type == "IDAT")
            data.insert(data.end(), chunk.body.begin(), chunk.body.end());
    Bytes raw(1 << 16);
    uLongf size = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &size, data.data(), static_cast<uLong>(data.size())), Z_OK);
    const uint32_t width =
        static_cast<uint32_t>(file[16] << 24 | file[17] << 16 | file[18] << 8 | file[19]);
    std::vector<uint16_t> samples;
    const int32_t channels = file[25] == 0 ? 1 : file[25] == 4 ? 2 : file[25] == 2 ? 3 : 4;
    const size_t row = 1 + static_cast<size_t>(width) * channels * 2;
    for (size_t at = 0; at + row <= size; at += row) {
        EXPECT_EQ(raw[at], 0);  // no filter
        for (size_t i = at + 1; i < at + row; i += 2)
            samples.push_back(static_cast<uint16_t>(raw[i] << 8 | raw[i + 1]));
    }
    return samples;
}

}  // namespace

TEST_F(PsdColorOutputs, SixteenBitDocumentsKeepTheirSamplesInTheMergedAndLayerPngs)
{
    // 2 x 1, 16-bit RGB with alpha; a 1 x 1 layer at 1, 0.
    auto wide = [](std::initializer_list<uint16_t> values) {
        Bytes bytes;
        for (uint16_t value : values)
            bytes.insert(bytes.end(),
                         {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
        return bytes;
    };
    test_support::PsdBuilder psd;
    psd.depth = 16;
    psd.channels = 4;
    psd.width = 2;
    psd.planes = {wide({1000, 65535}), wide({2000, 300}), wide({3000, 7}), wide({65535, 32768})};
    test_support::PsdLayer layer(0, 1, 1, 2);
    layer.name = "deep";
    layer.Add(test_support::RawChannel(-1, wide({40000})))
        .Add(test_support::RawChannel(0, wide({11})))
        .Add(test_support::RawChannel(1, wide({12})))
        .Add(test_support::RawChannel(2, wide({13})));
    psd.layers.push_back(layer);
    option.sixteenBitPngs = option.compressFast = option.psdToMng = true;
    option.pngTrim = true;  // the layer on the document's canvas
    Convert(psd.Build(), ColorChoice::None);

    int32_t depth = 0;
    // R, G, B, A: the second pixel's matte is not taken out (removeMatte is off).
    EXPECT_EQ(Samples16(dir / "a.png", depth),
              (std::vector<uint16_t>{1000, 2000, 3000, 65535, 65535, 300, 7, 32768}));
    EXPECT_EQ(depth, 16);
    EXPECT_EQ(Samples16(dir / "a/deep.png", depth),
              (std::vector<uint16_t>{0, 0, 0, 0, 11, 12, 13, 40000}));
    EXPECT_EQ(depth, 16);
    // The animation stays 8-bit.
    const Bytes mng = ReadBytes(dir / "a.mng");
    const std::string text(mng.begin(), mng.end());
    EXPECT_EQ(mng.at(text.find("IHDR") + 12), 8);

    // Drawn from the layers, at 16 bits too: the composition, the layer as shown.
    const Bytes document = psd.Build();
    option.compose = option.asShown = true;
    Convert(document, ColorChoice::None);
    EXPECT_EQ(Samples16(dir / "a.png", depth),
              (std::vector<uint16_t>{0, 0, 0, 0, 11, 12, 13, 40000}));
    EXPECT_EQ(depth, 16);
    EXPECT_EQ(Samples16(dir / "a/deep.png", depth),
              (std::vector<uint16_t>{0, 0, 0, 0, 11, 12, 13, 40000}));
    EXPECT_EQ(depth, 16);

    // An 8-bit document stays 8-bit.
    Convert(RgbaDocument(2, 2, kOneLayer), ColorChoice::None);
    EXPECT_EQ(ReadBytes(dir / "a.png").at(24), 8);
}
