// The PSD reader's decode: channel placement, PackBits rows, and files whose channel data the
// file does not hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "stream/StreamFile.h"
#include "support/ErrorTag.h"
#include "support/FileLikeStream.h"
#include "support/PsdBuilder.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/PsdReader.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;
using sdk::graphic::ImageLoaderPSD;
using test_support::Bytes;
using test_support::ImageResource;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::RleChannel;
using test_support::RleRowsChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

Bytes Merged(const Bytes& file)
{
    return test_support::MergedRaster(file);
}

Bytes Layer(const Bytes& file, int32_t index, int32_t* channels = nullptr)
{
    return test_support::LayerRaster(file, index, false, channels);
}

std::string LayerTag(const Bytes& file, int32_t index = 0)
{
    Reader reader(file);
    Image image;
    return TagOf([&] { reader.psd.LayerLoad(index, image); });
}

// A document of the given mode whose one layer, width x height at (0, 0), has these channels.
Bytes WithLayer(uint16_t mode, int32_t width, int32_t height,
                const std::vector<test_support::PsdChannel>& channels)
{
    PsdBuilder psd;
    psd.colorMode = mode;
    psd.channels = mode == 3 ? 3 : 1;
    psd.planes.assign(psd.channels, Bytes{0});
    if (mode == 2)
        psd.colorModeData = test_support::Palette({}, {}, {});
    PsdLayer layer(0, 0, height, width);
    layer.channels = channels;
    psd.layers.push_back(layer);
    return psd.Build();
}

// The resources the editor writes for one extra channel that is a saved selection, "Alpha 1":
// its name, its Unicode name, its identifier (not 0) and its display information (13 bytes
// after the version: colour space, colour, opacity, kind 0, a selection).
Bytes SavedSelectionResources()
{
    test_support::ByteWriter names, unicode, display;
    names.U8(7).Text("Alpha 1");
    unicode.U32(8);
    for (char c : std::string("Alpha 1"))
        unicode.U16(static_cast<uint8_t>(c));
    unicode.U16(0);
    display.U32(1).U16(0).U16(0xFFFF).Zeros(6).U16(50).U8(0);
    Bytes resources;
    for (const Bytes& block : {ImageResource(1006, names.Data()), ImageResource(1045, unicode.Data()),
                               ImageResource(1053, {0, 0, 0, 2}), ImageResource(1077, display.Data())})
        resources.insert(resources.end(), block.begin(), block.end());
    return resources;
}

}  // namespace

TEST(PsdDecode, MergedRgbBecomesBgrAndTheFourthChannelAlpha)
{
    PsdBuilder psd;
    psd.width = 2;
    psd.planes = {{10, 11}, {20, 21}, {30, 31}};
    EXPECT_EQ(Merged(psd.Build()), (Bytes{30, 20, 10, 31, 21, 11}));
    psd.compression = test_support::kPsdRle;
    EXPECT_EQ(Merged(psd.Build()), (Bytes{30, 20, 10, 31, 21, 11}));

    psd.channels = 5;
    psd.planes.push_back({200, 201});
    psd.planes.push_back({99, 99});  // ignored
    EXPECT_EQ(Merged(psd.Build()), (Bytes{200, 30, 20, 10, 201, 31, 21, 11}));
    psd.compression = test_support::kPsdRaw;
    Reader reader(psd.Build());
    Image image;
    ImageInfo info;
    info.title = "stale";
    reader.psd.Load(image, info);
    EXPECT_EQ(image.Channels(), 4);
    EXPECT_EQ(info.width, 2);
    EXPECT_EQ(info.height, 1);
    EXPECT_EQ(info.title, "");
}

