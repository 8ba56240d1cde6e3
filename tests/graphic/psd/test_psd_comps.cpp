// Layer comps: the document's list of them, a layer's records, what applying a comp changes of the
// layer records, and damaged comps left aside instead of refusing the document.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"

using sdk::graphic::ImageLoaderPSD;
using sdk::graphic::PsdLayerComp;
using sdk::graphic::PsdLayerCompRecord;
using sdk::graphic::PsdLayerProperties;
using test_support::Bytes;
using test_support::ByteWriter;
using test_support::DescriptorWriter;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

const char kCompsDamaged[] = "ImageLoaderPSD::LayerComps:710";
const char kRecordsDamaged[] = "ImageLoaderPSD::LayerComps:720";

DescriptorWriter Comp(const std::u16string& name, int32_t id, int32_t captured)
{
    return DescriptorWriter("Comp")
        .Text("Nm  ", name)
        .Long("compID", id)
        .Long("capturedInfo", captured);
}

Bytes CompsResource(const std::vector<DescriptorWriter>& comps)
{
    return test_support::ImageResource(
        1065, DescriptorWriter("CompList").List("list", comps).Versioned());
}

DescriptorWriter Point(double x, double y)
{
    return DescriptorWriter("Pnt ").Double("Hrzn", x).Double("Vrtc", y);
}

// The "cmls" item's data: the records of a layer.
Bytes Records(const std::vector<DescriptorWriter>& settings)
{
    return DescriptorWriter().Long("LyrI", 1).List("layerSettings", settings).Versioned();
}

// 8 x 4: layer 0 (2 x 2 at 1, 1, with a pixel mask, a vector mask and an effects block) recorded
// by the comps 11 to 14; layer 1 without records.
//   11 "Moved" (visibility, position): hidden, 2 right and 1 up.
//   12 "Kept" (position): hidden, which it did not capture.
//   13 "Faded" (appearance): 50 % opacity, 25 % fill, multiply, no style.
//   14 "Stylé" (all): screen, a style of its own.
PsdBuilder Document(const Bytes& metadata, const Bytes& resources)
{
    PsdBuilder psd;
    psd.width = 8;
    psd.height = 4;
    psd.resources = resources;
    PsdLayer layer(1, 1, 3, 3);
    for (int16_t id : {0, 1, 2})
        layer.Add(RawChannel(id, Bytes(4, 9)));
    layer.Add(RawChannel(-2, Bytes(4, 255)));
    // The mask's rectangle (top, left, bottom, right), default colour, flags.
    layer.mask = ByteWriter().U32(1).U32(1).U32(3).U32(3).U8(0).U8(0).U16(0).Data();
    // One closed subpath of one knot at (0.25, 0.5) of the document.
    ByteWriter path;
    path.U32(3).U32(0).U16(0).U16(1).Zeros(22).U16(1);
    for (int i = 0; i < 3; ++i)
        path.U32(0x800000).U32(0x400000);
    const Bytes effects = ByteWriter().U32(0).Append(DescriptorWriter().Versioned()).Data();
    for (const Bytes& block : {test_support::LayerBlock("vmsk", path.Data()),
                               test_support::LayerBlock("lfx2", effects), metadata})
        layer.additional.insert(layer.additional.end(), block.begin(), block.end());
    psd.layers.push_back(layer);
    PsdLayer plain(0, 0, 1, 1);
    for (int16_t id : {0, 1, 2})
        plain.Add(RawChannel(id, Bytes(1, 5)));
    psd.layers.push_back(plain);
    return psd;
}

Bytes Metadata()
{
    const Bytes records = Records({
        DescriptorWriter().Longs("compList", {11, 12}).Bool("enab", false),
        DescriptorWriter().Longs("compList", {11}).Object("Ofst", Point(2, -1)),
        DescriptorWriter()
            .Longs("compList", {13})
            .Object("blendOptions", DescriptorWriter()
                                        .Unit("Opct", "#Prc", 50)
                                        .Unit("fillOpacity", "#Prc", 25)
                                        .Enum("Md  ", "BlnM", "Mltp")),
        DescriptorWriter()
            .Longs("compList", {14})
            .Object("blendOptions", DescriptorWriter().Enum("Md  ", "BlnM", "Scrn"))
            .Object("Lefx", DescriptorWriter().Bool("masterFXSwitch", false)),
    });
    // Another item before the comps' one.
    return test_support::MetadataBlock({{"cust", Bytes(6, 1)}, {"cmls", records}});
}

Bytes Comps()
{
    return CompsResource({Comp(u"Moved", 11, 3), Comp(u"Kept", 12, 2),
                          Comp(u"Faded", 13, 4).Text("comment", u"half"),
                          Comp(u"Styl\u00e9", 14, 7)});
}

bool HasBlock(const PsdLayerProperties& properties, const char* key)
{
    for (const sdk::graphic::PsdBlockPlace& place : properties.drawingBlocks) {
        if (std::memcmp(place.key, key, 4) == 0)
            return true;
    }
    return false;
}

}  // namespace

TEST(PsdComps, TheDocumentsCompsAndALayersRecordsAreRead)
{
    Reader reader(Document(Metadata(), Comps()).Build());
    const std::vector<PsdLayerComp>& comps = reader.psd.LayerComps();
    ASSERT_EQ(4u, comps.size());
    EXPECT_EQ(11, comps[0].id);
    EXPECT_TRUE(comps[0].visibility && comps[0].position && !comps[0].appearance);
    EXPECT_TRUE(!comps[2].visibility && !comps[2].position && comps[2].appearance);
    EXPECT_EQ(u"half", comps[2].comment);
    EXPECT_EQ(u"Styl\u00e9", comps[3].name);
    EXPECT_EQ("", reader.psd.LayerCompsDamage());

    // Past the item before them; the comps of each record.
    const std::vector<PsdLayerCompRecord> records = reader.psd.LayerCompRecords(0);
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(std::vector<int32_t>({11, 12}), records[0].comps);
    EXPECT_TRUE(reader.psd.LayerCompRecords(1).empty());
}

