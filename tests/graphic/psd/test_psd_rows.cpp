// The PSD reader's images as sources of rows: the pixels and errors of decoding the channels one
// after another, the row width limit, and sources read on several threads at once.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "support/ErrorTag.h"
#include "support/PsdBuilder.h"
#include "support/PsdReader.h"

using sdk::graphic::Image;
using sdk::graphic::RowSource;
using test_support::Bytes;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::RawChannel;
using test_support::RleRowsChannel;
using test_support::TagOf;
using Reader = test_support::PsdReader;

namespace {

// A gray document whose one layer, width x height at (0, 0), has these channels.
Bytes GrayLayer(int32_t width, int32_t height,
                const std::vector<test_support::PsdChannel>& channels)
{
    PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 1;
    psd.planes.assign(1, Bytes{0});
    PsdLayer layer(0, 0, height, width);
    layer.channels = channels;
    psd.layers.push_back(layer);
    return psd.Build();
}

// Every row of a source, one after another.
Bytes AllRows(RowSource& rows)
{
    Bytes bytes;
    for (int32_t y = 0; y < rows.Height(); ++y) {
        const uint8_t* row = rows.NextRow();
        bytes.insert(bytes.end(), row, row + rows.Width() * rows.Channels());
    }
    return bytes;
}

}  // namespace

TEST(PsdRows, PixelsAreThoseOfDecodingTheChannelsOneAfterAnother)
{
    // The second gray channel hides the first; the third, shown, has a short first row, which
    // keeps what the hidden channel's last row left in the row buffer.
    const Bytes file =
        GrayLayer(3, 2,
                  {RawChannel(-1, {255, 255, 255, 255, 255, 255}),
                   RawChannel(0, {1, 2, 3, 4, 5, 6}), RleRowsChannel(0, {{0x00, 9}, {0xFE, 7}})});
    const Bytes expected = {255, 9, 255, 5, 255, 6, 255, 7, 255, 7, 255, 7};
    EXPECT_EQ(test_support::LayerRaster(file, 0), expected);
    Reader reader(file);
    std::unique_ptr<RowSource> rows = reader.psd.LayerRows(0);
    EXPECT_EQ(AllRows(*rows), expected);
    EXPECT_EQ(TagOf([&] { rows->NextRow(); }), "PsdImageRows::NextRow:190");
}

TEST(PsdRows, DamageIsRaisedAsTheChannelsOneAfterAnotherMeetIt)
{
    // Transparency is damaged in its last row (a literal longer than the row), gray in its first
    // (a literal longer than its data): transparency comes first in the file, so its tag is
    // raised, from the first row already.
    const Bytes file = GrayLayer(2, 2,
                                 {RleRowsChannel(-1, {{0x01, 1, 2}, {0x04, 1, 2}}),
                                  RleRowsChannel(0, {{0x01, 1}, {0x01, 3, 4}})});
    Reader reader(file);
    std::unique_ptr<RowSource> rows = reader.psd.LayerRows(0);
    EXPECT_EQ(TagOf([&] { rows->NextRow(); }), "memory_out::Fill:77");
    Image image;
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(0, image); }), "memory_out::Fill:77");

    // A hidden channel's damage is found before the first row, though no row shows it.
    const Bytes hidden = GrayLayer(2, 1, {RleRowsChannel(0, {{0x01, 1}}), RawChannel(0, {3, 4})});
    Reader second(hidden);
    EXPECT_EQ(TagOf([&] { second.psd.LayerRows(0); }), "memory_in::Read:42");
}

TEST(PsdRows, RowsWiderThanTheLimitAreRefusedBeforeAnythingIsAllocated)
{
    // 1,000,001 pixels of PackBits: runs of 128, then one of 1.
    const int32_t width = 1000001;
    Bytes row;
    for (int32_t left = width; left > 0; left -= 128) {
        const int32_t run = left < 128 ? left : 128;
        row.push_back(static_cast<uint8_t>(1 - run));
        row.push_back(7);
    }
    Reader reader(GrayLayer(width, 1, {RleRowsChannel(0, {row})}));
    EXPECT_EQ(TagOf([&] { reader.psd.LayerRows(0); }), "ImageLoaderPSD::LoadImage:340");
    Image image;
    EXPECT_EQ(TagOf([&] { reader.psd.LayerLoad(0, image); }), "ImageLoaderPSD::LoadImage:340");
}

TEST(PsdRows, SourcesOfOneReaderRunOnSeveralThreadsAtOnce)
{
    PsdBuilder psd;
    psd.planes.assign(3, Bytes{0});
    for (int32_t l = 0; l < 4; ++l) {
        Bytes plane(64 * 48);
        for (size_t i = 0; i < plane.size(); ++i)
            plane[i] = static_cast<uint8_t>(i * (l + 3) / 7);
        PsdLayer layer(l, 0, 48 + l, 64);
        for (int16_t id = -1; id < 3; ++id)
            layer.Add(test_support::RleChannel(id, plane, 64));
        psd.layers.push_back(layer);
    }
    Reader reader(psd.Build());
    std::vector<Bytes> expected, got(4);
    for (int32_t l = 0; l < 4; ++l)
        expected.push_back(test_support::LayerRaster(reader.bytes, l));
    std::vector<std::thread> threads;
    for (int32_t l = 0; l < 4; ++l)
        threads.emplace_back([&, l] { got[l] = AllRows(*reader.psd.LayerRows(l)); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(got, expected);
}
