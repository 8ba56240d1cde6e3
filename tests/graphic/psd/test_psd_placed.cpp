// Placed layers (smart objects): the records of the files a document embeds or links to, read
// without their data and copied in pieces, damaged records left aside without refusing the
// document; and the placement blocks that put a file on a layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdPlacedLayer.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"

using sdk::graphic::PsdLinkedFile;
using sdk::graphic::PsdPlacement;
using test_support::Bytes;
using test_support::LayerBlock;
using test_support::LinkedFileRecord;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

const std::vector<double> kCorners = {1, 2, 9, 2, 9, 7.5, 1, 7.5};

LinkedFileRecord Embedded(const std::string& id, const std::u16string& name, const Bytes& data)
{
    LinkedFileRecord record;
    record.id = id;
    record.name = name;
    record.data = data;
    return record;
}

LinkedFileRecord Linked(const std::string& id, const std::u16string& name, const std::string& path)
{
    LinkedFileRecord record;
    record.type = "liFE";
    record.version = 5;
    record.id = id;
    record.name = name;
    record.fullPath = path;
    return record;
}

Bytes Joined(const std::vector<Bytes>& parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

Bytes Records(const std::vector<LinkedFileRecord>& records)
{
    Bytes bytes;
    for (const LinkedFileRecord& record : records) {
        const Bytes one = record.Build();
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

// A 2 x 2 document with one layer (carrying blocks) and the given blocks after its layers.
PsdBuilder Document(const Bytes& globalBlocks, const Bytes& layerBlocks = {})
{
    PsdBuilder psd;
    psd.width = psd.height = 2;
    psd.planes = {Bytes(4, 10), Bytes(4, 20), Bytes(4, 30)};
    PsdLayer layer(0, 0, 2, 2);
    for (int16_t id : {0, 1, 2})
        layer.Add(RawChannel(id, Bytes(4, 7)));
    layer.additional = layerBlocks;
    psd.layers.push_back(layer);
    psd.globalBlocks = globalBlocks;
    return psd;
}

Bytes Copied(Reader& reader, const PsdLinkedFile& file)
{
    Bytes copy(static_cast<size_t>(file.dataLength) + 1, 0xEE);
    sdk::stream::memory_out out(copy.data(), static_cast<int32_t>(copy.size()));
    reader.psd.CopyLinkedFile(file, out);
    copy.pop_back();
    return copy;
}

}  // namespace

TEST(PsdLinkedFiles, RecordsOfEveryBlockAreReadAndEmbeddedFilesCopiedAsStored)
{
    // More than one piece of the copy, and not a whole number of them.
    Bytes large((1 << 20) + (1 << 19) + 3);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<uint8_t>(i * 7 % 251);
    LinkedFileRecord psb = Embedded("id-2", u"Shape 1", Bytes{'8', 'B', 'P', 'B', 0, 2});
    psb.fileType = "8BPB";
    psb.version = 2;
    const Bytes blocks =
        Joined({LayerBlock("lnk2", Records({Embedded("id-1", u"logo \u00e9.png", large), psb})),
                LayerBlock("lnkE", Records({Linked("id-3", u"far.png", "file:///art/far.png")}))});
    Reader reader(Document(blocks).Build());
    const std::vector<PsdLinkedFile>& files = reader.psd.LinkedFiles();
    ASSERT_EQ(3u, files.size());
    EXPECT_EQ("", reader.psd.LinkedFilesDamage());

    EXPECT_EQ("id-1", files[0].id);
    EXPECT_EQ(u"logo \u00e9.png", files[0].name);
    EXPECT_EQ("png ", std::string(files[0].type, 4));
    EXPECT_EQ("8BIM", std::string(files[0].creator, 4));
    EXPECT_TRUE(files[0].embedded);
    EXPECT_EQ(static_cast<int64_t>(large.size()), files[0].dataLength);
    EXPECT_EQ(large, Copied(reader, files[0]));

    EXPECT_EQ("8BPB", std::string(files[1].type, 4));
    EXPECT_EQ(Bytes({'8', 'B', 'P', 'B', 0, 2}), Copied(reader, files[1]));

    EXPECT_FALSE(files[2].embedded);
    EXPECT_EQ(u"file:///art/far.png", files[2].externalPath);
    EXPECT_EQ(1234, files[2].externalSize);
    EXPECT_EQ(&files[2], reader.psd.FindLinkedFile("id-3"));
    EXPECT_EQ(nullptr, reader.psd.FindLinkedFile("id-4"));
    // A linked file has no bytes in the document to copy.
    EXPECT_EQ("ImageLoaderPSD::LinkedFile:660", TagOf([&] { Copied(reader, files[2]); }));
}

TEST(PsdLinkedFiles, FieldsBeyondTheUsualBytesAreReadAllTheSame)
{
    // A name of 80 000 bytes pushes the data past the first bytes the reader takes.
    const std::u16string name(40000, u'n');
    Reader reader(
        Document(LayerBlock("lnk2", Records({Embedded("long", name, {5, 6, 7})}))).Build());
    ASSERT_EQ(1u, reader.psd.LinkedFiles().size());
    EXPECT_EQ(name, reader.psd.LinkedFiles()[0].name);
    EXPECT_EQ(Bytes({5, 6, 7}), Copied(reader, reader.psd.LinkedFiles()[0]));
}

TEST(PsdLinkedFiles, LargeDocumentsGiveTheLinkedBlocksEightByteLengths)
{
    // "lnk2", "lnk3" and "lnkE" are widened in the large document format; "lnkD" is not.
    PsdBuilder psd = Document(Joined({
        LayerBlock("lnk2", Records({Embedded("a", u"a.png", {1})}), true),
        LayerBlock("lnk3", Records({Embedded("b", u"b.png", {2})}), true),
        LayerBlock("lnkD", Records({Embedded("c", u"c.png", {3})})),
        LayerBlock("lnkE", {}, true),
        LayerBlock("Patt", {}),
    }));
    psd.version = 2;
    Reader reader(psd.Build(), true);
    ASSERT_EQ(3u, reader.psd.LinkedFiles().size());
    EXPECT_EQ("c", reader.psd.LinkedFiles()[2].id);
    EXPECT_EQ(1u, reader.psd.PatternBlocks().size());
}

TEST(PsdLinkedFiles, DamagedRecordsAreLeftAsideWithTheRecordsBeforeThemKept)
{
    const LinkedFileRecord good = Embedded("good", u"good.png", {1, 2, 3});
    LinkedFileRecord cut = Embedded("cut", u"cut.png", {});
    cut.length = 20;  // ends inside the name
    LinkedFileRecord beyond = Embedded("beyond", u"b.png", {});
    beyond.length = 4096;  // more than its block holds
    LinkedFileRecord overData = Embedded("over", u"o.png", {4});
    overData.dataLength = 100;
    LinkedFileRecord unknown = Embedded("odd", u"o.png", {});
    unknown.type = "liFX";
    const struct {
        LinkedFileRecord record;
        const char* tag;
    } cases[] = {
        {beyond, "ImageLoaderPSD::LinkedFile:600"},
        {cut, "ImageLoaderPSD::LinkedFile:610"},
        {unknown, "ImageLoaderPSD::LinkedFile:620"},
        {overData, "ImageLoaderPSD::LinkedFile:630"},
    };
    for (const auto& entry : cases) {
        // The damage ends its block, not the blocks after it, and never the document.
        const Bytes blocks =
            Joined({LayerBlock("lnk2", Records({good, entry.record, good})),
                    LayerBlock("lnkE", Records({Linked("far", u"far.png", "/far.png")}))});
        const Bytes file = Document(blocks).Build();
        Reader reader(file);
        EXPECT_EQ(entry.tag, reader.psd.LinkedFilesDamage());
        ASSERT_EQ(2u, reader.psd.LinkedFiles().size()) << entry.tag;
        EXPECT_EQ("good", reader.psd.LinkedFiles()[0].id);
        EXPECT_EQ("far", reader.psd.LinkedFiles()[1].id);
        EXPECT_EQ(Bytes({30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10}),
                  test_support::MergedRaster(file));
        EXPECT_FALSE(sdk::graphic::PsdLinkedFileDamage(entry.tag).empty());
    }
}

TEST(PsdPlacement, EachBlockGivesTheFileAndItsCorners)
{
    const Bytes described = test_support::PlacementBlock("id-1", kCorners, 8, 5.5);
    for (const char* key : {"SoLd", "SoLE"}) {
        const PsdPlacement placement = sdk::graphic::ReadPsdPlacement(
            {key[0], key[1], key[2], key[3]}, described.data(), described.size());
        EXPECT_EQ("id-1", placement.id);
        EXPECT_EQ("id-1-placed", placement.placedId);
        EXPECT_EQ(std::vector<double>(kCorners),
                  std::vector<double>(placement.corners, placement.corners + 8));
        EXPECT_DOUBLE_EQ(8, placement.width);
        EXPECT_DOUBLE_EQ(5.5, placement.height);
        EXPECT_DOUBLE_EQ(72, placement.resolution);
        EXPECT_EQ(2, placement.type);
    }
    // The older block: its size from the warp's bounds.
    const Bytes legacy = test_support::LegacyPlacementBlock("id-2", kCorners, 8, 5.5);
    const PsdPlacement placement =
        sdk::graphic::ReadPsdPlacement({'P', 'l', 'L', 'd'}, legacy.data(), legacy.size());
    EXPECT_EQ("id-2", placement.id);
    EXPECT_EQ(7.5, placement.corners[5]);
    EXPECT_DOUBLE_EQ(8, placement.width);
    EXPECT_DOUBLE_EQ(5.5, placement.height);

    // A layer with both takes the newer; a layer with neither is no placed layer.
    Reader reader(
        Document({}, Joined({LayerBlock("PlLd", legacy), LayerBlock("SoLd", described)})).Build());
    PsdPlacement read;
    ASSERT_TRUE(sdk::graphic::ReadPsdLayerPlacement(reader.psd, 0, read));
    EXPECT_EQ("id-1", read.id);
    Reader plain(Document({}).Build());
    EXPECT_FALSE(sdk::graphic::ReadPsdLayerPlacement(plain.psd, 0, read));
}

TEST(PsdPlacement, DamagedBlocksRaiseTheirTags)
{
    auto tag = [](const char(&key)[4], const Bytes& data) {
        return TagOf([&] { sdk::graphic::ReadPsdPlacement(key, data.data(), data.size()); });
    };
    const Bytes described = test_support::PlacementBlock("id", kCorners, 8, 5);
    Bytes otherVersion = described;
    otherVersion[7] = 9;
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:600", tag({'T', 'y', 'S', 'h'}, described));
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:600", tag({'S', 'o', 'L', 'd'}, otherVersion));
    const Bytes legacy = test_support::LegacyPlacementBlock("id", kCorners, 8, 5);
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:610",
              tag({'P', 'l', 'L', 'd'}, Bytes(legacy.begin(), legacy.begin() + 40)));
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:620",
              tag({'S', 'o', 'L', 'd'}, Bytes(described.begin(), described.end() - 9)));
    // Corners that are not four points, and no file named.
    const Bytes three = test_support::PlacementBlock("id", {1, 2, 3, 4, 5, 6}, 8, 5);
    const Bytes nameless = test_support::PlacementBlock("", kCorners, 8, 5);
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:630", tag({'S', 'o', 'L', 'd'}, three));
    EXPECT_EQ("ImageLoaderPSD::PlacedLayer:630", tag({'S', 'o', 'L', 'd'}, nameless));
}
