// Makes the sample files of the project, and the large document of the benchmark.
//
//   make-samples DIR                         the bundled samples: PSD (RGB with alpha, gray,
//                                            indexed), BMP (with an alpha file, split) and PNG
//   make-samples --bench FILE W H LAYERS [16]  one RGB document with alpha, PackBits, LAYERS
//                                              layers of W x H; with 16, the same picture
//                                              with 16 bits per channel
//   make-samples --bench-flat FILE W H LAYERS [psb]
//                                            one RGB document with alpha, PackBits, LAYERS
//                                            layers each filling the W x H canvas with one
//                                            opaque colour, and a flat merged image (the top
//                                            layer's colour); with psb, a large document
//                                            (8-byte lengths). Each channel repeats one encoded
//                                            row, so a 20000 x 20000 document needs a few times
//                                            the memory of its file, not that of its planes
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/StreamFile.h"
#include "support/PsdBuilder.h"

using sdk::graphic::Image;
using test_support::Bytes;
using test_support::PsdBuilder;
using test_support::PsdLayer;

namespace {

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

// A plane of width x height bytes from a function of the pixel position.
template <class Shade>
Bytes Plane(int32_t width, int32_t height, Shade shade)
{
    Bytes plane(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            plane[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(shade(x, y) & 0xFF);
    return plane;
}

// A disc of radius r around (cx, cy): 255 inside, a soft edge, 0 outside.
int Disc(int x, int y, int cx, int cy, int r)
{
    const double d = std::sqrt(double((x - cx) * (x - cx) + (y - cy) * (y - cy)));
    if (d <= r - 2)
        return 255;
    if (d >= r + 2)
        return 0;
    return static_cast<int>(255 * (r + 2 - d) / 4);
}

PsdLayer ColourLayer(int32_t top, int32_t left, int32_t width, int32_t height,
                     const std::string& name, int seed, bool rle, int depth = 8)
{
    PsdLayer layer(top, left, top + height, left + width);
    layer.name = name;
    auto channel = [&](int16_t id, const Bytes& plane) {
        const Bytes samples = depth == 16 ? test_support::Widen16(plane) : plane;
        return rle ? test_support::RleChannel(id, samples, width * (depth / 8))
                   : test_support::RawChannel(id, samples);
    };
    layer.Add(channel(-1, Plane(width, height, [&](int x, int y) {
        return Disc(x, y, width / 2, height / 2, std::min(width, height) / 2 - 2);
    })));
    layer.Add(channel(0, Plane(width, height, [&](int x, int) { return x * 255 / std::max(1, width - 1) + seed * 40; })));
    layer.Add(channel(1, Plane(width, height, [&](int, int y) { return y * 255 / std::max(1, height - 1) + seed * 70; })));
    layer.Add(channel(2, Plane(width, height, [&](int x, int y) { return ((x / 8 + y / 8) % 2) * 160 + seed * 30; })));
    return layer;
}

// The merged image of a colour document: a simple picture with an alpha plane.
void ColourPlanes(PsdBuilder& psd)
{
    const int32_t w = psd.width, h = psd.height;
    psd.channels = 4;
    psd.planes = {
        Plane(w, h, [&](int x, int) { return x * 255 / std::max(1, w - 1); }),
        Plane(w, h, [&](int, int y) { return y * 255 / std::max(1, h - 1); }),
        Plane(w, h, [&](int x, int y) { return (x ^ y) & 0xFF; }),
        Plane(w, h, [&](int x, int y) { return Disc(x, y, w / 2, h / 2, std::min(w, h) / 2) | 0x40; }),
    };
}

void MakeSamples(const std::string& folder)
{
    // RGB with alpha, three layers with offsets (one partly outside), Japanese names (code page
    // 932 bytes, as the documents store them): 背景, 文字, 円.
    PsdBuilder rgb;
    rgb.width = 160;
    rgb.height = 120;
    rgb.compression = test_support::kPsdRle;
    ColourPlanes(rgb);
    rgb.layers.push_back(ColourLayer(0, 0, 160, 120, "\x94\x77\x8C\x69", 0, true));
    rgb.layers.push_back(ColourLayer(20, 30, 90, 40, "\x95\xB6\x8E\x9A", 1, true));
    rgb.layers.push_back(ColourLayer(-15, 110, 70, 70, "\x89\x7E", 2, false));
    rgb.layers.back().mode = "mul ";
    WriteFile(folder + "/layers_rgb.psd", rgb.Build());

    // Grayscale with alpha, two layers.
    PsdBuilder gray;
    gray.width = 96;
    gray.height = 64;
    gray.channels = 2;
    gray.colorMode = 1;
    gray.planes = {Plane(96, 64, [](int x, int y) { return (x * 2 + y) & 0xFF; }),
                   Plane(96, 64, [](int x, int y) { return Disc(x, y, 48, 32, 30); })};
    for (int i = 0; i < 2; ++i) {
        PsdLayer layer(8 * i, 16 * i, 8 * i + 48, 16 * i + 64);
        layer.name = i == 0 ? "base" : "shade";
        layer.Add(test_support::RawChannel(-1, Plane(64, 48, [](int x, int y) { return Disc(x, y, 32, 24, 22); })));
        layer.Add(test_support::RleChannel(0, Plane(64, 48, [i](int x, int y) { return (x * 4 + y * 2 + i * 90) & 0xFF; }), 64));
        gray.layers.push_back(layer);
    }
    WriteFile(folder + "/gray.psd", gray.Build());

    // Indexed colour: a palette of 16 colours and one layer.
    PsdBuilder indexed;
    indexed.width = 64;
    indexed.height = 64;
    indexed.channels = 1;
    indexed.colorMode = 2;
    Bytes red, green, blue;
    for (int i = 0; i < 16; ++i) {
        red.push_back(static_cast<uint8_t>(i * 17));
        green.push_back(static_cast<uint8_t>(255 - i * 17));
        blue.push_back(static_cast<uint8_t>((i * 53) & 0xFF));
    }
    indexed.colorModeData = test_support::Palette(red, green, blue);
    indexed.planes = {Plane(64, 64, [](int x, int y) { return ((x / 4) ^ (y / 4)) & 15; })};
    PsdLayer index_layer(0, 0, 64, 64);
    index_layer.name = "tiles";
    index_layer.Add(test_support::RawChannel(0, indexed.planes[0]));
    indexed.layers.push_back(index_layer);
    WriteFile(folder + "/indexed.psd", indexed.Build());

    // A BMP with its alpha file beside it, one with alpha in its right half, and a PNG with alpha.
    Image picture(3, 120, 80), alpha(1, 120, 80), split(3, 240, 80), png(4, 100, 100);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x) {
            uint8_t* p = sdk::graphic::Pixel(picture, x, y);
            p[0] = static_cast<uint8_t>(x * 2);
            p[1] = static_cast<uint8_t>(y * 3);
            p[2] = static_cast<uint8_t>(200 - x);
            *sdk::graphic::Pixel(alpha, x, y) = static_cast<uint8_t>(Disc(x, y, 60, 40, 36));
            uint8_t* left = sdk::graphic::Pixel(split, x, y);
            uint8_t* right = sdk::graphic::Pixel(split, x + 120, y);
            left[0] = p[2];
            left[1] = p[0];
            left[2] = p[1];
            right[0] = right[1] = right[2] = static_cast<uint8_t>(Disc(x, y, 60, 40, 30));
        }
    }
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            uint8_t* p = sdk::graphic::Pixel(png, x, y);
            p[0] = static_cast<uint8_t>(Disc(x, y, 50, 50, 45));
            p[1] = static_cast<uint8_t>(x * 2);
            p[2] = static_cast<uint8_t>(y * 2);
            p[3] = static_cast<uint8_t>(255 - x - y / 2);
        }
    }
    sdk::graphic::SaveBMP(picture, folder + "/picture.bmp");
    sdk::graphic::SaveBMP(alpha, folder + "/picture_.bmp");
    sdk::graphic::SaveBMP(split, folder + "/split.bmp");
    sdk::stream::file_out file(folder + "/badge.png");
    file.OpenWrite();
    sdk::graphic::ImageSaverPNG saver(file);
    sdk::graphic::ImageInfo info;
    info.title = "badge";
    saver.Save(png, info);
}

