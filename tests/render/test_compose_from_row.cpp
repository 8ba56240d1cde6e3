// Compositions started at a row: bit for bit the rows of the composition from the top, whether
// the plan draws row by row (its layers and masks opened at their own rows) or keeps rows
// (composed from the top and dropped); which documents compose from any row cheaply; and every
// document of the PSD corpus, its images and compositions, opened at a few rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/compose/ComposedRows.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"
#include "support/RowsFromRow.h"

namespace {

using sdk::graphic::RowSource;
using sdk::render::ComposedRows;
using test_support::Bytes;
using test_support::ByteWriter;
using test_support::DescriptorWriter;
using test_support::LayerBlock;
using test_support::PsdLayer;
using test_support::PsdReader;

const int32_t kSize = 10;

// A layer over top, left .. bottom, right of colours channels and transparency, stored as
// compression says (16-bit samples when sixteen).
PsdLayer Layer(int32_t top, int32_t left, int32_t bottom, int32_t right, int32_t seed,
               uint16_t compression, int16_t colours = 3, bool sixteen = false)
{
    PsdLayer layer(top, left, bottom, right);
    for (int16_t id = -1; id < colours; ++id) {
        const Bytes plane = test_support::PatternPlane(right - left, bottom - top, seed + id);
        layer.Add(test_support::CompressedChannel(id, compression,
                                                  sixteen ? test_support::Widen16(plane) : plane,
                                                  (right - left) * (sixteen ? 2 : 1)));
    }
    return layer;
}

// The layer with a pixel mask over top, left .. bottom, right, feathered by feather pixels.
PsdLayer Masked(PsdLayer layer, int32_t top, int32_t left, int32_t bottom, int32_t right,
                uint16_t compression, double feather = 0, bool sixteen = false)
{
    ByteWriter mask;
    mask.I32(top).I32(left).I32(bottom).I32(right).U8(255);
    uint64_t bits = 0;
    std::memcpy(&bits, &feather, sizeof bits);
    layer.mask = (feather > 0 ? mask.U8(0x10).U8(0x02).U64(bits) : mask.U8(0).U16(0)).Data();
    const Bytes plane = test_support::PatternPlane(right - left, bottom - top, 5);
    layer.Add(test_support::CompressedChannel(-2, compression,
                                              sixteen ? test_support::Widen16(plane) : plane,
                                              (right - left) * (sixteen ? 2 : 1)));
    return layer;
}

PsdLayer With(PsdLayer layer, const std::string& key, const Bytes& data)
{
    const Bytes block = LayerBlock(key, data);
    layer.additional.insert(layer.additional.end(), block.begin(), block.end());
    return layer;
}

PsdLayer Section(uint32_t type, const std::string& mode = "")
{
    PsdLayer layer;
    layer.additional = test_support::SectionBlock(type, mode);
    return layer;
}

Bytes Document(const std::vector<PsdLayer>& layers, uint16_t colorMode = 3, uint16_t depth = 8)
{
    test_support::PsdBuilder psd;
    psd.colorMode = colorMode;
    psd.channels = colorMode == 1 ? 1 : 3;
    psd.depth = depth;
    psd.width = psd.height = kSize;
    psd.planes.assign(psd.channels, Bytes(static_cast<size_t>(kSize * kSize * depth / 8), 0));
    psd.layerBlock = depth == 16 ? "Lr16" : "";
    psd.layers = layers;
    return psd.Build();
}

// Layers of every kind that draws row by row: an opaque background; a layer reaching above the
// document in multiply through a mask, and one clipped to it in screen with blending ranges; an
// isolated group of a layer reaching below it under an invert through a mask; a pass-through
// group of a layer with a vector mask, one dissolving, and one knocking out to the background.
std::vector<PsdLayer> RowByRowLayers(uint16_t compression)
{
    PsdLayer background = Layer(0, 0, kSize, kSize, 0, test_support::kPsdRaw);
    background.channels.erase(background.channels.begin());  // no transparency
    PsdLayer multiply = Masked(Layer(-3, 1, 6, 8, 1, compression), 2, 0, 9, 7, compression);
    multiply.mode = "mul ";
    PsdLayer clipped = Layer(1, 0, 9, 10, 2, compression);
    clipped.clipping = 1;
    clipped.mode = "scrn";
    clipped.blendingRanges = {0, 10, 200, 255, 0, 0, 255, 255};
    PsdLayer below = Layer(4, 2, 13, 9, 3, compression);
    below.mode = "over";
    const PsdLayer invert = Masked(With(Layer(0, 0, 0, 0, 0, test_support::kPsdRaw), "nvrt", {}), 2,
                                   1, 7, 9, compression);
    // A triangle, as older editors write a path: a closed subpath of three knots (x, y).
    ByteWriter path;
    path.U32(3).U32(0).U16(0).U16(3).Zeros(22);
    const double knots[][2] = {{0.1, 0.15}, {0.9, 0.35}, {0.35, 0.95}};
    for (const auto& knot : knots) {
        path.U16(2);
        for (int i = 0; i < 3; ++i)
            path.I32(static_cast<int32_t>(knot[1] * (1 << 24)))
                .I32(static_cast<int32_t>(knot[0] * (1 << 24)));
    }
    PsdLayer shaped = With(Layer(0, 0, 10, 10, 4, compression), "vmsk", path.Data());
    PsdLayer dissolving = Layer(2, 3, 8, 10, 5, compression);
    dissolving.mode = "diss";
    dissolving.opacity = 150;
    const PsdLayer knocking =
        With(With(Layer(3, 0, 6, 5, 6, compression), "iOpa", {0, 0, 0, 0}), "knko", {2, 0, 0, 0});
    return {background,         multiply,   clipped, Section(3), below,    invert,
            Section(1, "norm"), Section(3), shaped,  dissolving, knocking, Section(1, "pass")};
}

test_support::OpenAtRow Composition(PsdReader& reader)
{
    return [&reader](int32_t first) {
        return std::unique_ptr<RowSource>(new ComposedRows(reader.psd, first));
    };
}

}  // namespace