TEST(PsdDecode, AnExtraMergedChannelIsTransparencyOnlyWhereTheDocumentSaysSo)
{
    // 4 x 4 RGB of one layer (a positive layer count) whose fourth merged channel is a saved
    // selection: the merged image has no alpha, with either reading.
    PsdBuilder psd;
    psd.width = psd.height = 4;
    psd.channels = 4;
    psd.planes = {Bytes(16, 10), Bytes(16, 20), Bytes(16, 30), Bytes(16, 0)};
    psd.layers.push_back(PsdLayer(0, 0, 4, 4).Add(RawChannel(0, Bytes(16, 10))));
    psd.resources = SavedSelectionResources();
    Bytes opaque, transparent;
    for (int i = 0; i < 16; ++i) {
        opaque.insert(opaque.end(), {30, 20, 10});
        transparent.insert(transparent.end(), {0, 30, 20, 10});
    }
    EXPECT_EQ(Merged(psd.Build()), opaque);
    EXPECT_EQ(test_support::MergedRaster(psd.Build(), true), opaque);

    // The same channel is the transparency with a negative layer count, with a merged
    // transparency block, with the identifier 0, or where the resources leave it undescribed.
    psd.layerCount = -1;
    EXPECT_EQ(Merged(psd.Build()), transparent);
    psd.layerCount.reset();
    psd.globalBlocks = test_support::LayerBlock("Mt16", {});
    EXPECT_EQ(Merged(psd.Build()), transparent);
    psd.globalBlocks.clear();
    psd.resources = ImageResource(1006, {12, 'T', 'r', 'a', 'n', 's', 'p', 'a', 'r', 'e', 'n', 'c', 'y'});
    Bytes identifiers = ImageResource(1053, {0, 0, 0, 0});
    psd.resources.insert(psd.resources.end(), identifiers.begin(), identifiers.end());
    EXPECT_EQ(Merged(psd.Build()), transparent);
    psd.resources = ImageResource(1006, {9, 'A'});  // a name longer than its block
    EXPECT_EQ(Merged(psd.Build()), transparent);
}

TEST(PsdDecode, LayerChannelsLandInTheirBytes)
{
    // RGB with transparency first, as Photoshop writes it.
    int32_t channels = 0;
    Bytes file = WithLayer(3, 1, 1, {RawChannel(-1, {40}), RawChannel(0, {1}), RawChannel(1, {2}),
                                     RawChannel(2, {3})});
    EXPECT_EQ(Layer(file, 0, &channels), (Bytes{40, 3, 2, 1}));
    EXPECT_EQ(channels, 4);

    // Masks (the layer mask -2, the real user mask -3) are not alpha: without a transparency
    // channel the layer is the opaque colour image it is; with one, the mask changes nothing.
    file = WithLayer(3, 1, 1, {RawChannel(0, {1}), RawChannel(1, {2}), RawChannel(2, {3}),
                               RawChannel(-2, {77}), RawChannel(-3, {78})});
    EXPECT_EQ(Layer(file, 0, &channels), (Bytes{3, 2, 1}));
    EXPECT_EQ(channels, 3);
    file = WithLayer(3, 1, 1, {RawChannel(-1, {40}), RawChannel(0, {1}), RawChannel(1, {2}),
                               RawChannel(2, {3}), RawChannel(-2, {77})});
    EXPECT_EQ(Layer(file, 0), (Bytes{40, 3, 2, 1}));

    // Grayscale with transparency; and of two channels with one id the later wins.
    file = WithLayer(1, 2, 1, {RawChannel(-1, {5, 6}), RawChannel(0, {7, 8}), RawChannel(0, {9, 10})});
    EXPECT_EQ(Layer(file, 0), (Bytes{5, 9, 6, 10}));
}

TEST(PsdDecode, IndexedColourExpandsThroughThePalette)
{
    PsdBuilder psd;
    psd.colorMode = 2;
    psd.channels = 1;
    psd.width = 2;
    Bytes red(256), green(256), blue(256);
    red[5] = 10, green[5] = 20, blue[5] = 30;
    red[0] = 1, green[0] = 2, blue[0] = 3;
    psd.colorModeData = test_support::Palette(red, green, blue);
    psd.planes = {{5, 0}};
    EXPECT_EQ(Merged(psd.Build()), (Bytes{30, 20, 10, 3, 2, 1}));

    psd.layers.push_back(PsdLayer(0, 0, 1, 1).Add(RawChannel(-1, {128})).Add(RawChannel(0, {5})));
    EXPECT_EQ(Layer(psd.Build(), 0), (Bytes{128, 30, 20, 10}));
}

