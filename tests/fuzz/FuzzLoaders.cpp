// Fuzz target: arbitrary bytes through reader selection and every reader operation, the PSD
// reader's sources of rows among them. The bytes are served the way a file stream serves a file
// (reads at the end come back short and without an error, positions may pass the end), since
// that is what the readers face in use.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "conversion/output/JsonText.h"
#include "conversion/psd/ManifestLayerSettings.h"
#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/color/ColorTransform.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdTypeLayer.h"
#include "graphic/psd/PsdPlacedLayer.h"
#include "render/compose/ComposedRows.h"
#include "render/compose/LayerAsShown.h"
#include "render/compose/UndrawnParts.h"
#include "support/FileLikeStream.h"

namespace {

// The largest document, in pixels, that the renderer draws here.
const int64_t kLargestDrawn = 1 << 16;
// The largest image, in pixels, whose rows are compared with those of the image opened at a row.
const int64_t kLargestBanded = 1 << 20;

// Every row of a source made by make, where making it succeeds and it holds at most most pixels.
template <class Make>
void ReadRows(Make make, int64_t most = INT64_MAX)
{
    try {
        std::unique_ptr<sdk::graphic::RowSource> rows = make();
        if (static_cast<int64_t>(rows->Width()) * rows->Height() > most)
            return;
        for (int32_t y = 0; y < rows->Height(); ++y)
            rows->NextRow();
    } catch (const std::exception&) {
    }
}

// A source made at row 0 and one made at its middle row, as the bands of an image open their
// rows: from the middle on they agree, bytes and failure alike, unless a row above the middle
// failed. A difference is a finding.
template <class Make>
void CompareFromMiddle(Make make, int64_t most)
{
    std::vector<std::vector<uint8_t>> rows;
    std::string failure;
    int32_t height = 0;
    size_t rowBytes = 0;
    try {
        std::unique_ptr<sdk::graphic::RowSource> whole = make(0);
        if (static_cast<int64_t>(whole->Width()) * whole->Height() > most)
            return;
        height = whole->Height();
        rowBytes = static_cast<size_t>(whole->Width()) * whole->Channels() * whole->SampleBytes();
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = whole->NextRow();
            rows.emplace_back(row, row + rowBytes);
        }
    } catch (const std::exception& error) {
        failure = error.what();
    }
    const int32_t middle = height / 2;
    if (height < 2 || static_cast<int32_t>(rows.size()) < middle)
        return;
    int32_t y = middle;
    try {
        std::unique_ptr<sdk::graphic::RowSource> part = make(middle);
        for (; y < height; ++y) {
            const uint8_t* row = part->NextRow();
            if (y >= static_cast<int32_t>(rows.size()) ||
                std::memcmp(row, rows[static_cast<size_t>(y)].data(), rowBytes) != 0)
                std::abort();
        }
    } catch (const std::exception& error) {
        if (failure != error.what() || y != static_cast<int32_t>(rows.size()))
            std::abort();
        return;
    }
    if (!failure.empty())
        std::abort();
}

// The document's colour profile checked and, when it is sound, joined to sRGB, measured against
// it and used on a few pixels; a CMYK document's merged image decoded through it.
void ReadColors(sdk::graphic::ImageLoaderPSD& psd)
{
    using sdk::graphic::ColorLayout;
    std::string problem;
    const auto profile = sdk::graphic::ReadIccProfile(psd.IccProfileBytes(), problem);
    if (!profile)
        return;
    sdk::graphic::DistanceFromSrgb(*profile);
    sdk::graphic::WithSrgbCurves(*profile, problem);
    uint8_t pixels[4 * 16] = {};
    for (int i = 0; i < 64; ++i)
        pixels[i] = static_cast<uint8_t>(i * 37);
    for (ColorLayout in : {ColorLayout::AlphaGray, ColorLayout::AlphaBgr, ColorLayout::Ink}) {
        const ColorLayout out = in == ColorLayout::Ink ? ColorLayout::Bgr : in;
        const auto transform = sdk::graphic::TransformToSrgb(*profile, in, out, problem);
        if (!transform)
            continue;
        uint8_t converted[4 * 16];
        transform->Convert(pixels, converted, 16);
        if (in == ColorLayout::Ink && psd.Format().colorMode == sdk::graphic::PsdFormat::kCmyk) {
            psd.SetInkConversion(transform);
            ReadRows([&] { return psd.Rows(); });
            psd.SetInkConversion(nullptr);
        }
    }
}

// Every layer's type block through the reader of its text.
void ReadTypeLayers(sdk::graphic::ImageLoaderPSD& psd)
{
    std::vector<uint8_t> block;
    for (int32_t index = 0; index < psd.LayerCount() && index < 256; ++index) {
        try {
            if (psd.LayerBlock(index, "TySh", block))
                sdk::graphic::ReadPsdTypeLayer(block.data(), block.size());
        } catch (const std::exception&) {
        }
    }
}

// A stream that takes any bytes and keeps none, for the files a document embeds.
class Discard : public sdk::stream::stream_out {
public:
    int32_t GetSize() override { return position_; }
    uint32_t GetRemain() override { return 0; }
    int32_t GetPos() override { return position_; }
    void Seek(int32_t offset) override { position_ += offset; }
    void SetPos(int32_t position) override { position_ = position; }
    void Write(const void*, uint32_t count) override
    {
        position_ = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{position_} + count));
    }

private:
    int32_t position_ = 0;
};