void MakeBenchmarkDocument(const std::string& path, int32_t width, int32_t height, int32_t layers,
                           int depth)
{
    PsdBuilder psd;
    psd.width = width;
    psd.height = height;
    psd.compression = test_support::kPsdRle;
    ColourPlanes(psd);
    if (depth == 16) {
        psd.depth = 16;
        for (Bytes& plane : psd.planes)
            plane = test_support::Widen16(plane);
    }
    for (int32_t i = 0; i < layers; ++i) {
        // Layers of the document's size, each a little shifted, with a shaped alpha.
        psd.layers.push_back(ColourLayer((i % 5) * 7, (i % 4) * 9, width, height,
                                         "layer " + std::to_string(i + 1), i, true, depth));
    }
    WriteFile(path, psd.Build());
}

// A flat colour of the document made by --bench-flat: layer i gets colour i, the merged image
// the colour of the top layer (the last one).
struct Flat {
    uint8_t red, green, blue;
};

Flat FlatColour(int32_t i)
{
    return {static_cast<uint8_t>((40 + i * 83) & 0xFF), static_cast<uint8_t>((200 + i * 47) & 0xFF),
            static_cast<uint8_t>((90 + i * 131) & 0xFF)};
}

// A channel whose height rows all hold value: one row is encoded and repeated.
test_support::PsdChannel FlatChannel(int16_t id, int32_t width, int32_t height, uint8_t value,
                                     int countSize)
{
    const Bytes row = test_support::PackBits(Bytes(static_cast<size_t>(width), value));
    return test_support::RleRowsChannel(id, std::vector<Bytes>(static_cast<size_t>(height), row),
                                        countSize);
}

