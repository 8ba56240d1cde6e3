// The PSD reader's images opened at a row: from there on the rows and errors of the source opened
// at the top, for every compression, depth and colour mode, for sound and damaged channels; and
// which images open at any row cheaply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"
#include "support/RowsFromRow.h"

using test_support::Bytes;
using test_support::EveryRow;
using test_support::PatternPlane;
using test_support::PsdChannel;
using test_support::PsdLayer;
using test_support::RleRowsChannel;
using Reader = test_support::PsdReader;

namespace {

struct Kind {
    const char* name;
    uint16_t colorMode, colours, depth, version;
    uint16_t merged, layer;  // compressions: the merged image's; the layer's and its mask's
};

// A document of the kind, 6 x 9, whose layer at (1, 2) of 4 x 7 has transparency and a mask of
// 5 rows at (3, 0).
Bytes Build(const Kind& kind)
{
    const int32_t sampleBytes = kind.depth / 8;
    const int countSize = kind.version == 2 ? 4 : 2;
    auto samples = [&](int32_t width, int32_t height, int32_t seed) {
        const Bytes plane = PatternPlane(width, height, seed);
        return sampleBytes == 2 ? test_support::Widen16(plane) : plane;
    };
    auto channel = [&](int16_t id, int32_t width, int32_t height, int32_t seed) {
        return test_support::CompressedChannel(id, kind.layer, samples(width, height, seed),
                                               width * sampleBytes, countSize);
    };
    test_support::PsdBuilder psd;
    psd.version = kind.version;
    psd.colorMode = kind.colorMode;
    psd.channels = kind.colours;
    psd.depth = kind.depth;
    psd.width = 6;
    psd.height = 9;
    psd.compression = kind.merged;
    for (int32_t c = 0; c < kind.colours; ++c)
        psd.planes.push_back(samples(6, 9, c));
    psd.layerBlock = kind.depth == 16 ? "Lr16" : "";
    PsdLayer layer(1, 2, 8, 6);
    for (int16_t id = -1; id < kind.colours; ++id)
        layer.Add(channel(id, 4, 7, id + 5));
    layer.mask = test_support::ByteWriter().I32(3).I32(0).I32(8).I32(6).U32(0).Data();
    layer.Add(channel(-2, 6, 5, 9));
    psd.layers.push_back(layer);
    return psd.Build();
}

// A gray document of one layer, 3 wide and 6 tall, of these channels.
Bytes GrayLayer(const std::vector<PsdChannel>& channels)
{
    test_support::PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 1;
    psd.planes.assign(1, Bytes{0});
    psd.layers.push_back(PsdLayer(0, 0, 6, 3));
    psd.layers[0].channels = channels;
    return psd.Build();
}

// PackBits rows: a literal of three bytes (full), of one (short).
Bytes Full(uint8_t value)
{
    return {0x02, value, static_cast<uint8_t>(value + 1), static_cast<uint8_t>(value + 2)};
}
Bytes Short(uint8_t value)
{
    return {0x00, value};
}

}  // namespace

TEST(PsdRowsAtRow, EveryImageOpenedAtARowGivesTheRowsOfTheOneOpenedAtTheTop)
{
    using test_support::kPsdRaw;
    using test_support::kPsdRle;
    using test_support::kPsdZip;
    const Kind kinds[] = {
        {"gray raw", 1, 1, 8, 1, kPsdRaw, kPsdRaw},
        {"RGB PackBits", 3, 3, 8, 1, kPsdRle, kPsdRle},
        {"RGB PackBits, large format", 3, 3, 8, 2, kPsdRle, kPsdRle},
        {"CMYK ZIP", 4, 4, 8, 1, kPsdRle, kPsdZip},
        {"RGB 16-bit PackBits", 3, 3, 16, 1, kPsdRle, kPsdRle},
        {"gray 16-bit ZIP", 1, 1, 16, 1, kPsdRaw, kPsdZip},
    };
    for (const Kind& kind : kinds) {
        Reader reader(Build(kind), true);
        sdk::graphic::ImageLoaderPSD& psd = reader.psd;
        const std::string name = kind.name;
        test_support::ExpectSameFromRows([&](int32_t row) { return psd.Rows(row); }, EveryRow(9),
                                         name);
        test_support::ExpectSameFromRows([&](int32_t row) { return psd.LayerRows(0, row); },
                                         EveryRow(7), name);
        test_support::ExpectSameFromRows([&](int32_t row) { return psd.LayerMaskRows(0, row); },
                                         EveryRow(5), name + " mask");
        test_support::ExpectSameFromRows([&](int32_t row) { return psd.Rows16(row); }, EveryRow(9),
                                         name + " 16");
        test_support::ExpectSameFromRows([&](int32_t row) { return psd.LayerRows16(0, row); },
                                         EveryRow(7), name + " 16");
        // Only ZIP data has to be inflated from its start.
        EXPECT_TRUE(psd.OpensAtAnyRow(-1)) << name;
        EXPECT_EQ(psd.OpensAtAnyRow(0), kind.layer != kPsdZip) << name;
        EXPECT_EQ(psd.MaskOpensAtAnyRow(0), kind.layer != kPsdZip) << name;
        EXPECT_EQ(test_support::TagOf([&] { psd.LayerRows(0, 8); }),
                  "PsdImageRows::PsdImageRows:70");
        EXPECT_EQ(test_support::TagOf([&] { psd.Rows(-1); }), "PsdImageRows::PsdImageRows:70");
    }
}

