// The PSD reader's extended reading: the large document format, 16- and 32-bit channels, other
// colour modes, Unicode layer names, and the lengths of all of them checked against the file.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"

using sdk::graphic::ImageInfo;
using test_support::Bytes;
using test_support::LayerRaster;
using test_support::MergedRaster;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::RleChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

std::string ScanTag(const Bytes& file)
{
    return TagOf([&] { Reader reader(file, true); });
}

// A ZIP channel: deflated samples, with prediction at 16 bits (differences of big-endian
// values along each row).
test_support::PsdChannel ZipPredicted16(int16_t id, const std::vector<uint16_t>& samples,
                                        int32_t width)
{
    std::vector<uint16_t> deltas(samples);
    for (size_t i = samples.size(); i-- > 0;) {
        if (i % static_cast<size_t>(width) != 0)
            deltas[i] = static_cast<uint16_t>(samples[i] - samples[i - 1]);
    }
    Bytes raw;
    for (uint16_t value : deltas) {
        raw.push_back(static_cast<uint8_t>(value >> 8));
        raw.push_back(static_cast<uint8_t>(value));
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    test_support::PsdChannel channel;
    channel.id = id;
    channel.compression = 3;
    channel.body = packed;
    return channel;
}

TEST(PsdExtended, TheLargeDocumentFormatReadsItsWideLengthsAndRowCounts)
{
    PsdBuilder psd;
    psd.version = 2;
    psd.width = 3;
    psd.channels = 3;
    psd.compression = test_support::kPsdRle;
    psd.planes = {{10, 10, 10}, {20, 20, 20}, {30, 31, 32}};
    psd.layers.push_back(PsdLayer(0, 0, 1, 2)
                             .Add(RleChannel(0, {1, 2}, 2, 4))
                             .Add(RawChannel(1, {3, 4}))
                             .Add(RleChannel(2, {5, 5}, 2, 4)));
    const Bytes file = psd.Build();
    EXPECT_EQ(MergedRaster(file, true), (Bytes{30, 20, 10, 31, 20, 10, 32, 20, 10}));
    EXPECT_EQ(LayerRaster(file, 0, true), (Bytes{5, 3, 1, 5, 4, 2}));
    // Read as usual, the version is refused.
    EXPECT_EQ(TagOf([&] { Reader reader(file); }), "ImageLoaderPSD::Scan:103");
}

TEST(PsdExtended, AnEightByteLengthBeyondTheFileIsRefused)
{
    PsdBuilder psd;
    psd.version = 2;
    psd.layerSectionLength = int64_t(1) << 40;
    EXPECT_EQ(ScanTag(psd.Build()), "ImageLoaderPSD::Scan:158");

    psd.layerSectionLength.reset();
    psd.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(0, {1})));
    psd.layers[0].channels[0].length = std::numeric_limits<int32_t>::max();
    Bytes file = psd.Build();
    EXPECT_EQ(ScanTag(file), "ImageLoaderPSD::ScanLayer:222");
}

TEST(PsdExtended, SixteenBitSamplesAreRoundedToEightBitsWhereverTheLayersAre)
{
    // 16-bit: v x 255 / 65535 rounded, so 128 -> 0, 129 -> 1, 32767 -> 127, 32896 -> 128.
    const std::vector<uint16_t> samples = {0, 128, 129, 32767, 32896, 65535};
    Bytes plane;
    for (uint16_t value : samples) {
        plane.push_back(static_cast<uint8_t>(value >> 8));
        plane.push_back(static_cast<uint8_t>(value));
    }
    PsdBuilder psd;
    psd.depth = 16;
    psd.colorMode = 1;
    psd.channels = 1;
    psd.width = 6;
    psd.planes = {plane};
    // The layers are kept in an "Lr16" block, their channel ZIP-compressed with prediction.
    psd.layerBlock = "Lr16";
    psd.layers.push_back(PsdLayer(0, 0, 1, 6).Add(ZipPredicted16(0, samples, 6)));
    const Bytes file = psd.Build();
    const Bytes expected = {0, 0, 1, 127, 128, 255};
    EXPECT_EQ(MergedRaster(file, true), expected);
    EXPECT_EQ(LayerRaster(file, 0, true), expected);
    EXPECT_EQ(TagOf([&] { Reader reader(file); }), "ImageLoaderPSD::Scan:123");
}

TEST(PsdExtended, ThirtyTwoBitColourIsEncodedWithTheSrgbCurveAndAlphaScaled)
{
    const std::vector<float> light = {-1.0f, 0.0f, 0.0015f, 0.5f, 1.0f, 2.0f, std::nanf("")};
    PsdBuilder psd;
    psd.depth = 32;
    psd.colorMode = 1;
    psd.channels = 2;
    psd.width = 7;
    psd.planes = {test_support::FloatSamples(light), test_support::FloatSamples(light)};
    // Gray then alpha in each pixel: 0.0015 x 12.92 x 255 = 4.9 -> 5; 0.5 -> 0.735 -> 188.
    EXPECT_EQ(MergedRaster(psd.Build(), true),
              (Bytes{0, 0, 0, 0, 0, 5, 128, 188, 255, 255, 255, 255, 0, 0}));
}

