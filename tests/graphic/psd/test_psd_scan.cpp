// The PSD reader's scan: header checks, channel ids, layer records, and refusal of files whose
// fields, lengths and counts do not fit the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "support/ErrorTag.h"
#include "support/FileLikeStream.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"

using sdk::graphic::ImageInfo;
using sdk::graphic::ImageLoaderPSD;
using test_support::Bytes;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

std::string ScanTag(const Bytes& file)
{
    return TagOf([&] { Reader reader(file); });
}

std::vector<int32_t> Ids(const ImageLoaderPSD::info_t& record)
{
    std::vector<int32_t> ids;
    for (const auto& channel : record.channels)
        ids.push_back(channel.id);
    return ids;
}

// A 2 x 2 RGB document with one layer of the given channels.
PsdBuilder OneLayer(const std::vector<int16_t>& ids)
{
    PsdBuilder psd;
    psd.width = psd.height = 2;
    PsdLayer layer(0, 0, 2, 2);
    for (int16_t id : ids)
        layer.Add(RawChannel(id, Bytes(4, 7)));
    psd.layers.push_back(layer);
    return psd;
}

}  // namespace

TEST(PsdScan, MergedChannelIdsFollowTheColourChannels)
{
    PsdBuilder rgb;
    rgb.channels = 5;
    EXPECT_EQ(Ids(Reader(rgb.Build()).psd.MergedRecord()),
              (std::vector<int32_t>{0, 1, 2, 0xFFFF, -1}));
    PsdBuilder gray;
    gray.colorMode = 1;
    gray.channels = 2;
    Reader reader(gray.Build());
    EXPECT_EQ(Ids(reader.psd.MergedRecord()), (std::vector<int32_t>{0, 0xFFFF}));
    EXPECT_EQ(reader.psd.ColorMode(), 1);
    EXPECT_STREQ(reader.psd.FormatName(), "PSD");
}

TEST(PsdScan, LayerChannelIdsKeepTransparencyAndDropMasks)
{
    Reader reader(OneLayer({-1, 0, 1, 2, -2, 3, 4}).Build());
    EXPECT_EQ(Ids(reader.psd.LayerRecord(0)),
              (std::vector<int32_t>{0xFFFF, 0, 1, 2, -1, 3, -1}));
}

TEST(PsdScan, LayerRecordFields)
{
    PsdBuilder psd;
    PsdLayer first(-20, -10, 80, 90);
    first.mode = "mul ";
    first.name = "abcde";
    first.mask = Bytes(20, 0xAA);
    first.blendingRanges = Bytes(40, 0xBB);
    first.additional = Bytes(24, 0xCC);  // skipped along with the rest of the extra data
    PsdLayer second(1, 2, 3, 4);
    second.name = "";
    psd.layers = {first, second};
    Reader reader(psd.Build());

    ASSERT_EQ(reader.psd.LayerCount(), 2);
    ImageInfo info;
    reader.psd.LayerInfo(0, info);
    EXPECT_EQ(info.x, -10);
    EXPECT_EQ(info.y, -20);
    EXPECT_EQ(info.width, 100);
    EXPECT_EQ(info.height, 100);
    EXPECT_EQ(info.title, "abcde");
    EXPECT_EQ(info.mode, "mul ");
    EXPECT_EQ(info.comment, "");
    EXPECT_EQ(info.delay, 0);
    reader.psd.LayerInfo(1, info);
    EXPECT_EQ(info.x, 2);
    EXPECT_EQ(info.y, 1);
    EXPECT_EQ(info.width, 2);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.title, "");
    EXPECT_EQ(info.mode, "norm");
}

TEST(PsdScan, LayerNamesAreShiftJis)
{
    PsdBuilder psd;
    PsdLayer layer(0, 0, 1, 1);
    layer.name = "\x95\x5C";  // 表
    psd.layers.push_back(layer);
#ifdef _WIN32
    EXPECT_EQ(Reader(psd.Build()).psd.LayerRecord(0).title, "\x95\x5C");
#else
    EXPECT_EQ(Reader(psd.Build()).psd.LayerRecord(0).title, "\xE8\xA1\xA8");
#endif
}

TEST(PsdScan, LayerCountsAndIndexes)
{
    PsdBuilder negative;
    negative.layers.assign(3, PsdLayer(0, 0, 1, 1));
    negative.layerCount = -3;
    EXPECT_EQ(Reader(negative.Build()).psd.LayerCount(), 3);

    PsdBuilder none;
    Reader reader(none.Build());
    EXPECT_EQ(reader.psd.LayerCount(), 0);
    sdk::graphic::Image image;
    ImageInfo info;
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(0, image); }), "ImageLoaderPSD::LayerLoad:75");
    EXPECT_EQ(TagOf([&] { reader.psd.LayerInfo(0, info); }), "ImageLoaderPSD::LayerInfo:87");
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(-1, image); }), "ImageLoaderPSD::LayerLoad:75");
    EXPECT_EQ(TagOf([&] { reader.psd.LayerInfo(-1, info); }), "ImageLoaderPSD::LayerInfo:87");
}