// A layer channel whose id equals the number of colour channels.
TEST(PsdDecode, ChannelIdOfTheColourCount)
{
    // Grayscale: stored like the gray channel.
    EXPECT_EQ(Layer(WithLayer(1, 1, 1, {RawChannel(1, {9})}), 0), (Bytes{9}));
    // RGB with alpha: lands in the alpha byte.
    Bytes file = WithLayer(3, 1, 1, {RawChannel(0, {1}), RawChannel(1, {2}), RawChannel(2, {3}),
                                     RawChannel(3, {44})});
    EXPECT_EQ(Layer(file, 0), (Bytes{44, 3, 2, 1}));
    // RGB without alpha: it would land before the pixel, and is left out.
    file = WithLayer(3, 2, 1, {RawChannel(0, {1, 4}), RawChannel(3, {66, 66}), RawChannel(2, {3, 6})});
    EXPECT_EQ(Layer(file, 0), (Bytes{3, 0, 1, 6, 0, 4}));
}

TEST(PsdDecode, ShortRlePackedRowsKeepThePreviousRow)
{
    // 4 x 3 gray layer: row 0 fills only 2 bytes (the rest stays 0, nothing decoded yet), row 1
    // is full, row 2 decodes nothing and keeps row 1.
    std::vector<Bytes> rows = {{0x01, 7, 8}, {0x00, 5, 0xFE, 5}, {}};
    Bytes file = WithLayer(1, 4, 3, {RleRowsChannel(0, rows)});
    EXPECT_EQ(Layer(file, 0), (Bytes{7, 8, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5}));

    // -128 is no run at all; a row stops when it is full, whatever follows.
    rows = {{0xFD, 1}, {0x80, 0x00, 2}, {0xFD, 3, 0x01, 9, 9}};
    file = WithLayer(1, 4, 3, {RleRowsChannel(0, rows)});
    EXPECT_EQ(Layer(file, 0), (Bytes{1, 1, 1, 1, 2, 1, 1, 1, 3, 3, 3, 3}));

    // The row buffer carries over from the last row of one channel to the next channel.
    file = WithLayer(1, 2, 1, {RleRowsChannel(-1, {{0xFF, 4}}), RleRowsChannel(0, {{0x00, 6}})});
    EXPECT_EQ(Layer(file, 0), (Bytes{4, 6, 4, 4}));
}

TEST(PsdDecode, PackBitsRunsBeyondTheRowOrSource)
{
    struct Case {
        Bytes row;
        const char* tag;
    };
    const Case cases[] = {
        {{0xFC, 1, 0x00, 1}, "memory_out::Fill:66"},  // repeat of 5 into 4
        {{0x04, 1, 2, 3, 4, 5}, "memory_out::Fill:77"},  // literal of 5 into 4
        {{0x02, 1, 2}, "memory_in::Read:42"},            // literal of 3 with 2 bytes left
        {{0x01, 1, 2, 0xFF}, "memory_in::Read:42"},      // repeat header as the last byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayerTag(WithLayer(1, 4, 1, {RleRowsChannel(0, {c.row})})), c.tag);
}

TEST(PsdDecode, EmptyRectanglesAndRepeatedLoads)
{
    PsdBuilder psd;
    psd.planes.assign(3, Bytes{0});
    psd.layers = {PsdLayer(5, 5, 9, 5), PsdLayer(5, 5, 4, 9), PsdLayer(0, 0, 2, 2)};
    psd.layers[2].Add(RleChannel(0, {1, 2, 3, 4}, 2)).Add(RawChannel(2, {5, 6, 7, 8}));
    Reader reader(psd.Build());
    Image image;
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(0, image); }), "Image::Create:59");
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(1, image); }), "Image::Create:60");
    reader.psd.LayerLoad(2, image);
    const Bytes first = test_support::RasterOf(image);
    EXPECT_EQ(first, (Bytes{5, 0, 1, 6, 0, 2, 7, 0, 3, 8, 0, 4}));
    reader.psd.LayerLoad(2, image);
    EXPECT_EQ(test_support::RasterOf(image), first);
}