TEST(PsdExtended, CmykAndLabBecomeRgb)
{
    // CMYK, stored as inverted ink: R = C x K / 255 and so on, rounded.
    PsdBuilder cmyk;
    cmyk.colorMode = 4;
    cmyk.channels = 4;
    cmyk.width = 2;
    cmyk.planes = {{255, 100}, {255, 200}, {0, 255}, {255, 128}};
    EXPECT_EQ(MergedRaster(cmyk.Build(), true), (Bytes{0, 255, 255, 128, 100, 50}));

    // Lab: white, black, and a middle gray (L 50 -> sRGB 119).
    PsdBuilder lab;
    lab.colorMode = 9;
    lab.channels = 3;
    lab.width = 3;
    lab.planes = {{255, 0, 128}, {128, 128, 128}, {128, 128, 128}};
    EXPECT_EQ(MergedRaster(lab.Build(), true), (Bytes{255, 255, 255, 0, 0, 0, 119, 119, 119}));
}

namespace {

// Every row of a source of 16-bit samples, one after another.
std::vector<uint16_t> Samples16(sdk::graphic::RowSource& rows)
{
    EXPECT_EQ(rows.SampleBytes(), 2);
    std::vector<uint16_t> samples;
    const size_t count = static_cast<size_t>(rows.Width()) * rows.Channels();
    for (int32_t y = 0; y < rows.Height(); ++y) {
        const uint8_t* row = rows.NextRow();
        std::vector<uint16_t> values(count);
        std::memcpy(values.data(), row, count * sizeof(uint16_t));
        samples.insert(samples.end(), values.begin(), values.end());
    }
    return samples;
}

Bytes BigEndian16(const std::vector<uint16_t>& values)
{
    Bytes bytes;
    for (uint16_t value : values) {
        bytes.push_back(static_cast<uint8_t>(value >> 8));
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

}  // namespace

TEST(PsdExtended, RowsOfSixteenBitsKeepTheSamples)
{
    // 16-bit RGB with alpha: A, B, G, R as stored, in the layer too.
    PsdBuilder rgb;
    rgb.depth = 16;
    rgb.channels = 4;
    rgb.width = 2;
    rgb.planes = {BigEndian16({1, 65535}), BigEndian16({300, 32769}), BigEndian16({4097, 7}),
                  BigEndian16({65535, 0})};
    rgb.layers.push_back(PsdLayer(0, 0, 1, 1)
                             .Add(RawChannel(-1, BigEndian16({40000})))
                             .Add(RawChannel(0, BigEndian16({1})))
                             .Add(RawChannel(1, BigEndian16({2})))
                             .Add(RawChannel(2, BigEndian16({3}))));
    Reader reader(rgb.Build(), true);
    EXPECT_EQ(Samples16(*reader.psd.Rows16()),
              (std::vector<uint16_t>{65535, 4097, 300, 1, 0, 7, 32769, 65535}));
    EXPECT_EQ(Samples16(*reader.psd.LayerRows16(0)), (std::vector<uint16_t>{40000, 3, 2, 1}));

    // 32-bit gray: light on sRGB's curve (0.5 -> 0.73536 x 65535 = 48191.6), alpha scaled.
    PsdBuilder deep;
    deep.depth = 32;
    deep.colorMode = 1;
    deep.channels = 2;
    deep.planes = {test_support::FloatSamples({0.5f}), test_support::FloatSamples({0.5f})};
    Reader deepReader(deep.Build(), true);
    EXPECT_EQ(Samples16(*deepReader.psd.Rows16()), (std::vector<uint16_t>{32768, 48192}));

    // CMYK by the formula at 16 bits, Lab to sRGB: white, and a middle gray close to 119 x 257.
    PsdBuilder cmyk;
    cmyk.depth = 16;
    cmyk.colorMode = 4;
    cmyk.channels = 4;
    cmyk.width = 2;
    cmyk.planes = {BigEndian16({65535, 1000}), BigEndian16({65535, 65535}),
                   BigEndian16({0, 65535}), BigEndian16({65535, 32768})};
    Reader cmykReader(cmyk.Build(), true);
    EXPECT_EQ(Samples16(*cmykReader.psd.Rows16()),
              (std::vector<uint16_t>{0, 65535, 65535, 32768, 32768, 500}));
    PsdBuilder lab;
    lab.depth = 16;
    lab.colorMode = 9;
    lab.channels = 3;
    lab.width = 2;
    lab.planes = {BigEndian16({65535, 32896}), BigEndian16({32896, 32896}),
                  BigEndian16({32896, 32896})};
    Reader labReader(lab.Build(), true);
    const std::vector<uint16_t> labSamples = Samples16(*labReader.psd.Rows16());
    ASSERT_EQ(labSamples.size(), 6u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(labSamples[i], 65535, 2);
        EXPECT_NEAR(labSamples[3 + i], 119 * 257, 257);
    }
}

TEST(PsdExtended, ALayerTakesItsUnicodeName)
{
    PsdBuilder psd;
    psd.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(0, {1})));
    psd.layers[0].name = "Fon";
    psd.layers[0].additional = test_support::UnicodeNameBlock(u"\u0424\u043E\u043D");
    const Bytes file = psd.Build();
    ImageInfo info;
    Reader extended(file, true);
    extended.psd.LayerInfo(0, info);
#ifdef _WIN32
    EXPECT_EQ(info.title, "\x84\x55\x84\x80\x84\x7E");  // code page 932
#else
    EXPECT_EQ(info.title, "\xD0\xA4\xD0\xBE\xD0\xBD");
#endif
    Reader standard(file);
    standard.psd.LayerInfo(0, info);
    EXPECT_EQ(info.title, "Fon");

    // A name block longer than its record.
    psd.layers[0].additional[11] = 0x7F;
    EXPECT_EQ(ScanTag(psd.Build()), "ImageLoaderPSD::ScanLayerInfo:290");
}

}  // namespace