TEST(PsdComps, ACompChangesWhatItCapturedOfTheLayersItRecords)
{
    const Bytes file = Document(Metadata(), Comps()).Build();
    Reader moved(file);
    EXPECT_TRUE(moved.psd.ApplyLayerComp(11).empty());
    const ImageLoaderPSD::info_t& layer = moved.psd.LayerRecord(0);
    EXPECT_FALSE(layer.properties.visible);
    EXPECT_EQ(3, layer.x);
    EXPECT_EQ(0, layer.y);
    EXPECT_EQ(3, layer.properties.mask.x);  // the mask moves with the layer
    EXPECT_EQ(0, layer.properties.mask.y);
    const sdk::graphic::PsdPathPoint& anchor =
        layer.properties.vectorMask.subpaths.at(0).knots.at(0).anchor;
    EXPECT_DOUBLE_EQ(0.5, anchor.x);           // 0.25 + 2 / 8
    EXPECT_DOUBLE_EQ(0.25, anchor.y);          // 0.5 - 1 / 4
    EXPECT_TRUE(layer.properties.hasEffects);  // appearance not captured
    // The layer without records stays; so does the group structure's measure of it.
    EXPECT_EQ(0, moved.psd.LayerRecord(1).x);
    EXPECT_TRUE(moved.psd.LayerRecord(1).properties.visible);
    EXPECT_EQ(3, moved.psd.LayerTree().children.at(0).area.left);

    // Visibility that the comp did not capture is not applied.
    Reader kept(file);
    kept.psd.ApplyLayerComp(12);
    EXPECT_TRUE(kept.psd.LayerRecord(0).properties.visible);
    EXPECT_EQ(1, kept.psd.LayerRecord(0).x);

    // Appearance without a style takes the effects away; a style of its own takes the place of
    // the effects block.
    Reader faded(file), styled(file);
    faded.psd.ApplyLayerComp(13);
    styled.psd.ApplyLayerComp(14);
    const PsdLayerProperties& plain = faded.psd.LayerRecord(0).properties;
    const PsdLayerProperties& style = styled.psd.LayerRecord(0).properties;
    EXPECT_EQ(64, plain.fillOpacity);
    EXPECT_EQ("mul ", std::string(plain.blendKey, 4));
    EXPECT_EQ("scrn", std::string(style.blendKey, 4));
    EXPECT_TRUE(!plain.hasEffects && !plain.compEffects && style.hasEffects && style.compEffects);
    EXPECT_FALSE(HasBlock(plain, "lfx2") || HasBlock(style, "lfx2"));

    EXPECT_EQ("ImageLoaderPSD::ApplyLayerComp:730",
              TagOf([&] { Reader(file).psd.ApplyLayerComp(99); }));
}

TEST(PsdComps, DamagedCompsAreLeftAsideAndNamedNotRaised)
{
    // The list: of another descriptor version, or cut short.
    Bytes wrongVersion = DescriptorWriter("CompList").List("list", {Comp(u"A", 1, 1)}).Versioned();
    wrongVersion[3] = 15;
    Bytes cut = DescriptorWriter("CompList").List("list", {Comp(u"A", 1, 1)}).Versioned();
    cut.resize(cut.size() - 3);
    for (const Bytes& list : {wrongVersion, cut}) {
        Reader reader(Document(Metadata(), test_support::ImageResource(1065, list)).Build());
        EXPECT_TRUE(reader.psd.LayerComps().empty());
        EXPECT_EQ(kCompsDamaged, reader.psd.LayerCompsDamage());
        EXPECT_EQ(2, reader.psd.LayerCount());
    }

    // A layer's records: cut short, an item longer than the block, another version, a move
    // farther than any document reaches.
    // In a metadata block the count of items lies at 12, the first item's length at 28.
    auto patched = [](Bytes bytes, size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
        return bytes;
    };
    const Bytes records = Records({DescriptorWriter().Longs("compList", {11}).Bool("enab", false)});
    const Bytes block = test_support::MetadataBlock({{"cust", Bytes(4, 0)}});
    const Bytes shortened = patched(block, 12, 2);
    const Bytes longer = patched(test_support::MetadataBlock({{"cmls", records}}), 28,
                                 static_cast<uint32_t>(records.size() + 9));
    Bytes version = records;
    version[3] = 17;
    const Bytes far =
        Records({DescriptorWriter().Longs("compList", {11}).Object("Ofst", Point(1e9, 0))});
    for (const Bytes& metadata :
         {shortened, longer, test_support::MetadataBlock({{"cmls", version}}),
          test_support::MetadataBlock({{"cmls", far}})}) {
        Reader reader(Document(metadata, Comps()).Build());
        EXPECT_EQ(kRecordsDamaged, TagOf([&] { reader.psd.LayerCompRecords(0); }));
        const std::vector<sdk::graphic::PsdLayerCompDamage> damage = reader.psd.ApplyLayerComp(11);
        ASSERT_EQ(1u, damage.size());
        EXPECT_EQ(0, damage[0].layer);
        EXPECT_EQ(kRecordsDamaged, damage[0].tag);
        EXPECT_TRUE(reader.psd.LayerRecord(0).properties.visible);
        EXPECT_EQ(1, reader.psd.LayerRecord(0).x);
    }
}
