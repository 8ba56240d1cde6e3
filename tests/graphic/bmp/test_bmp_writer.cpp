#include <gtest/gtest.h>

#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/ImageOperations.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "stream/StreamBuffer.h"
#include "support/BmpBuilder.h"
#include "support/ErrorTag.h"
#include "support/FileLikeStream.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

using sdk::graphic::Image;
using test_support::Bytes;
using test_support::GetLE16;
using test_support::GetLE32;
using test_support::MakeImage;

namespace {

// An image of the layout whose bytes count up from seed.
Image Counting(int32_t channels, int32_t width, int32_t height, int seed = 1)
{
    Bytes bytes(static_cast<size_t>(channels * width * height));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(seed + 7 * i);
    return MakeImage(channels, width, height, bytes);
}

Bytes Written(const Image& image, int32_t* endPos = nullptr,
              sdk::graphic::BmpForm form = sdk::graphic::BmpForm::Stored)
{
    sdk::stream::buffer_io buffer;
    sdk::graphic::SaveBMP(image, buffer, form);
    if (endPos)
        *endPos = buffer.GetPos();
    return buffer.Bytes();
}

TEST(BmpWriter, HeadersMatchTheLayoutTable)
{
    struct Case {
        int32_t channels, width, height;
        uint32_t fileSize, offBits, compression;
        std::vector<uint32_t> masks;
    } const cases[] = {
        {1, 5, 1, 1086, 1078, 0, {}},
        {2, 3, 2, 66 + 16, 66, 3, {0x0000FF00, 0x000000FF, 0}},
        {3, 1, 2, 62, 54, 0, {}},
        {4, 3, 1, 66 + 12, 66, 3, {0xFF000000, 0x00FF0000, 0x0000FF00}},
    };
    for (const Case& c : cases) {
        const Image image = Counting(c.channels, c.width, c.height);
        int32_t endPos = 0;
        const Bytes file = Written(image, &endPos);
        ASSERT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(endPos, 14);
        const uint32_t expected[][2] = {
            {0, 0x4D42}, {2, c.fileSize}, {6, 0}, {10, c.offBits}, {14, 40},
            {18, uint32_t(c.width)}, {22, uint32_t(c.height)}, {34, uint32_t(image.Size())},
            {30, c.compression}, {38, 0}, {42, 0}, {46, 0}, {50, 0}};
        for (const auto& field : expected)
            EXPECT_EQ(field[0] == 0 ? GetLE16(file, 0) : GetLE32(file, field[0]), field[1])
                << c.channels << " bytes per pixel, offset " << field[0];
        EXPECT_EQ(GetLE16(file, 26), 1);
        EXPECT_EQ(GetLE16(file, 28), 8 * c.channels);
        for (size_t i = 0; i < c.masks.size(); ++i)
            EXPECT_EQ(GetLE32(file, 54 + 4 * i), c.masks[i]);
        for (uint32_t i = 0; c.channels == 1 && i < 256; ++i)
            EXPECT_EQ(GetLE32(file, 54 + 4 * i), i * 0x010101);

        // Bottom row first, each padded with zeros to a multiple of 4 bytes.
        const size_t stride = static_cast<size_t>(image.Stride());
        const size_t padded = (stride + 3) / 4 * 4;
        const Bytes raster = test_support::RasterOf(image);
        for (int32_t row = 0; row < c.height; ++row) {
            Bytes expectedRow(raster.end() - (row + 1) * stride, raster.end() - row * stride);
            expectedRow.resize(padded, 0);
            const auto at = file.begin() + c.offBits + row * padded;
            EXPECT_EQ(Bytes(at, at + padded), expectedRow) << c.channels << ", file row " << row;
        }
    }
}

TEST(BmpWriter, ReaderGetsGreyAndColourImagesBackAndRefusesBitFields)
{
    test_support::TempDir folder;
    for (int32_t width = 1; width <= 5; ++width) {
        const Image colour = Counting(3, width, 3, width);
        const Image grey = Counting(1, width, 2, width);
        sdk::graphic::SaveBMP(colour, folder / "colour.bmp");
        sdk::graphic::SaveBMP(grey, folder / "grey.bmp");
        Image loaded;
        sdk::graphic::Load(loaded, folder / "colour.bmp");
        EXPECT_TRUE(SameFormat(loaded, colour));
        EXPECT_EQ(test_support::RasterOf(loaded), test_support::RasterOf(colour));
        sdk::graphic::Load(loaded, folder / "grey.bmp");
        Bytes expected;
        for (uint8_t g : test_support::RasterOf(grey))
            expected.insert(expected.end(), {g, g, g});
        EXPECT_EQ(test_support::RasterOf(loaded), expected) << "width " << width;
    }
    // The bit-field layouts are outside what the reader takes.
    for (int32_t channels : {2, 4}) {
        const Bytes file = Written(Counting(channels, 2, 2));
        test_support::FileLikeStream stream(file.data(), file.size());
        Image loaded;
        EXPECT_EQ(test_support::TagOf([&] { sdk::graphic::Load(loaded, stream); }),
                  "ImageLoaderBMP::LoadInfo:123");
    }
}

TEST(BmpWriter, ImageWithoutPixelsWritesNothing)
{
    sdk::stream::buffer_io buffer;
    EXPECT_EQ(test_support::TagOf([&] { sdk::graphic::SaveBMP(Image(), buffer); }),
              "Image::Data:84");
    EXPECT_EQ(buffer.GetSize(), 0);
}

TEST(BmpWriter, BgraFormIsAV5HeaderOverBgraWordsAndReadsBackWithTheExtendedReading)
{
    // The bottom row of a 3 x 2 image of each layout whose bytes count up from 1 by 7.
    const Bytes bottomRows[] = {
        {22, 22, 22, 255, 29, 29, 29, 255, 36, 36, 36, 255},
        {50, 50, 50, 43, 64, 64, 64, 57, 78, 78, 78, 71},
        {64, 71, 78, 255, 85, 92, 99, 255, 106, 113, 120, 255},
        {92, 99, 106, 85, 120, 127, 134, 113, 148, 155, 162, 141},
    };
    for (int32_t channels = 1; channels <= 4; ++channels) {
        const Image image = Counting(channels, 3, 2);
        const Bytes file = Written(image, nullptr, sdk::graphic::BmpForm::Bgra);
        ASSERT_EQ(file.size(), 14u + 124 + 24);
        const uint32_t expected[][2] = {
            {2, 162}, {10, 138}, {14, 124}, {18, 3}, {22, 2}, {30, 3}, {34, 24},
            {54, 0x00FF0000}, {58, 0x0000FF00}, {62, 0x000000FF}, {66, 0xFF000000},
            {70, 0x73524742}, {122, 4}, {126, 0}, {130, 0}};
        for (const auto& field : expected)
            EXPECT_EQ(GetLE32(file, field[0]), field[1]) << channels << ", offset " << field[0];
        EXPECT_EQ(GetLE16(file, 28), 32);
        EXPECT_EQ(Bytes(file.begin() + 70, file.begin() + 74), (Bytes{'B', 'G', 'R', 's'}));
        // The bottom row first.
        EXPECT_EQ(Bytes(file.begin() + 138, file.begin() + 150), bottomRows[channels - 1])
            << channels;

        test_support::FileLikeStream stream(file.data(), file.size());
        sdk::graphic::ReadOptions extended;
        extended.extendedBmp = true;
        Image loaded;
        sdk::graphic::Load(loaded, stream, extended);
        // With alpha always, opaque where the image had none.
        EXPECT_EQ(test_support::RasterOf(loaded),
                  test_support::RasterOf(sdk::graphic::Convert(image, 4)))
            << channels;
    }
}

}  // namespace
