#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/ErrorTag.h"
#include "debug/Error.h"
#include "graphic/Image.h"

using sdk::graphic::Image;
using test_support::TagOf;

namespace {


TEST(Image, CreateGivesZeroedAlignedPackedRaster)
{
    Image image(4, 1, 1);
    EXPECT_EQ(image.Stride(), 4);
    EXPECT_EQ(image.Size(), 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.Data()) % 8, 0u);
    EXPECT_EQ(image.Data()[0] | image.Data()[1] | image.Data()[2] | image.Data()[3], 0);

    image.Create(3, 5, 2);
    EXPECT_EQ(image.Stride(), 15);
    EXPECT_EQ(image.Size(), 30);
    EXPECT_EQ(sdk::graphic::Pixel(image, 2, 1), image.Data() + 15 + 6);
}

TEST(Image, BadDimensionsRaiseAndKeepPreviousRaster)
{
    struct Case {
        int32_t channels, width, height;
        const char* tag;
    } const cases[] = {
        {5, 1, 1, "Image::Create:58"},  {0, 1, 1, "Image::Create:58"},
        {1, 0, 10, "Image::Create:59"}, {1, 10, -1, "Image::Create:60"},
        {4, 40000, 40000, "Image::Create:61"}, {1, INT32_MAX, 2, "Image::Create:61"},
    };
    Image image(2, 3, 1);
    image.Data()[5] = 42;
    const uint8_t* raster = image.Data();
    for (const Case& c : cases) {
        EXPECT_EQ(TagOf([&] { image.Create(c.channels, c.width, c.height); }), c.tag);
        EXPECT_EQ(image.Data(), raster);
        EXPECT_EQ(image.Channels() * 10 + image.Width(), 23);
        EXPECT_EQ(image.Data()[5], 42);
    }
}

TEST(Image, DefaultAndReleasedImagesAreInvalid)
{
    Image image;
    const Image& constant = image;
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Channels(), 0);
    EXPECT_EQ(TagOf([&] { image.Data(); }), "Image::Data:79");
    EXPECT_EQ(TagOf([&] { constant.Data(); }), "Image::Data:84");

    image.Create(1, 2, 2);
    Image other = image;
    image.Release();
    EXPECT_FALSE(image.IsValid());
    EXPECT_TRUE(other.IsValid());
}

TEST(Image, CopiesShareRasterUntilOneIsRecreated)
{
    Image a(1, 2, 2);
    Image b;
    b = a;
    Image c(a);
    a.Data()[3] = 9;
    EXPECT_EQ(b.Data()[3], 9);
    EXPECT_EQ(c.Data(), a.Data());

    b.Create(1, 2, 2);
    EXPECT_NE(b.Data(), a.Data());
    EXPECT_EQ(b.Data()[3], 0);
    EXPECT_EQ(c.Data()[3], 9);
}

}  // namespace