// Channel data the file does not hold is refused before the image is sized.
TEST(PsdDecode, ChannelDataBeyondTheFileIsRefused)
{
    // A merged image declaring 30000 x 30000 pixels with a few bytes behind it.
    PsdBuilder huge;
    huge.width = huge.height = 30000;
    huge.mergedBody = Bytes(100);
    Reader reader(huge.Build());
    Image image;
    ImageInfo info;
    EXPECT_EQ(TagOf([&] { reader.psd.Load(image, info); }), "ImageLoaderPSD::LoadImage:310");
    EXPECT_FALSE(image.IsValid());
    // Nothing to decode at all: no merged channel, a layer of masks only, an RGB layer whose one
    // channel is left out.
    huge.channels = 0;
    EXPECT_EQ(TagOf([&] { Merged(huge.Build()); }), "ImageLoaderPSD::LoadImage:305");
    huge.compression = test_support::kPsdRle;
    huge.height = 0x7FFFFFFF;
    EXPECT_EQ(TagOf([&] { Merged(huge.Build()); }), "ImageLoaderPSD::LoadImage:305");
    huge.compression = test_support::kPsdRaw;
    EXPECT_EQ(LayerTag(WithLayer(1, 9000, 9000, {RawChannel(-2, {})})), "ImageLoaderPSD::LoadImage:305");
    EXPECT_EQ(LayerTag(WithLayer(3, 9000, 9000, {RawChannel(3, {})})), "ImageLoaderPSD::LoadImage:305");

    // As many channels as the header can declare, each of the largest size: their positions,
    // summed in the scan, must not overflow.
    huge.channels = 65535;
    huge.width = huge.height = 0x7FFFFFFF;
    EXPECT_EQ(TagOf([&] { Merged(huge.Build()); }), "ImageLoaderPSD::LoadImage:310");

    // RLE: counts that point past the end, and counts too few to fill the rectangle (each row
    // of 300 pixels needs at least 3 runs of 2 bytes).
    huge.compression = test_support::kPsdRle;
    huge.channels = 3;
    huge.width = 300;
    huge.height = 2;
    test_support::ByteWriter body;
    for (int i = 0; i < 6; ++i)
        body.U16(600);
    huge.mergedBody = body.Data();
    EXPECT_EQ(TagOf([&] { Merged(huge.Build()); }), "ImageLoaderPSD::LoadImage:330");
    huge.mergedBody = Bytes(12 + 30, 0);
    for (size_t i = 1; i < 12; i += 2)
        (*huge.mergedBody)[i] = 5;  // 5 bytes per row
    EXPECT_EQ(TagOf([&] { Merged(huge.Build()); }), "ImageLoaderPSD::LoadImage:335");

    // Layer channels are held to their own length.
    auto raw = RawChannel(0, {1, 2, 3});
    EXPECT_EQ(LayerTag(WithLayer(1, 2, 2, {raw})), "ImageLoaderPSD::LoadImage:310");
    auto counts = RleRowsChannel(0, {{0x00, 1}, {0x00, 2}});
    counts.body.resize(3);
    EXPECT_EQ(LayerTag(WithLayer(1, 1, 2, {counts})), "ImageLoaderPSD::LoadImage:320");
    auto data = RleRowsChannel(0, {{0x00, 1}, {0x00, 2}});
    data.body.pop_back();
    EXPECT_EQ(LayerTag(WithLayer(1, 1, 2, {data})), "ImageLoaderPSD::LoadImage:330");
    // A channel that is never decoded (a layer mask) is not looked at.
    EXPECT_EQ(Layer(WithLayer(1, 1, 1, {RawChannel(0, {3}), RawChannel(-2, {})}), 0), (Bytes{3}));
}

