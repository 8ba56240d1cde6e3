// The writer picks each row's filter itself; the files must be byte for byte those that libpng's
// own search gives.
#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <vector>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"

using sdk::graphic::Image;

namespace {

using Bytes = std::vector<uint8_t>;

void Append(png_structp png, png_bytep data, size_t length)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

// The image encoded by libpng alone, its filter search included, with compression level.
Bytes ReferencePng(const Image& image, int level)
{
    static const int kTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                 PNG_COLOR_TYPE_RGB_ALPHA};
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, Append, NoFlush);
        png_set_bgr(png);
        png_set_swap_alpha(png);
        if (level == 9) {
            png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
            png_set_compression_level(png, 9);
        }
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
                     static_cast<png_uint_32>(image.Height()), 8, kTypes[image.Channels() - 1],
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        for (int32_t row = 0; row < image.Height(); ++row)
            png_write_row(png, image.Data() + row * image.Stride());
        png_write_end(png, nullptr);
    } else {
        out.clear();
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

// Smooth areas, edges and noise, so that every filter wins some rows.
Image Pattern(int32_t channels, int32_t width, int32_t height, uint32_t seed)
{
    Image image(channels, width, height);
    uint32_t state = seed;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image.Data() + y * image.Stride();
        for (int32_t i = 0; i < image.Stride(); ++i) {
            state = state * 1664525u + 1013904223u;
            const int kind = (y / 3 + seed) % 4;
            row[i] = static_cast<uint8_t>(kind == 0   ? (state >> 24)
                                          : kind == 1 ? i * 3 + y
                                          : kind == 2 ? (i / channels) * (y + 1)
                                                      : ((i / 7) ^ (y * 5)) + (state >> 30));
        }
    }
    return image;
}

}  // namespace

TEST(PngFilterChoice, FilesEqualThoseOfLibpngsOwnSearch)
{
    const struct {
        int32_t width, height;
    } sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {17, 13}, {64, 40}};
    for (int32_t channels = 1; channels <= 4; ++channels) {
        for (const auto& size : sizes) {
            for (bool best : {false, true}) {
                const Image image = Pattern(channels, size.width, size.height,
                                            static_cast<uint32_t>(channels * 31 + size.width));
                sdk::stream::buffer_io buffer;
                {
                    sdk::graphic::ImageSaverPNG saver(buffer);
                    saver.bestCompression = best;
                    saver.Save(image, sdk::graphic::ImageInfo());
                }
                EXPECT_EQ(buffer.Bytes(), ReferencePng(image, best ? 9 : -1))
                    << channels << " channels, " << size.width << " x " << size.height
                    << (best ? ", best" : ", standard");
            }
        }
    }
}