TEST(PsdRowsAtRow, ShortRowsKeepWhatTheRowsBeforeThemLeftWhereverTheSourceStarts)
{
    // Gray rows that decode short keep the bytes of the rows before them: of a full row some
    // rows up, or of the transparency's last row when none is full (rows 0 and 1), or of a gray
    // channel that a later one hides.
    const std::vector<Bytes> gray = {Short(1), Short(2), Full(3), Short(4), Short(5), Full(6)};
    const PsdChannel alpha = RleRowsChannel(-1, std::vector<Bytes>(6, Full(200)));
    const PsdChannel hidden = test_support::RawChannel(0, PatternPlane(3, 6, 1));
    Reader reader(GrayLayer({alpha, RleRowsChannel(0, gray)}));
    Reader hiding(GrayLayer({alpha, hidden, RleRowsChannel(0, gray)}));
    for (Reader* layer : {&reader, &hiding}) {
        test_support::ExpectSameFromRows([&](int32_t row) { return layer->psd.LayerRows(0, row); },
                                         EveryRow(6), "short rows");
    }
    // Rows 1 and 4 as the whole image decodes them (alpha, gray): gray 2 over the
    // transparency's last row, gray 5 over 4 over row 2.
    auto rows = [&](int32_t row) { return reader.psd.LayerRows(0, row); };
    EXPECT_EQ(test_support::RowsFrom(rows, 1).rows[0], (Bytes{200, 2, 201, 201, 202, 202}));
    EXPECT_EQ(test_support::RowsFrom(rows, 4).rows[0], (Bytes{200, 5, 201, 4, 202, 5}));
    // A hidden channel is decoded whole at every opening, for its damage.
    EXPECT_TRUE(reader.psd.OpensAtAnyRow(0));
    EXPECT_FALSE(hiding.psd.OpensAtAnyRow(0));
}

TEST(PsdRowsAtRow, DamageIsRaisedAtTheSameRowWithTheSameTag)
{
    // A literal longer than the row (":77") and one longer than its data (":42").
    const Bytes overrun = {0x04, 1, 2, 3, 4, 5};
    const Bytes cut = {0x02, 1};
    const std::vector<std::vector<PsdChannel>> layers = {
        // The transparency, first in the file, damaged at row 4; gray at row 2: the whole-image
        // order meets the transparency's damage first, raised from row 2 on.
        {RleRowsChannel(-1, {Full(1), Full(1), Full(1), Full(1), overrun, Full(1)}),
         RleRowsChannel(0, {Full(2), Full(2), cut, Full(2), Full(2), Full(2)})},
        // The other way round: the transparency's damage at row 2 comes first, at row 2.
        {RleRowsChannel(-1, {Full(1), Full(1), overrun, Full(1), Full(1), Full(1)}),
         RleRowsChannel(0, {Full(2), Full(2), Full(2), Full(2), cut, Full(2)})},
        // A short row right at the first row, damage below it.
        {RleRowsChannel(-1, std::vector<Bytes>(6, Full(7))),
         RleRowsChannel(0, {Full(2), Short(3), Short(4), Full(5), cut, Full(6)})},
    };
    for (const std::vector<PsdChannel>& channels : layers) {
        Reader reader(GrayLayer(channels));
        test_support::ExpectSameFromRows([&](int32_t row) { return reader.psd.LayerRows(0, row); },
                                         EveryRow(6), "damaged");
    }
    Reader first(GrayLayer(layers[0]));
    const test_support::RowsGiven at =
        test_support::RowsFrom([&](int32_t row) { return first.psd.LayerRows(0, row); }, 1);
    EXPECT_EQ(at.rows.size(), 1u);
    EXPECT_EQ(at.error, "memory_out::Fill:77");
}