// Every prefix of a valid file, and the file with each byte changed, either loads or raises an
// error of the program; sanitizers watch the buffers.
TEST(PsdDecode, CutAndCorruptedFilesNeverFault)
{
    PsdBuilder psd;
    psd.width = 3;
    psd.height = 2;
    psd.channels = 4;
    psd.compression = test_support::kPsdRle;
    psd.planes = {{1, 1, 1, 2, 3, 4}, {5, 5, 5, 5, 5, 5}, {9, 8, 7, 6, 5, 4}, {255, 255, 0, 0, 1, 1}};
    PsdLayer layer(-1, 1, 1, 4);
    layer.name = "layer";
    layer.mask = Bytes(20, 1);
    layer.Add(RleChannel(-1, {0, 1, 2, 3, 4, 5}, 3)).Add(RawChannel(0, {6, 7, 8, 9, 10, 11}));
    layer.Add(RleChannel(1, {7, 7, 7, 7, 7, 7}, 3)).Add(RleChannel(2, {1, 2, 3, 3, 2, 1}, 3));
    PsdLayer wide(0, 0, 1, 130);  // more than one run per row
    wide.Add(RleChannel(0, Bytes(130, 42), 130)).Add(RawChannel(-2, {}));
    psd.layers = {layer, wide, PsdLayer()};
    psd.resources = SavedSelectionResources();
    psd.globalBlocks = test_support::LayerBlock("Mtrn", {});
    const Bytes whole = psd.Build();

    auto exercise = [](const Bytes& file) {
        try {
            Reader reader(file);
            Image image;
            ImageInfo info;
            try {
                reader.psd.Load(image, info);
            } catch (const std::exception&) {
            }
            for (int32_t i = 0; i < reader.psd.LayerCount(); ++i) {
                try {
                    reader.psd.LayerInfo(i, info);
                    reader.psd.LayerLoad(i, image);
                } catch (const std::exception&) {
                }
            }
        } catch (const std::exception&) {
        }
    };
    for (size_t size = 0; size <= whole.size(); ++size)
        exercise(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    for (size_t at = 0; at < whole.size(); ++at) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
            Bytes changed = whole;
            changed[at] = value;
            exercise(changed);
        }
    }

    // The whole file loads in full.
    Reader reader(whole);
    EXPECT_EQ(reader.psd.LayerCount(), 3);
    EXPECT_EQ(Layer(whole, 0), (Bytes{0, 1, 7, 6, 1, 2, 7, 7, 2, 3, 7, 8, 3, 3, 7, 9, 4, 2, 7, 10, 5,
                                      1, 7, 11}));
    Bytes wideRow;
    for (int i = 0; i < 130; ++i)
        wideRow.insert(wideRow.end(), {0, 0, 42});
    EXPECT_EQ(Layer(whole, 1), wideRow);
}

TEST(PsdDecode, ReadsThroughAFileStream)
{
    PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 1;
    psd.width = 2;
    psd.planes = {{3, 4}};
    psd.layers.push_back(PsdLayer(0, 0, 1, 2).Add(RleChannel(0, {7, 7}, 2)));
    const Bytes bytes = psd.Build();
    test_support::TempDir dir;
    test_support::WriteWholeFile(dir / "doc.psd", std::string(bytes.begin(), bytes.end()));

    sdk::stream::file_in file(dir / "doc.psd");
    file.OpenRead();
    auto loader = sdk::graphic::CreateLoader(file);
    ASSERT_FALSE(loader.IsEmpty());
    Image image;
    ImageInfo info;
    loader->Load(image, info);
    EXPECT_EQ(test_support::RasterOf(image), (Bytes{3, 4}));
    loader->LayerLoad(0, image);
    EXPECT_EQ(test_support::RasterOf(image), (Bytes{7, 7}));

    // The same file cut inside the layer section, whose length then reaches past the end.
    test_support::WriteWholeFile(dir / "cut.psd", std::string(bytes.begin(), bytes.end() - 12));
    sdk::stream::file_in cut(dir / "cut.psd");
    cut.OpenRead();
    EXPECT_EQ(TagOf([&] { sdk::graphic::CreateLoader(cut); }), "ImageLoaderPSD::Scan:158");
}
