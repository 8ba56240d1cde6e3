// Images made in bands: where a band's rows start in a layer's picture, the rows a shared source
// hands to each band, and whole documents whose bands any number of workers make into the same
// files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/Option.h"
#include "conversion/output/BandRows.h"
#include "conversion/psd/LayerPicture.h"
#include "graphic/RowSource.h"
#include "support/ErrorTag.h"

#include <zlib.h>

namespace {

using namespace conversion_test;
using test_support::TagOf;

// Rows whose every byte is the row's number; raises at row failAt.
class NumberedRows : public sdk::graphic::RowSource {
public:
    NumberedRows(int32_t height, int32_t from = 0, int32_t failAt = -1)
        : height_(height), next_(from), failAt_(failAt)
    {
    }
    int32_t Channels() const override { return 1; }
    int32_t Width() const override { return 3; }
    int32_t Height() const override { return height_; }
    const uint8_t* NextRow() override
    {
        if (next_ == failAt_)
            throw std::runtime_error("row " + std::to_string(next_));
        row_.assign(3, static_cast<uint8_t>(next_++));
        return row_.data();
    }

private:
    const int32_t height_;
    int32_t next_;
    const int32_t failAt_;
    std::vector<uint8_t> row_;
};

TEST(LayerPictureBands, RowsBeforeAndSkipToMatchAWholeRun)
{
    // A 1 x 6 layer at rows 0..5 placed in pictures above, over, inside and below it: a band that
    // starts at any layer row emits, after SkipTo, what a whole run emits from that row on.
    for (int32_t top : {-9, -3, 0, 2, 5, 6, 12}) {
        for (int32_t height : {1, 4, 10}) {
            sdk::graphic::ImageInfo info;
            info.width = 1;
            info.height = 6;
            auto make = [&] {
                return std::unique_ptr<LayerPicture>(
                    new LayerPicture(info, 1, 0, top, 1, height, 1));
            };
            std::vector<int32_t> whole;  // the layer row (or -1 for blank) of each picture row
            std::vector<int32_t> before;  // picture rows emitted before each layer row
            int32_t current = -1;
            const LayerPicture::Emit record = [&](const uint8_t* row) {
                whole.push_back(row[0] == 0 ? -1 : current);
            };
            std::unique_ptr<LayerPicture> picture = make();
            for (current = 0; current < 6; ++current) {
                before.push_back(static_cast<int32_t>(whole.size()));
                const uint8_t value = static_cast<uint8_t>(current + 1);
                picture->Add(&value, record);
            }
            picture->Finish(record);
            ASSERT_EQ(static_cast<int32_t>(whole.size()), height);
            for (int32_t from = 0; from < 6; ++from) {
                SCOPED_TRACE(std::to_string(top) + " " + std::to_string(height) + " " +
                             std::to_string(from));
                std::unique_ptr<LayerPicture> band = make();
                EXPECT_EQ(band->RowsBefore(from), before[from]);
                band->SkipTo(from);
                std::vector<int32_t> rest;
                const LayerPicture::Emit take = [&](const uint8_t* row) {
                    rest.push_back(row[0] == 0 ? -1 : current);
                };
                for (current = from; current < 6; ++current) {
                    const uint8_t value = static_cast<uint8_t>(current + 1);
                    band->Add(&value, take);
                }
                band->Finish(take);
                EXPECT_EQ(rest, std::vector<int32_t>(whole.begin() + before[from], whole.end()));
            }
        }
    }
}

TEST(BandRows, SharedSourceHandsEachBandItsRowsInTurn)
{
    // Bands of 4 rows looking back 3, read on four threads in any order of arrival.
    BandRows rows(std::unique_ptr<sdk::graphic::RowSource>(new NumberedRows(30)), 3);
    std::vector<std::vector<int32_t>> seen(8);
    std::vector<std::thread> threads;
    std::atomic<size_t> next{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (size_t band = next++; band < 8; band = next++) {
                const int32_t start = static_cast<int32_t>(band) * 4;
                rows.Read(
                    band, std::max(0, start - 3), std::min(30, start + 4),
                    [&](int32_t y, const uint8_t* row) {
                        seen[band].push_back(row[0] == row[2] && row[0] == y ? y : -1);
                    },
                    [] { return false; });
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (size_t band = 0; band < 8; ++band) {
        std::vector<int32_t> expected;
        for (int32_t y = std::max(0, static_cast<int32_t>(band) * 4 - 3);
             y < std::min(30, static_cast<int32_t>(band) * 4 + 4); ++y)
            expected.push_back(y);
        EXPECT_EQ(seen[band], expected) << band;
    }

    // The band that meets a failure raises it, and so does every band after it.
    BandRows failing(std::unique_ptr<sdk::graphic::RowSource>(new NumberedRows(12, 0, 5)), 1);
    const BandRows::Take ignore = [](int32_t, const uint8_t*) {};
    const auto never = [] { return false; };
    failing.Read(0, 0, 4, ignore, never);
    EXPECT_EQ(TagOf([&] { failing.Read(1, 3, 8, ignore, never); }), "row 5");
    EXPECT_EQ(TagOf([&] { failing.Read(2, 7, 12, ignore, never); }), "row 5");

    // Bands that open their own source start where they ask, the first taking the source given.
    int32_t opened = -1;
    BandRows seeking(std::unique_ptr<sdk::graphic::RowSource>(new NumberedRows(12)),
                     [&](int32_t from) {
                         opened = from;
                         return std::unique_ptr<sdk::graphic::RowSource>(new NumberedRows(12, from));
                     });
    std::vector<int32_t> got;
    const BandRows::Take keep = [&](int32_t y, const uint8_t* row) { got.push_back(y * 100 + row[0]); };
    seeking.Read(2, 6, 9, keep, never);
    seeking.Read(0, 0, 2, keep, never);
    EXPECT_EQ(opened, 6);
    EXPECT_EQ(got, (std::vector<int32_t>{606, 707, 808, 0, 101}));
}

// A PNG, MNG or APNG file told apart into what its image data holds and everything else: the
// chunks that are not image data (an fcTL without its sequence number, which counts the data
// chunks before it), and each datastream's inflated data. Files that agree on both show the same
// pixels, however their data was compressed.
struct ImageData {
    std::vector<test_support::ChunkRecord> chunks;
    std::vector<Bytes> streams;
    bool operator==(const ImageData& other) const
    {
        if (chunks.size() != other.chunks.size() || streams != other.streams)
            return false;
        for (size_t i = 0; i < chunks.size(); ++i) {
            if (chunks[i].type != other.chunks[i].type || chunks[i].body != other.chunks[i].body)
                return false;
        }
        return true;
    }
};

Bytes Inflated(const Bytes& stream)
{
    Bytes out(1 << 20);
    uLongf size = static_cast<uLongf>(out.size());
    for (int attempt = 0; uncompress(out.data(), &size, stream.data(), stream.size()) == Z_BUF_ERROR &&
                          attempt < 8;
         ++attempt) {
        out.resize(out.size() * 4);
        size = static_cast<uLongf>(out.size());
    }
    out.resize(size);
    return out;
}

ImageData ImageDataOf(const Bytes& file)
{
    ImageData data;
    Bytes stream;
    bool inData = false;
    for (test_support::ChunkRecord chunk : test_support::ParseChunks(file)) {
        const bool isData = chunk.type == "IDAT" || chunk.type == "fdAT";
        if (isData) {
            stream.insert(stream.end(), chunk.body.begin() + (chunk.type == "fdAT" ? 4 : 0),
                          chunk.body.end());
        } else {
            if (inData)
                data.streams.push_back(Inflated(stream));
            stream.clear();
            if (chunk.type == "fcTL")
                chunk.body.erase(chunk.body.begin(), chunk.body.begin() + 4);
            data.chunks.push_back(chunk);
        }
        inData = isData;
    }
    return data;
}

bool IsPicture(const std::string& file)
{
    for (const char* ending : {".png", ".mng", ".apng"}) {
        const std::string end(ending);
        if (file.size() > end.size() && file.compare(file.size() - end.size(), end.size(), end) == 0)
            return true;
    }
    return false;
}

TEST(ImageBands, AnyThreadsWriteTheSameBytesAndBandsTheSamePixelsAsOneStream)
{
    // Layers inside the canvas, across its edges and covering it; RLE and raw channels.
    const Bytes document = RgbaDocument(40, 30,
                                        {{"a", 3, 2, 20, 12},
                                         {"b", -6, 18, 25, 16},
                                         {"c", 0, 0, 40, 30},
                                         {"d", 30, -4, 14, 9}});
    cOption pictures;  // layers on the canvas, blanks, animations cut to the canvas
    pictures.psdToPngMerged = pictures.removeMatte = pictures.psdToMng = true;
    pictures.psdToPngLayers = pictures.pngTrim = pictures.fillBlank = true;
    pictures.mngOffset = pictures.psdToApng = true;
    cOption drawn;  // composed and drawn rows, which bands read in turn; frames twin the PNGs
    drawn.psdToPngMerged = drawn.compose = drawn.asShown = true;
    drawn.psdToPngLayers = drawn.psdToMng = drawn.pngOffset = true;
    for (cOption options : {pictures, drawn}) {
        options.imageBands = false;
        const ConvertOutcome stream = ConvertWith(document, 1, options);
        options.imageBands = true;
        options.bandBytes = SIZE_MAX / 2;  // one band: the very bytes of one stream
        EXPECT_EQ(ConvertWith(document, 3, options).contents, stream.contents);
        for (size_t bandBytes : {150, 1000}) {  // one row a band (with 161-byte rows), or six
            SCOPED_TRACE(bandBytes);
            options.bandBytes = bandBytes;
            const ConvertOutcome serial = ConvertWith(document, 1, options);
            const ConvertOutcome parallel = ConvertWith(document, 3, options);
            ASSERT_TRUE(serial.ok && parallel.ok)
                << (serial.lines.empty() ? "" : serial.lines.back()) << " / "
                << (parallel.lines.empty() ? "" : parallel.lines.back());
            EXPECT_EQ(parallel.files, serial.files);
            EXPECT_EQ(parallel.contents, serial.contents);
            ASSERT_EQ(serial.files, stream.files);
            // Pictures of several bands are other bytes than one stream; all hold its data.
            size_t i = 0, banded = 0;
            for (const std::string& file : serial.files) {
                if (IsPicture(file)) {
                    EXPECT_TRUE(ImageDataOf(serial.contents[i]) == ImageDataOf(stream.contents[i]))
                        << file;
                    banded += serial.contents[i] != stream.contents[i] ? 1 : 0;
                }
                ++i;
            }
            EXPECT_GE(banded, 3u);
        }
    }
}

TEST(ImageBands, DamageFailsTheDocumentAsOneStreamDoes)
{
    // A gray 3 x 8 document whose second layer has a literal run too long in row 5 of its
    // color channel and in row 2 of its alpha channel, which comes first in the file.
    test_support::PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 2;
    psd.width = 3;
    psd.height = 8;
    psd.planes = {Bytes(24, 9), Bytes(24, 255)};
    for (int32_t l = 0; l < 2; ++l) {
        test_support::PsdLayer layer(0, 0, 8, 3);
        layer.name = std::string(1, static_cast<char>('a' + l));
        std::vector<Bytes> alpha(8, Bytes{0xFE, 200}), gray(8, Bytes{0xFE, 7});
        if (l == 1) {
            alpha[2] = {0x03, 1, 2, 3, 4};
            gray[5] = {0x03, 1, 2, 3, 4};
        }
        layer.Add(test_support::RleRowsChannel(-1, alpha));
        layer.Add(test_support::RleRowsChannel(0, gray));
        psd.layers.push_back(layer);
    }
    const Bytes document = psd.Build();
    cOption options;
    options.psdToPngMerged = options.psdToPngLayers = options.psdToMng = true;
    for (bool drawn : {false, true}) {  // rows opened at each band, or read in turn
        options.asShown = drawn;
        options.imageBands = false;
        const ConvertOutcome stream = ConvertWith(document, 1, options);
        EXPECT_FALSE(stream.ok);
        options.imageBands = true;
        options.bandBytes = 4;  // a row a band
        for (int32_t threads : {1, 3}) {
            const ConvertOutcome banded = ConvertWith(document, threads, options);
            EXPECT_EQ(banded.ok, stream.ok);
            EXPECT_EQ(banded.lines, stream.lines) << drawn << threads;
            EXPECT_EQ(banded.files, stream.files) << drawn << threads;
        }
    }
}

}  // namespace