// The files embedded for the placed layers, copied as --smart-objects copies them, and each
// layer's placement, as the manifest reads it.
void ReadPlacedLayers(sdk::graphic::ImageLoaderPSD& psd)
{
    for (const sdk::graphic::PsdLinkedFile& file : psd.LinkedFiles()) {
        try {
            Discard out;
            psd.CopyLinkedFile(file, out);
            psd.FindLinkedFile(file.id);
        } catch (const std::exception&) {
        }
    }
    for (int32_t index = 0; index < psd.LayerCount() && index < 256; ++index) {
        try {
            sdk::graphic::PsdPlacement placement;
            sdk::graphic::ReadPsdLayerPlacement(psd, index, placement);
        } catch (const std::exception&) {
        }
    }
}

// The layer comps and each layer's records; then the document shown in each comp in turn (each
// applied over those before it), drawn again where it is small enough.
void ShowComps(sdk::graphic::ImageLoaderPSD& psd, bool draw)
{
    for (int32_t index = 0; index < psd.LayerCount() && index < 256; ++index) {
        try {
            psd.LayerCompRecords(index);
        } catch (const std::exception&) {
        }
    }
    const std::vector<sdk::graphic::PsdLayerComp> comps = psd.LayerComps();
    for (size_t i = 0; i < comps.size() && i < 8; ++i) {
        try {
            psd.ApplyLayerComp(comps[i].id);
        } catch (const std::exception&) {
            continue;
        }
        if (draw)
            ReadRows([&] {
                return std::unique_ptr<sdk::graphic::RowSource>(new sdk::render::ComposedRows(psd));
            });
    }
}

void ReadEverything(const uint8_t* data, size_t size, const sdk::graphic::ReadOptions& options)
{
    test_support::FileLikeStream stream(data, size);
    try {
        sdk::smart_ptr<sdk::graphic::ImageLoader> loader =
            sdk::graphic::CreateLoader(stream, options);
        if (loader.IsEmpty())
            return;
        sdk::graphic::Image image;
        sdk::graphic::ImageInfo info;
        try {
            loader->Load(image, info);
        } catch (const std::exception&) {
        }
        const int32_t count = loader->LayerCount();
        // Out-of-range indices are part of the contract too.
        for (int32_t index = -1; index <= count && index < 256; ++index) {
            try {
                loader->LayerInfo(index, info);
                loader->LayerLoad(index, image);
            } catch (const std::exception&) {
            }
        }
        // The PSD reader decodes its sources of rows on its own, row by row.
        if (std::strcmp(loader->FormatName(), "PSD") == 0) {
            ReadRows([&] { return loader->Rows(); });
            for (int32_t index = -1; index <= count && index < 256; ++index)
                ReadRows([&] { return loader->LayerRows(index); });
            auto& psd = static_cast<sdk::graphic::ImageLoaderPSD&>(*loader);
            // The images opened at a row, as bands open them.
            for (bool sixteen : {false, true}) {
                CompareFromMiddle(
                    [&](int32_t row) { return sixteen ? psd.Rows16(row) : psd.Rows(row); },
                    kLargestBanded);
                for (int32_t index = 0; index < count && index < 64; ++index)
                    CompareFromMiddle(
                        [&](int32_t row) {
                            return sixteen ? psd.LayerRows16(index, row)
                                           : psd.LayerRows(index, row);
                        },
                        kLargestBanded);
            }
            ReadColors(psd);
            ReadTypeLayers(psd);
            // The settings the layer manifest lists for each layer, which never raise.
            for (int32_t index = 0; index < count && index < 256; ++index) {
                JsonText json;
                json.BeginObject();
                std::vector<std::string> unread;
                WriteLayerSettings(json, psd, index, unread);
            }
            ReadPlacedLayers(psd);
            // The layer tree and the renderer, on documents small enough to draw quickly.
            const sdk::graphic::ImageLoaderPSD::info_t& merged = psd.MergedRecord();
            if (static_cast<int64_t>(merged.width) * merged.height <= kLargestDrawn) {
                // What the drawing leaves out (effects, adjustments it cannot make), as the
                // tool reports it.
                try {
                    sdk::render::UndrawnLayers(psd);
                } catch (const std::exception&) {
                }
                CompareFromMiddle(
                    [&](int32_t row) {
                        return std::unique_ptr<sdk::graphic::RowSource>(
                            new sdk::render::ComposedRows(psd, row));
                    },
                    kLargestDrawn);
                for (int32_t index = 0; index < count && index < 256; ++index) {
                    ReadRows([&] { return sdk::render::LayerAsShown(psd, index); });
                    // A group drawn as one picture, where it is small enough too.
                    using Section = sdk::graphic::PsdLayerProperties::Section;
                    const Section section = psd.LayerRecord(index).properties.section;
                    if (section != Section::OpenFolder && section != Section::ClosedFolder)
                        continue;
                    ReadRows([&] { return sdk::render::GroupAsShown(psd, index); }, kLargestDrawn);
                }
            }
            ShowComps(psd, static_cast<int64_t>(merged.width) * merged.height <= kLargestDrawn);
        }
    } catch (const std::exception&) {
    }
}

}  // namespace

// Every input is read as usual and, when it is a PSD document or a BMP file, with that reader's
// extended reading as well.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadEverything(data, size, sdk::graphic::ReadOptions());
    sdk::graphic::ReadOptions extended;
    extended.extendedPsd = size >= 4 && std::memcmp(data, "8BPS", 4) == 0;
    extended.extendedBmp = size >= 2 && std::memcmp(data, "BM", 2) == 0;
    if (extended.extendedPsd || extended.extendedBmp)
        ReadEverything(data, size, extended);
    return 0;
}