TEST(PsdScan, UnsupportedDocumentsAreRefused)
{
    struct Case {
        void (*change)(PsdBuilder&);
        const char* tag;
    };
    const Case cases[] = {
        {[](PsdBuilder& p) { p.signature = "8BPX"; }, "ImageLoaderPSD::Scan:98"},
        {[](PsdBuilder& p) { p.version = 2; }, "ImageLoaderPSD::Scan:103"},
        {[](PsdBuilder& p) { p.depth = 16; }, "ImageLoaderPSD::Scan:123"},
        {[](PsdBuilder& p) { p.depth = 1; p.colorMode = 0; }, "ImageLoaderPSD::Scan:123"},
        {[](PsdBuilder& p) { p.colorMode = 0; }, "ImageLoaderPSD::Scan:124"},
        {[](PsdBuilder& p) { p.colorMode = 4; }, "ImageLoaderPSD::Scan:125"},
        {[](PsdBuilder& p) { p.colorMode = 9; }, "ImageLoaderPSD::Scan:125"},
        {[](PsdBuilder& p) { p.colorModeData = Bytes(768); }, "ImageLoaderPSD::Scan:136"},
        {[](PsdBuilder& p) { p.colorMode = 2; p.colorModeData = Bytes(767); }, "ImageLoaderPSD::Scan:137"},
        {[](PsdBuilder& p) { p.colorMode = 2; }, "ImageLoaderPSD::Scan:145"},
        {[](PsdBuilder& p) { p.colorMode = 2; p.colorModeDataLength = -1; }, "ImageLoaderPSD::Scan:145"},
        {[](PsdBuilder& p) { p.compression = test_support::kPsdZip; }, "ImageLoaderPSD::Scan:167"},
        {[](PsdBuilder& p) {
             PsdLayer layer(0, 0, 1, 1);
             layer.Add(RawChannel(0, {1}));
             layer.channels[0].compression = test_support::kPsdZip;
             p.layers.push_back(layer);
         },
         "ImageLoaderPSD::ScanLayer:225"},
        {[](PsdBuilder& p) {
             p.layers.push_back(PsdLayer(0, 0, 1, 1));
             p.layers[0].signature = "8BIX";
         },
         "ImageLoaderPSD::ScanLayerInfo:271"},
    };
    for (const Case& c : cases) {
        PsdBuilder psd;
        psd.planes.assign(3, Bytes{0});
        c.change(psd);
        EXPECT_EQ(ScanTag(psd.Build()), c.tag);
    }
}

// Lengths and counts that the file cannot back are refused before anything is sized by them.
TEST(PsdScan, LengthsAndCountsBeyondTheFileAreRefused)
{
    struct Case {
        void (*change)(PsdBuilder&);
        const char* tag;
    };
    const Case cases[] = {
        {[](PsdBuilder& p) { p.colorMode = 2; p.colorModeDataLength = 768; }, "ImageLoaderPSD::Scan:130"},
        {[](PsdBuilder& p) { p.resourcesLength = 1000; }, "ImageLoaderPSD::Scan:150"},
        {[](PsdBuilder& p) { p.layerSectionLength = -8; }, "ImageLoaderPSD::Scan:158"},
        {[](PsdBuilder& p) { p.layerSectionLength = 1000; }, "ImageLoaderPSD::Scan:158"},
        {[](PsdBuilder& p) {
             p.compression = test_support::kPsdRle;
             p.height = 0x40000000;
             p.mergedBody = Bytes(64);
         },
         "ImageLoaderPSD::Scan:172"},
        {[](PsdBuilder& p) { p.layerSectionLength = 4; p.mergedBody = Bytes(2); }, "ImageLoaderPSD::ScanLayer:205"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, 0, 1, 1)); p.layerCount = 32767; }, "ImageLoaderPSD::ScanLayer:210"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, 0, 1, 1)); p.layerCount = -32768; }, "ImageLoaderPSD::ScanLayer:210"},
        {[](PsdBuilder& p) {
             p.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(0, {1})));
             p.layers[0].channels[0].length = 1;
         },
         "ImageLoaderPSD::ScanLayer:222"},
        {[](PsdBuilder& p) {
             p.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(0, {1})));
             p.layers[0].channels[0].length = 0x7FFFFFFF;
         },
         "ImageLoaderPSD::ScanLayer:222"},
        {[](PsdBuilder& p) {
             p.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(0, {1})));
             p.layers[0].channels[0].length = -100;
         },
         "ImageLoaderPSD::ScanLayer:222"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0x7FFFFFFF, 0, -2, 1)); }, "ImageLoaderPSD::ScanLayerInfo:255"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, -2, 1, 0x7FFFFFFF)); }, "ImageLoaderPSD::ScanLayerInfo:255"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, 0, 1, 1)); p.layers[0].extraLength = -9; }, "ImageLoaderPSD::ScanLayerInfo:280"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, 0, 1, 1)); p.layers[0].extraLength = 100000; }, "ImageLoaderPSD::ScanLayerInfo:280"},
        {[](PsdBuilder& p) { p.layers.push_back(PsdLayer(0, 0, 1, 1)); p.layers[0].extraLength = 0; }, "ImageLoaderPSD::ScanLayerInfo:285"},
        {[](PsdBuilder& p) {
             p.layers.push_back(PsdLayer(0, 0, 1, 1));
             p.layers[0].name = "abc";
             p.layers[0].extraLength = 4 + 4 + 2;  // the name's bytes run past the record
         },
         "ImageLoaderPSD::ScanLayerInfo:285"},
    };
    for (const Case& c : cases) {
        PsdBuilder psd;
        psd.planes.assign(3, Bytes{0});
        c.change(psd);
        EXPECT_EQ(ScanTag(psd.Build()), c.tag);
    }

    // Files cut inside the header, or just before the merged image's compression.
    EXPECT_EQ(ScanTag(Bytes{'8', 'B', 'P'}), "ImageLoaderPSD::Scan:98");
    EXPECT_EQ(ScanTag(Bytes{'8', 'B', 'P', 'S', 0, 1}), "ImageLoaderPSD::Scan:101");
    Bytes cut = PsdBuilder().Build();
    cut.resize(26);
    EXPECT_EQ(ScanTag(cut), "ImageLoaderPSD::Scan:130");
    cut = PsdBuilder().Build();
    cut.resize(cut.size() - 2);
    EXPECT_EQ(ScanTag(cut), "ImageLoaderPSD::Scan:165");

    // A layer claiming 65535 channels in a file far too short for their table. The record
    // starts after the header (26), three section lengths, the layer information's length and
    // the layer count; its channel count follows the rectangle.
    PsdBuilder psd;
    psd.layers.push_back(PsdLayer(0, 0, 1, 1));
    Bytes file = psd.Build();
    const size_t channelCount = 26 + 4 + 4 + 4 + 4 + 2 + 16;
    ASSERT_EQ(file[channelCount + 1], 0);  // the layer has no channels of its own
    file[channelCount] = file[channelCount + 1] = 0xFF;
    EXPECT_EQ(ScanTag(file), "ImageLoaderPSD::ScanLayerInfo:260");
}