TEST(ComposeFromRow, EveryRowIsTheOneComposedFromTheTop)
{
    using test_support::kPsdRaw;
    using test_support::kPsdRle;
    using test_support::kPsdZip;
    DescriptorWriter effects;  // a colour overlay
    effects.Bool("masterFXSwitch", true)
        .Object("SoFi", DescriptorWriter("SoFi").Bool("enab", true));
    const Bytes overlay = ByteWriter().U32(0).Append(effects.Versioned()).Data();
    const PsdLayer under = Layer(0, 0, 10, 10, 1, kPsdRaw);
    const struct {
        const char* name;
        Bytes file;
        bool fromAnyRow;  // cheaply
        bool sixteen;
    } cases[] = {
        {"raw", Document(RowByRowLayers(kPsdRaw)), true, false},
        {"PackBits", Document(RowByRowLayers(kPsdRle)), true, false},
        {"ZIP", Document(RowByRowLayers(kPsdZip)), false, false},
        {"gray",
         Document({Layer(-2, 0, 7, 10, 1, kPsdRle, 1), Layer(3, 2, 12, 9, 2, kPsdRaw, 1)}, 1), true,
         false},
        {"16-bit",
         Document({Masked(Layer(-1, 2, 8, 9, 2, kPsdRle, 3, true), 3, 0, 9, 6, kPsdRle, 0, true)},
                  3, 16),
         true, true},
        {"effect", Document({under, With(Layer(2, 2, 7, 7, 7, kPsdRle), "lfx2", overlay)}), false,
         false},
        {"feathered mask",
         Document({under, Masked(Layer(0, 0, 8, 10, 8, kPsdRle), 2, 2, 8, 8, kPsdRle, 2.5)}), false,
         false},
    };
    for (const auto& test : cases) {
        PsdReader reader(test.file, true);
        reader.psd.SetSixteenBitDrawing(test.sixteen);
        EXPECT_TRUE(test_support::ExpectSameFromRows(Composition(reader),
                                                     test_support::EveryRow(kSize), test.name));
        EXPECT_EQ(sdk::render::ComposesFromAnyRow(reader.psd), test.fromAnyRow) << test.name;
    }
    PsdReader reader(cases[0].file);
    EXPECT_EQ(test_support::TagOf([&] { ComposedRows rows(reader.psd, kSize + 1); }),
              "ComposedRows::ComposedRows:80");
}