void MakeFlatBenchmarkDocument(const std::string& path, int32_t width, int32_t height,
                               int32_t layers, bool large)
{
    const int32_t limit = large ? 300000 : 30000;
    if (width < 1 || height < 1 || width > limit || height > limit)
        throw std::runtime_error("width and height must be from 1 to " + std::to_string(limit));
    if (layers < 1 || layers > 32767)
        throw std::runtime_error("the layer count must be from 1 to 32767");
    const int countSize = large ? 4 : 2;

    PsdBuilder psd;
    psd.version = large ? 2 : 1;
    psd.width = width;
    psd.height = height;
    psd.channels = 4;
    psd.compression = test_support::kPsdRle;
    for (int32_t i = 0; i < layers; ++i) {
        const Flat colour = FlatColour(i);
        PsdLayer layer(0, 0, height, width);
        layer.name = "flat " + std::to_string(i + 1);
        layer.Add(FlatChannel(-1, width, height, 255, countSize));
        layer.Add(FlatChannel(0, width, height, colour.red, countSize));
        layer.Add(FlatChannel(1, width, height, colour.green, countSize));
        layer.Add(FlatChannel(2, width, height, colour.blue, countSize));
        psd.layers.push_back(std::move(layer));
    }

    // The merged image, opaque in the top layer's colour: the row counts of every channel
    // (red, green, blue, alpha), then the rows of every channel.
    const Flat top = FlatColour(layers - 1);
    const uint8_t values[4] = {top.red, top.green, top.blue, 255};
    Bytes rows[4];
    size_t size = 0;
    for (int c = 0; c < 4; ++c) {
        rows[c] = test_support::PackBits(Bytes(static_cast<size_t>(width), values[c]));
        size += (static_cast<size_t>(countSize) + rows[c].size()) * static_cast<size_t>(height);
    }
    Bytes& body = psd.mergedBody.emplace();
    body.reserve(size);
    for (int c = 0; c < 4; ++c) {
        for (int32_t y = 0; y < height; ++y) {
            for (int shift = (countSize - 1) * 8; shift >= 0; shift -= 8)
                body.push_back(static_cast<uint8_t>(rows[c].size() >> shift));
        }
    }
    for (int c = 0; c < 4; ++c)
        for (int32_t y = 0; y < height; ++y)
            body.insert(body.end(), rows[c].begin(), rows[c].end());

    const Bytes file = psd.Build();
    psd = PsdBuilder();
    if (file.size() > 0x7FFFFFFFu)
        throw std::runtime_error("the document would be " + std::to_string(file.size()) +
                                 " bytes, more than 2 GiB - 1");
    WriteFile(path, file);
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 2) {
            MakeSamples(argv[1]);
            return 0;
        }
        const bool deep = argc == 7 && std::string(argv[6]) == "16";
        if ((argc == 6 || deep) && std::string(argv[1]) == "--bench") {
            MakeBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                  std::atoi(argv[5]), deep ? 16 : 8);
            return 0;
        }
        const bool large = argc == 7 && std::string(argv[6]) == "psb";
        if ((argc == 6 || large) && std::string(argv[1]) == "--bench-flat") {
            MakeFlatBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                      std::atoi(argv[5]), large);
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-samples: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: make-samples DIR\n"
                 "       make-samples --bench FILE W H LAYERS [16]\n"
                 "       make-samples --bench-flat FILE W H LAYERS [psb]\n");
    return 2;
}