TEST(PsdScan, WhatTheDocumentAndItsLayersSayOfThemselves)
{
    using test_support::ByteWriter;
    using test_support::ImageResource;
    using test_support::LayerBlock;
    PsdBuilder psd = OneLayer({0, 1, 2});
    // 300 pixels per inch across, shown per centimetre; 150 down; then the layer comps.
    psd.resources = ImageResource(
        1005, ByteWriter().U32(300 << 16).U16(2).U16(1).U32(150 << 16).U16(1).U16(1).Data());
    const Bytes comps = ImageResource(1065, Bytes(6, 0xCD));
    psd.resources.insert(psd.resources.end(), comps.begin(), comps.end());
    Bytes& blocks = psd.layers[0].additional;
    for (const Bytes& block : {LayerBlock("lyid", ByteWriter().U32(4242).Data()),
                               LayerBlock("lspf", ByteWriter().U32(0x80000005u).Data()),
                               LayerBlock("lclr", ByteWriter().U16(5).Zeros(6).Data()),
                               LayerBlock("TySh", Bytes(8, 0x77))})
        blocks.insert(blocks.end(), block.begin(), block.end());
    Reader reader(psd.Build());

    const sdk::graphic::PsdResolution& resolution = reader.psd.Resolution();
    EXPECT_TRUE(resolution.present);
    EXPECT_EQ(300, resolution.horizontal);
    EXPECT_EQ(150, resolution.vertical);
    EXPECT_EQ(2, resolution.horizontalUnit);
    EXPECT_EQ(6, reader.psd.LayerCompsResource().length);
    const sdk::graphic::PsdLayerProperties& layer = reader.psd.LayerRecord(0).properties;
    EXPECT_TRUE(layer.hasLayerId);
    EXPECT_EQ(4242u, layer.layerId);
    EXPECT_EQ(0x80000005u, layer.locks);
    EXPECT_EQ(5, layer.colorLabel);
    EXPECT_EQ(sdk::graphic::PsdLayerProperties::Kind::Type, layer.kind);
    // A describing block is read as a drawing block is.
    std::vector<uint8_t> text;
    ASSERT_TRUE(reader.psd.LayerBlock(0, "TySh", text));
    EXPECT_EQ(Bytes(8, 0x77), text);

    // Without them: no id, nothing locked, no label, no resolution, no comps.
    Reader plain(OneLayer({0, 1, 2}).Build());
    EXPECT_FALSE(plain.psd.Resolution().present);
    EXPECT_EQ(0, plain.psd.LayerCompsResource().length);
    EXPECT_FALSE(plain.psd.LayerRecord(0).properties.hasLayerId);
    EXPECT_EQ(0u, plain.psd.LayerRecord(0).properties.locks);
}