TEST(ComposeFromRow, LayersAreOpenedAtTheFirstOfTheirRowsTheCompositionMeets)
{
    // The layer's gray row 1 runs past the row's end: composed from the top, that row fails;
    // from row 2 on, the rows above are never decoded.
    std::vector<Bytes> gray(kSize, test_support::PackBits(Bytes(kSize, 9)));
    gray[1] = {0x0F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    PsdLayer layer(0, 0, kSize, kSize);
    layer.Add(test_support::RleRowsChannel(0, gray));
    PsdReader reader(Document({layer}, 1));
    EXPECT_EQ(test_support::RowsFrom(Composition(reader), 0).error, "memory_out::Fill:77");
    const test_support::RowsGiven below = test_support::RowsFrom(Composition(reader), 2);
    EXPECT_EQ(below.rows.size(), static_cast<size_t>(kSize - 2));
    EXPECT_EQ(below.error, "");
}

TEST(ComposeFromRow, APassThroughGroupKeepsWhatLiesBelowBesideItsArtboardsLayers)
{
    // A transparent artboard over the 3 columns in a pass-through group holds a blue layer in
    // column 1 only: beside it the red below shows.
    const DescriptorWriter rect = DescriptorWriter("classFloatRect")
                                      .Double("Top ", 0)
                                      .Double("Left", 0)
                                      .Double("Btom", 1)
                                      .Double("Rght", 3);
    const PsdLayer artboard = With(Section(1, "norm"), "artb",
                                   DescriptorWriter()
                                       .Object("artboardRect", rect)
                                       .Long("artboardBackgroundType", 3)
                                       .Versioned());
    PsdLayer red(0, 0, 1, 3), blue(0, 1, 1, 2);
    for (int16_t id = -1; id < 3; ++id) {
        red.Add(test_support::RawChannel(id, Bytes(3, id <= 0 ? 255 : 0)));
        blue.Add(
            test_support::RawChannel(id, {static_cast<uint8_t>(id == -1 || id == 2 ? 255 : 0)}));
    }
    test_support::PsdBuilder psd;
    psd.width = 3;
    psd.planes.assign(3, Bytes(3, 0));
    psd.layers = {red, Section(3), Section(3), blue, artboard, Section(1, "pass")};
    PsdReader reader(psd.Build());
    EXPECT_EQ(test_support::RowsFrom(Composition(reader), 0).rows,
              std::vector<Bytes>({{255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 0, 255}}));
}

TEST(ComposeFromRow, EveryCorpusDocumentOpensAtAFewRows)
{
    namespace fs = std::filesystem;
    // The folder the environment names, else the corpus beside the repository.
    std::vector<std::string> candidates;
    if (const char* named = std::getenv("QUILLMARK_PSD_CORPUS"))
        candidates.push_back(named);
#ifdef QUILLMARK_PSD_CORPUS
    candidates.push_back(QUILLMARK_PSD_CORPUS);
#endif
    std::string folder;
    std::error_code error;
    for (const std::string& candidate : candidates) {
        if (folder.empty() && fs::is_directory(candidate, error))
            folder = candidate;
    }
    if (folder.empty())
        GTEST_SKIP() << "no PSD corpus (QUILLMARK_PSD_CORPUS names one)";
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".psd" || extension == ".psb")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    int documents = 0, images = 0, compositions = 0, others = 0;
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = path.filename().string();
        for (bool sixteen : {false, true}) {
            std::unique_ptr<PsdReader> reader;
            try {
                reader.reset(new PsdReader(bytes, true));
            } catch (const std::exception&) {
                break;  // refused by the scan
            }
            sdk::graphic::ImageLoaderPSD& psd = reader->psd;
            if (sixteen && psd.Format().depth < 16)
                break;
            documents += sixteen ? 0 : 1;
            psd.SetSixteenBitDrawing(sixteen);
            // A band's start in the middle, and the last row alone.
            auto rows = [](int32_t height) {
                return std::vector<int32_t>{height / 2, height - 1};
            };
            const int32_t height = psd.MergedRecord().height;
            images += test_support::ExpectSameFromRows(
                [&](int32_t row) { return sixteen ? psd.Rows16(row) : psd.Rows(row); },
                rows(height), name);
            for (int32_t i = 0; i < psd.LayerCount(); ++i) {
                const std::string layer = name + " layer " + std::to_string(i);
                images += test_support::ExpectSameFromRows(
                    [&](int32_t row) {
                        return sixteen ? psd.LayerRows16(i, row) : psd.LayerRows(i, row);
                    },
                    rows(psd.LayerRecord(i).height), layer);
                if (!sixteen)
                    images += test_support::ExpectSameFromRows(
                        [&](int32_t row) { return psd.LayerMaskRows(i, row); },
                        rows(psd.LayerRecord(i).properties.mask.height), layer + " mask");
            }
            bool fromAnyRow = false;
            try {
                fromAnyRow = sdk::render::ComposesFromAnyRow(psd);
            } catch (const std::exception&) {
                continue;  // not composed at all
            }
            others += fromAnyRow ? 0 : 1;
            if (fromAnyRow)
                compositions += test_support::ExpectSameFromRows(Composition(*reader), rows(height),
                                                                 name + " composed");
        }
    }
    std::printf(
        "PSD corpus: %zu files, %d documents read; %d images and %d compositions (8 and "
        "16 bits) checked at rows h/2 and h-1; %d compositions not from any row cheaply\n",
        files.size(), documents, images, compositions, others);
    EXPECT_GT(documents, 0);
}
