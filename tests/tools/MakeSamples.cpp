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
//   make-samples --bench-adjusted FILE W H LAYERS
//                                            the document of --bench with four adjustment
//                                            layers among its layers: levels, curves,
//                                            hue/saturation and, on top, an invert with a mask
//   make-samples --bench-profiled FILE W H LAYERS
//                                            the document of --bench with a wide-gamut RGB
//                                            profile (Adobe RGB's primaries, gamma 2.2)
//   make-samples --bench-styled FILE W H SIZE all|shadow|none
//                                            one layer of the document's size over a white
//                                            background, with a drop shadow and an outer glow
//                                            of SIZE pixels and a 3-pixel stroke, the shadow
//                                            alone, or no effects
//   make-samples --fuzz-seeds DIR            small documents for the fuzz target: one per
//                                            adjustment kind, gradient and pattern fills with
//                                            their masks, clipping to and from an adjustment,
//                                            layer effects, an artboard, placed layers, layer
//                                            comps, and CMYK, RGB and gray documents with
//                                            colour profiles
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "support/IccProfiles.h"
#include "support/PsdBuilder.h"

using sdk::graphic::Image;
using test_support::Bytes;
using test_support::ByteWriter;
using test_support::DescriptorWriter;
using test_support::LayerBlock;
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

// ---- Adjustment and fill settings, laid out as the editor writes them.

// Pads a settings block to an even length, as the editor stores its blocks.
Bytes Even(Bytes bytes)
{
    if (bytes.size() % 2 != 0)
        bytes.push_back(0);
    return bytes;
}

// Levels: version 2, the master record, red, green, blue and 25 unused ones (input floor and
// ceiling, output floor and ceiling, gamma x 100), then the "Lvls" extension whose 33 records
// are not used either.
Bytes LevelsSettings(int floor, int ceiling, int gamma)
{
    ByteWriter block;
    block.U16(2);
    block.U16(static_cast<uint32_t>(floor)).U16(static_cast<uint32_t>(ceiling)).U16(0).U16(255);
    block.U16(static_cast<uint32_t>(gamma));
    for (int i = 1; i < 29; ++i)
        block.U16(0).U16(255).U16(0).U16(255).U16(100);
    block.Text("Lvls").U16(3).U16(62);
    for (int i = 29; i < 62; ++i)
        block.U16(0).U16(255).U16(0).U16(255).U16(100);
    return block.Data();
}

// Curves: points (output, input) of the master curve, then the "Crv " extension listing it again
// with its channel number.
Bytes CurvesSettings(const std::vector<std::pair<int, int>>& points)
{
    ByteWriter block;
    block.U8(0).U16(1).U32(1);
    auto curve = [&] {
        block.U16(static_cast<uint32_t>(points.size()));
        for (const auto& point : points)
            block.U16(static_cast<uint32_t>(point.first)).U16(static_cast<uint32_t>(point.second));
    };
    curve();
    block.Text("Crv ").U16(4).U32(1).U16(0);
    curve();
    return block.Data();
}

// Hue/saturation ("hue2"): version 2, colorize, the colorization, the master change, then the six
// colour ranges at the editor's defaults (reds, yellows, greens, cyans, blues, magentas), each
// with its own change.
Bytes HueSaturationSettings(int hue, int saturation, int lightness, int redSaturation = 0)
{
    ByteWriter block;
    block.U16(2).U8(0).U8(0);
    block.I16(0).I16(25).I16(0);
    block.I16(hue).I16(saturation).I16(lightness);
    for (int range = 0; range < 6; ++range) {
        const int centre = range * 60;
        for (int edge : {centre - 45, centre - 15, centre + 15, centre + 45})
            block.I16((edge + 360) % 360);
        block.I16(0).I16(range == 0 ? redSaturation : 0).I16(0);
    }
    return block.Data();
}

// Brightness/contrast: the old block (brightness, contrast, mean, Lab only) and the "CgEd"
// descriptor the editor keeps beside it since the non-legacy formula.
Bytes BrightnessContrastSettings(int brightness, int contrast)
{
    ByteWriter block;
    block.I16(brightness).I16(contrast).U16(127).U8(0).U8(0);
    return block.Data();
}

Bytes BrightnessContrastDescriptor(int brightness, int contrast, bool legacy)
{
    DescriptorWriter settings;
    settings.Long("Vrsn", 1).Long("Brgh", brightness).Long("Cntr", contrast).Long("means", 127);
    settings.Bool("Lab ", false).Bool("useLegacy", legacy).Bool("Auto", false);
    return settings.Versioned();
}

// Color balance: cyan-red, magenta-green and yellow-blue shifts of the shadows, midtones and
// highlights, then preserve luminosity.
Bytes ColorBalanceSettings()
{
    ByteWriter block;
    for (int shift : {-10, 0, 15, 20, -5, 0, 0, 10, -20})
        block.I16(shift);
    block.U8(1);
    return Even(block.Data());
}

// Selective color: version 1, relative or absolute, then ten families of cyan, magenta, yellow
// and black (the first unused): reds, yellows, greens, cyans, blues, magentas, whites, neutrals,
// blacks.
Bytes SelectiveColorSettings(bool absolute)
{
    ByteWriter block;
    block.U16(1).U16(absolute ? 1 : 0);
    for (int family = 0; family < 10; ++family) {
        const int cyan = family == 1 ? -30 : family == 5 ? 20 : 0;
        const int black = family == 9 ? 10 : 0;
        block.I16(cyan).I16(family == 8 ? -15 : 0).I16(family == 2 ? 25 : 0).I16(black);
    }
    return block.Data();
}

// Channel mixer: version 1, monochrome, then red, green, blue and the monochrome record (red,
// green, blue, an unused weight, the constant).
Bytes ChannelMixerSettings(bool monochrome)
{
    ByteWriter block;
    block.U16(1).U16(monochrome ? 1 : 0);
    const int rows[4][5] = {{80, 20, 0, 0, 0}, {0, 100, 10, 0, -5}, {10, 0, 90, 0, 0},
                            {40, 40, 20, 0, 0}};
    for (const auto& row : rows)
        for (int value : row)
            block.I16(value);
    return block.Data();
}

// Photo filter: version 3, the filter's D50 XYZ colour in 16.16 fixed point (a warming orange),
// density, preserve luminosity.
Bytes PhotoFilterSettings()
{
    ByteWriter block;
    block.U16(3).U32(32768).U32(27525).U32(3277).U32(25).U8(1);
    return Even(block.Data());
}

// Exposure: version 1, exposure, offset and gamma as floats.
Bytes ExposureSettings(float exposure, float offset, float gamma)
{
    ByteWriter block;
    block.U16(1);
    for (float value : {exposure, offset, gamma}) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        block.U32(bits);
    }
    return block.Data();
}

Bytes VibranceSettings(int vibrance, int saturation)
{
    DescriptorWriter settings;
    settings.Long("vibrance", vibrance).Long("Strt", saturation);
    return settings.Versioned();
}

DescriptorWriter RgbColour(double red, double green, double blue)
{
    DescriptorWriter colour("RGBC");
    colour.Double("Rd  ", red).Double("Grn ", green).Double("Bl  ", blue);
    return colour;
}

Bytes BlackWhiteSettings(bool tint)
{
    DescriptorWriter settings;
    settings.Long("Rd  ", 40).Long("Yllw", 60).Long("Grn ", 40).Long("Cyn ", 60);
    settings.Long("Bl  ", 20).Long("Mgnt", 80).Bool("useTint", tint);
    settings.Object("tintColor", RgbColour(225, 211, 179));
    settings.Enum("bwPresetKind", "bwPresetKindType", "bwPresetKindDefault");
    settings.Text("blackAndWhitePresetFileName", "");
    return settings.Versioned();
}

// Posterize and threshold: a level count or a threshold, and two unused bytes.
Bytes ShortSettings(int value)
{
    ByteWriter block;
    block.U16(static_cast<uint32_t>(value)).U16(0);
    return block.Data();
}

// Color lookup: version 1, descriptor version 16, then a descriptor naming a 2 x 2 x 2 cube
// file and holding its text.
Bytes ColorLookupSettings()
{
    const std::string cube =
        "TITLE \"warm\"\nLUT_3D_SIZE 2\n"
        "0.05 0 0\n1 0.1 0\n0 0.9 0\n1 1 0.1\n0 0 0.8\n0.9 0 1\n0 1 1\n1 1 0.95\n";
    DescriptorWriter settings;
    settings.Enum("lookupType", "colorLookupType", "3DLUT").Text("Nm  ", "warm.cube");
    settings.Bool("Dthr", true).Enum("LUTFormat", "LUTFormatType", "LUTFormatCUBE");
    settings.Raw("LUT3DFileData", Bytes(cube.begin(), cube.end()));
    ByteWriter block;
    block.U16(1).U32(16).Append(settings.Build());
    return Even(block.Data());
}

// Gradient map: version 1, reverse, dither, the gradient's name, colour stops (location,
// midpoint, colour space and four components, two unused bytes), transparency stops
// (location, midpoint, opacity), then the expansion, smoothness, length, form (custom stops),
// the noise settings and two unused bytes.
Bytes GradientMapSettings(bool reverse)
{
    ByteWriter block;
    block.U16(1).U8(reverse ? 1 : 0).U8(0);
    const std::u16string name = u"Violet, Orange";
    block.U32(static_cast<uint32_t>(name.size() + 1));
    for (char16_t unit : name)
        block.U16(unit);
    block.U16(0);
    const uint32_t stops[3][4] = {{0, 50, 0x2900, 0x0A00}, {2048, 40, 0xC000, 0x2000},
                                  {4096, 50, 0xFF00, 0x8000}};
    block.U16(3);
    for (const auto& stop : stops)
        block.U32(stop[0]).U32(stop[1]).U16(0).U16(stop[2]).U16(stop[3]).U16(0x4000).U16(0).U16(0);
    block.U16(2);
    block.U32(0).U32(50).U16(100).U32(4096).U32(50).U16(100);
    block.U16(2).U16(4096).U16(32).U16(0);
    block.U32(0).U16(0).U16(0).U32(2048).U16(3);
    block.U16(0).U16(0).U16(0).U16(0).U16(100).U16(100).U16(100).U16(0).Zeros(2);
    return block.Data();
}

DescriptorWriter ColourStop(const DescriptorWriter& colour, int32_t location, int32_t midpoint)
{
    DescriptorWriter stop("Clrt");
    stop.Object("Clr ", colour).Enum("Type", "Clry", "UsrS").Long("Lctn", location);
    return stop.Long("Mdpn", midpoint);
}

DescriptorWriter OpacityStop(double opacity, int32_t location)
{
    DescriptorWriter stop("TrnS");
    stop.Unit("Opct", "#Prc", opacity).Long("Lctn", location).Long("Mdpn", 50);
    return stop;
}

// A gradient fill's settings ("GdFl"; a gradient overlay or stroke has the same): a blue to
// orange gradient that fades out, of style ("Lnr ", "Rdl ", ...), aligned with the layer.
DescriptorWriter GradientSettings(const std::string& style, double angle)
{
    DescriptorWriter gradient("Grdn");
    gradient.Text("Nm  ", "Custom").Enum("GrdF", "GrdF", "CstS").Double("Intr", 4096);
    gradient.List("Clrs", {ColourStop(RgbColour(20, 60, 200), 0, 50),
                           ColourStop(RgbColour(250, 140, 20), 4096, 35)});
    gradient.List("Trns", {OpacityStop(100, 0), OpacityStop(30, 4096)});
    DescriptorWriter offset("Pnt ");
    offset.Unit("Hrzn", "#Prc", 10).Unit("Vrtc", "#Prc", -5);
    DescriptorWriter settings;
    settings.Bool("Dthr", true).Enum("gradientsInterpolationMethod", "gradientInterpolationMethodType", "Perc");
    settings.Unit("Angl", "#Ang", angle).Enum("Type", "GrdT", style).Bool("Algn", true);
    settings.Unit("Scl ", "#Prc", 80).Object("Ofst", offset).Object("Grad", gradient);
    return settings;
}

Bytes GradientFillSettings(const std::string& style, double angle)
{
    return GradientSettings(style, angle).Versioned();
}

// A pattern fill's settings ("PtFl"; a pattern overlay's are the same) of the pattern
// identified by id, at a phase and scale.
DescriptorWriter PatternSettings(const std::string& id)
{
    DescriptorWriter pattern("Ptrn");
    pattern.Text("Nm  ", "checks").Text("Idnt", id);
    DescriptorWriter phase("Pnt ");
    phase.Double("Hrzn", 1).Double("Vrtc", 2);
    DescriptorWriter settings;
    settings.Unit("Scl ", "#Prc", 150).Bool("Algn", true).Object("phase", phase);
    settings.Object("Ptrn", pattern);
    return settings;
}

Bytes PatternFillSettings(const std::string& id)
{
    return PatternSettings(id).Versioned();
}

// A layer without a rectangle or pixels, drawn from its settings block (an adjustment or a
// fill), with more blocks after it when given.
PsdLayer SettingsLayer(const std::string& name, const std::string& key, const Bytes& settings,
                       const Bytes& more = {})
{
    PsdLayer layer(0, 0, 0, 0);
    layer.name = name;
    for (int16_t id : {-1, 0, 1, 2})
        layer.Add(test_support::RawChannel(id, {}));
    layer.additional = LayerBlock(key, settings);
    layer.additional.insert(layer.additional.end(), more.begin(), more.end());
    return layer;
}

// Gives layer a mask over the rectangle, holding plane (its rows, RLE): default colour 0.
void AddMask(PsdLayer& layer, int32_t top, int32_t left, int32_t bottom, int32_t right,
             const Bytes& plane)
{
    ByteWriter mask;
    mask.I32(top).I32(left).I32(bottom).I32(right).U8(0).U8(0).U16(0);
    layer.mask = mask.Data();
    layer.Add(test_support::RleChannel(-2, plane, right - left));
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

// The document of --bench; when adjusted, levels, curves and hue/saturation layers come over
// layers 5, 10 and 15 and an invert with a soft round mask over the whole canvas tops it.
void MakeBenchmarkDocument(const std::string& path, int32_t width, int32_t height, int32_t layers,
                           int depth, bool adjusted = false, bool profiled = false)
{
    PsdBuilder psd;
    psd.width = width;
    psd.height = height;
    psd.compression = test_support::kPsdRle;
    if (profiled)
        psd.resources = test_support::ImageResource(1039, test_support::WideRgbProfile());
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
        if (!adjusted)
            continue;
        if (i == 4)
            psd.layers.push_back(SettingsLayer("Levels 1", "levl", LevelsSettings(18, 235, 120)));
        else if (i == 9)
            psd.layers.push_back(SettingsLayer(
                "Curves 1", "curv", CurvesSettings({{0, 0}, {88, 64}, {190, 176}, {255, 255}})));
        else if (i == 14)
            psd.layers.push_back(
                SettingsLayer("Hue/Saturation 1", "hue2", HueSaturationSettings(12, 20, 0, -30)));
    }
    if (adjusted) {
        PsdLayer invert = SettingsLayer("Invert 1", "nvrt", {});
        invert.opacity = 153;
        AddMask(invert, 0, 0, height, width, Plane(width, height, [&](int x, int y) {
            return Disc(x, y, width / 2, height / 2, std::min(width, height) / 3);
        }));
        psd.layers.push_back(std::move(invert));
    }
    WriteFile(path, psd.Build());
}

// A block of path records for a vector mask ("vmsk"): version 3, no flags, the fill rule and
// initial fill records, then one closed subpath of corner knots (points as fractions of the
// document, in 8.24 fixed point, vertical first).
Bytes VectorMaskSettings(const std::vector<std::pair<double, double>>& corners)
{
    ByteWriter block;
    block.U32(3).U32(0);
    block.U16(6).Zeros(24);
    block.U16(8).U16(0).Zeros(22);
    block.U16(0).U16(static_cast<uint32_t>(corners.size())).U16(static_cast<uint32_t>(1)).U8(0);
    block.U8(1).Zeros(18);
    for (const auto& corner : corners) {
        block.U16(1);
        for (int i = 0; i < 3; ++i) {
            block.I32(static_cast<int32_t>(std::lround(corner.second * (1 << 24))));
            block.I32(static_cast<int32_t>(std::lround(corner.first * (1 << 24))));
        }
    }
    return block.Data();
}

// An effect of class key: enabled, in mode, at opacity (percent), of colour red, green, blue.
DescriptorWriter Effect(const std::string& key, const std::string& mode, double opacity,
                        int red, int green, int blue)
{
    DescriptorWriter effect(key);
    effect.Bool("enab", true).Enum("Md  ", "BlnM", mode).Unit("Opct", "#Prc", opacity);
    effect.Object("Clr ", RgbColour(red, green, blue));
    return effect;
}

// A shadow's or glow's falloff: size, spread or choke (percent), and a contour that is not
// linear.
DescriptorWriter& Falloff(DescriptorWriter& effect, double size, double spread)
{
    DescriptorWriter contour("ShpC");
    contour.Text("Nm  ", "Cove").List("Crv ", {DescriptorWriter("CrPt").Double("Hrzn", 0).Double("Vrtc", 0),
                                            DescriptorWriter("CrPt").Double("Hrzn", 128).Double("Vrtc", 40),
                                            DescriptorWriter("CrPt").Double("Hrzn", 255).Double("Vrtc", 255)});
    effect.Unit("blur", "#Pxl", size).Unit("Ckmt", "#Pxl", spread).Object("TrnS", contour);
    return effect.Unit("Nose", "#Prc", 10);
}

DescriptorWriter Shadow(const std::string& key, double angle, double distance, double size,
                        double spread)
{
    DescriptorWriter shadow = Effect(key, "Mltp", 75, 0, 0, 0);
    shadow.Bool("uglg", false).Unit("lagl", "#Ang", angle).Unit("Dstn", "#Pxl", distance);
    return Falloff(shadow, size, spread).Bool("layerConceals", true);
}

DescriptorWriter Stroke(const std::string& position, double width, const std::string& paint)
{
    DescriptorWriter stroke = paint == "GrFl" ? GradientSettings("Lnr ", 45) : DescriptorWriter();
    stroke.Bool("enab", true).Enum("Styl", "FStl", position).Enum("PntT", "FrFl", paint);
    stroke.Enum("Md  ", "BlnM", "Nrml").Unit("Opct", "#Prc", 100).Unit("Sz  ", "#Pxl", width);
    return stroke.Object("Clr ", RgbColour(255, 0, 0));
}

// An effects block ("lfx2", or "lmfx" with lists): object effects version 0, descriptor
// version 16, the effects under their keys.
Bytes EffectsSettings(const std::vector<std::pair<std::string, DescriptorWriter>>& list)
{
    DescriptorWriter effects;
    effects.Unit("Scl ", "#Prc", 100).Bool("masterFXSwitch", true);
    for (const auto& effect : list)
        effects.Object(effect.first, effect.second);
    ByteWriter block;
    block.U32(0).Append(effects.Versioned());
    return block.Data();
}

// An artboard ("artb"): its rectangle and a custom background colour.
Bytes ArtboardSettings(double left, double top, double right, double bottom)
{
    DescriptorWriter rect("classFloatRect");
    rect.Double("Top ", top).Double("Left", left).Double("Btom", bottom).Double("Rght", right);
    DescriptorWriter settings;
    settings.Object("artboardRect", rect).Text("artboardPresetName", "");
    settings.Object("Clr ", RgbColour(240, 230, 200)).Long("artboardBackgroundType", 4);
    return settings.Versioned();
}

// Small documents for the fuzz target: 12 x 8 pixels, a background and a smaller layer, and over
// them what each file is about.
void MakeFuzzSeeds(const std::string& folder)
{
    const int32_t width = 12, height = 8;
    auto write = [&](const std::string& name, std::vector<PsdLayer> over, const Bytes& global = {},
                     const Bytes& resources = {}) {
        PsdBuilder psd;
        psd.width = width;
        psd.height = height;
        psd.resources = resources;
        psd.compression = test_support::kPsdRle;
        ColourPlanes(psd);
        psd.layers.push_back(ColourLayer(0, 0, width, height, "background", 0, true));
        psd.layers.push_back(ColourLayer(2, 3, 6, 5, "spot", 1, false));
        psd.layers.insert(psd.layers.end(), over.begin(), over.end());
        psd.globalBlocks = global;
        WriteFile(folder + "/" + name + ".psd", psd.Build());
    };
    const Bytes cgEd = LayerBlock("CgEd", BrightnessContrastDescriptor(25, -15, false));
    const std::pair<std::string, Bytes> kinds[] = {
        {"levl", LevelsSettings(10, 240, 130)},
        {"curv", CurvesSettings({{0, 0}, {100, 70}, {200, 210}, {255, 255}})},
        {"brit", BrightnessContrastSettings(25, -15)},
        {"hue2", HueSaturationSettings(30, -20, 10, 40)},
        {"blnc", ColorBalanceSettings()},
        {"selc", SelectiveColorSettings(false)},
        {"mixr", ChannelMixerSettings(false)},
        {"phfl", PhotoFilterSettings()},
        {"grdm", GradientMapSettings(false)},
        {"expA", ExposureSettings(0.75f, -0.02f, 1.1f)},
        {"vibA", VibranceSettings(40, -10)},
        {"blwh", BlackWhiteSettings(true)},
        {"post", ShortSettings(4)},
        {"thrs", ShortSettings(120)},
        {"nvrt", {}},
        {"clrL", ColorLookupSettings()},
    };
    for (const auto& kind : kinds) {
        PsdLayer layer = SettingsLayer(kind.first, kind.first, kind.second,
                                       kind.first == "brit" ? cgEd : Bytes());
        // Every other one is masked, and at part opacity.
        if ((&kind - kinds) % 2 == 1) {
            AddMask(layer, 1, 2, 7, 10, Plane(8, 6, [](int x, int y) { return x * 32 + y * 8; }));
            layer.opacity = 200;
        }
        write("adjust-" + kind.first, {layer});
    }

    // Fills: a gradient with a pixel mask, a radial gradient with a vector mask, a pattern.
    PsdLayer masked = SettingsLayer("gradient", "GdFl", GradientFillSettings("Lnr ", 30));
    AddMask(masked, 0, 1, 8, 11, Plane(10, 8, [](int x, int y) { return Disc(x, y, 5, 4, 4); }));
    write("fill-gradient-mask", {masked});
    const Bytes shape = VectorMaskSettings({{0.1, 0.2}, {0.9, 0.1}, {0.8, 0.95}, {0.2, 0.8}});
    write("fill-gradient-vector",
          {SettingsLayer("radial", "GdFl", GradientFillSettings("Rdl ", 0), LayerBlock("vmsk", shape))});
    const Bytes pattern = test_support::PatternRecord(
        "5e1f0a2c-0001", 3, 2, {{255, 0, 90, 30, 200, 10}, {0, 255, 90, 30, 10, 200}, {40, 40, 90, 220, 10, 10}},
        {255, 255, 128, 255, 0, 255});
    write("fill-pattern", {SettingsLayer("pattern", "PtFl", PatternFillSettings("5e1f0a2c-0001"))},
          LayerBlock("Patt", pattern));

    // Clipping: curves clipped to the spot, then a masked invert with a layer clipped to it.
    PsdLayer curves = SettingsLayer("curves", "curv", CurvesSettings({{0, 40}, {255, 215}}));
    curves.clipping = 1;
    PsdLayer invert = SettingsLayer("invert", "nvrt", {});
    AddMask(invert, 0, 0, 8, 6, Plane(6, 8, [](int x, int) { return x < 3 ? 255 : 0; }));
    PsdLayer clipped = ColourLayer(1, 1, 10, 6, "clipped", 2, true);
    clipped.clipping = 1;
    clipped.opacity = 160;
    write("clip-adjustment", {curves, invert, clipped});

    // Layer effects of every kind, on layers and on a group.
    auto styled = [&](const std::vector<std::pair<std::string, DescriptorWriter>>& list,
                      const std::string& key = "lfx2") {
        PsdLayer layer = ColourLayer(1, 2, 7, 5, "effects", 3, true);
        layer.additional = LayerBlock(key, EffectsSettings(list));
        return layer;
    };
    DescriptorWriter outerGlow = Effect("OrGl", "Scrn", 60, 255, 255, 190);
    Falloff(outerGlow, 4, 20).Unit("Inpr", "#Prc", 40);
    DescriptorWriter innerGlow = Effect("IrGl", "Scrn", 60, 255, 255, 190);
    Falloff(innerGlow, 3, 10).Unit("Inpr", "#Prc", 60).Enum("glwS", "IGSr", "SrcC");
    DescriptorWriter gradientGlow = GradientSettings("Lnr ", 0);
    gradientGlow.Bool("enab", true).Enum("Md  ", "BlnM", "Nrml").Unit("Opct", "#Prc", 80);
    Falloff(gradientGlow, 5, 0);
    DescriptorWriter satin = Effect("ChFX", "Mltp", 50, 0, 0, 0);
    satin.Bool("Invr", true).Unit("lagl", "#Ang", -60).Unit("Dstn", "#Pxl", 3);
    satin.Unit("blur", "#Pxl", 4);
    DescriptorWriter gradientOverlay = GradientSettings("Rflc", 60);
    gradientOverlay.Bool("enab", true).Enum("Md  ", "BlnM", "Ovrl").Unit("Opct", "#Prc", 90);
    DescriptorWriter patternOverlay = PatternSettings("5e1f0a2c-0001");
    patternOverlay.Bool("enab", true).Enum("Md  ", "BlnM", "Nrml").Unit("Opct", "#Prc", 70);
    DescriptorWriter bevel("ebbl");
    bevel.Bool("enab", true).Enum("bvlS", "BESl", "InrB").Enum("bvlT", "bvlT", "SfBL");
    bevel.Enum("bvlD", "BESs", "In  ").Unit("srgR", "#Prc", 200).Unit("blur", "#Pxl", 3);
    bevel.Unit("Sftn", "#Pxl", 1).Bool("uglg", false).Unit("lagl", "#Ang", 120);
    bevel.Unit("Lald", "#Ang", 30).Enum("hglM", "BlnM", "Scrn").Object("hglC", RgbColour(255, 255, 255));
    bevel.Unit("hglO", "#Prc", 75).Enum("sdwM", "BlnM", "Mltp").Object("sdwC", RgbColour(0, 0, 0));
    bevel.Unit("sdwO", "#Prc", 75);
    DescriptorWriter emboss = bevel;
    emboss.Enum("bvlS", "BESl", "PlEb").Enum("bvlT", "bvlT", "PrBL").Enum("bvlD", "BESs", "Out ");
    write("effects-shadows", {styled({{"DrSh", Shadow("DrSh", 120, 2, 3, 30)},
                                      {"IrSh", Shadow("IrSh", 45, 1, 2, 20)}})});
    write("effects-glows", {styled({{"OrGl", outerGlow}, {"IrGl", innerGlow}}),
                            styled({{"OrGl", gradientGlow}})});
    write("effects-satin", {styled({{"ChFX", satin}})});
    write("effects-overlays",
          {styled({{"SoFi", Effect("SoFi", "Mltp", 80, 90, 200, 40)},
                   {"GrFl", gradientOverlay},
                   {"patternFill", patternOverlay}})},
          LayerBlock("Patt", pattern));
    DescriptorWriter strokes;
    strokes.List("frameFXMulti", {Stroke("OutF", 1.5, "SClr"), Stroke("InsF", 1, "GrFl"),
                                  Stroke("CtrF", 2, "SClr")});
    write("effects-strokes", {styled({{"frameFXMulti", strokes}}, "lmfx")});
    write("effects-bevels", {styled({{"ebbl", bevel}}), styled({{"ebbl", emboss}})});
    // A group's two records: the divider below its layers, and its folder with a block of
    // settings.
    PsdLayer divider;
    divider.name = "</Layer group>";
    divider.additional = test_support::SectionBlock(test_support::kGroupDivider);
    auto groupFolder = [](const std::string& name, const Bytes& block) {
        PsdLayer layer;
        layer.name = name;
        layer.additional = test_support::SectionBlock(test_support::kOpenFolder, "pass");
        layer.additional.insert(layer.additional.end(), block.begin(), block.end());
        return layer;
    };
    const Bytes groupEffects = LayerBlock("lfx2", EffectsSettings({{"FrFX", Stroke("OutF", 1, "SClr")},
                                                                   {"DrSh", Shadow("DrSh", 90, 1, 2, 0)}}));
    write("effects-group", {divider, ColourLayer(1, 1, 5, 4, "inside", 4, true),
                            groupFolder("styled group", groupEffects)});

    // An artboard holding a layer and an adjustment.
    write("artboard", {divider, ColourLayer(0, 0, 9, 6, "inside", 4, true),
                       SettingsLayer("levels", "levl", LevelsSettings(0, 200, 100)),
                       groupFolder("Artboard 1", LayerBlock("artb", ArtboardSettings(2, 1, 10, 7)))});

    // Placed layers: an embedded file placed by both placement blocks, and a linked one.
    test_support::LinkedFileRecord embedded;
    embedded.id = "5e1f0a2c-0002";
    embedded.name = u"logo.png";
    embedded.data = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    test_support::LinkedFileRecord linked;
    linked.type = "liFE";
    linked.id = "5e1f0a2c-0003";
    linked.name = u"far.psd";
    linked.fileType = "8BPS";
    linked.fullPath = "file:///art/far.psd";
    PsdLayer placed = ColourLayer(1, 1, 5, 4, "placed", 4, true);
    const std::vector<double> corners = {1, 1, 5, 1, 5, 4, 1, 4};
    placed.additional =
        LayerBlock("PlLd", test_support::LegacyPlacementBlock(embedded.id, corners, 4, 3));
    const Bytes described = test_support::PlacementBlock(embedded.id, corners, 4, 3);
    const Bytes soLd = LayerBlock("SoLd", described);
    placed.additional.insert(placed.additional.end(), soLd.begin(), soLd.end());
    PsdLayer far = ColourLayer(6, 2, 10, 6, "far", 5, true);
    far.additional = LayerBlock("SoLE", test_support::PlacementBlock(linked.id, corners, 4, 4));
    Bytes global = LayerBlock("lnk2", embedded.Build());
    const Bytes external = LayerBlock("lnkE", linked.Build());
    global.insert(global.end(), external.begin(), external.end());
    write("placed", {placed, far}, global);

    // Layer comps: one moves a layer, one hides it, one fades it and takes its style away.
    auto comp = [](const std::string& name, int32_t id, int32_t captured) {
        return DescriptorWriter("Comp").Text("Nm  ", name).Long("compID", id).Long("capturedInfo",
                                                                                    captured);
    };
    const Bytes comps = test_support::ImageResource(
        1065, DescriptorWriter("CompList")
                  .List("list", {comp("moved", 1, 3), comp("hidden", 2, 1), comp("faded", 3, 4)})
                  .Versioned());
    const DescriptorWriter offset = DescriptorWriter("Pnt ").Double("Hrzn", 3).Double("Vrtc", -2);
    const Bytes records =
        DescriptorWriter()
            .List("layerSettings",
                  {DescriptorWriter().Longs("compList", {1}).Bool("enab", true).Object("Ofst", offset),
                   DescriptorWriter().Longs("compList", {2}).Bool("enab", false),
                   DescriptorWriter().Longs("compList", {3}).Object(
                       "blendOptions", DescriptorWriter().Unit("Opct", "#Prc", 40))})
            .Versioned();
    PsdLayer compared = ColourLayer(1, 1, 5, 4, "compared", 4, true);
    compared.additional = test_support::MetadataBlock({{"cmls", records}});
    write("comps", {compared}, {}, comps);

    // Colour profiles: CMYK ink through its profile, wide-gamut RGB, linear gray.
    const std::pair<std::string, uint16_t> modes[] = {{"cmyk", 4}, {"rgb", 3}, {"gray", 1}};
    for (const auto& mode : modes) {
        PsdBuilder psd;
        psd.width = width;
        psd.height = height;
        psd.colorMode = mode.second;
        psd.channels = mode.second == 4 ? 4 : mode.second == 3 ? 3 : 1;
        const Bytes profile = mode.second == 4   ? test_support::InkProfile()
                              : mode.second == 3 ? test_support::WideRgbProfile()
                                                 : test_support::GrayGammaProfile(1.0);
        psd.resources = test_support::ImageResource(1039, profile);
        for (int32_t c = 0; c < psd.channels; ++c) {
            Bytes plane;
            for (int32_t i = 0; i < width * height; ++i)
                plane.push_back(static_cast<uint8_t>(i * 29 + c * 71));
            psd.planes.push_back(plane);
        }
        WriteFile(folder + "/color-" + mode.first + ".psd", psd.Build());
    }
}

// A document of one layer of its size (a disc of colours on transparency) over a white
// background, with effects of size: "all" a drop shadow and an outer glow of that size and a
// 3-pixel stroke, "shadow" the drop shadow alone, "none" no effects.
void MakeStyledBenchmarkDocument(const std::string& path, int32_t width, int32_t height,
                                 double size, const std::string& kind)
{
    if (width < 1 || height < 1 || width > 30000 || height > 30000)
        throw std::runtime_error("width and height must be from 1 to 30000");
    if (kind != "all" && kind != "shadow" && kind != "none")
        throw std::runtime_error("the effects are all, shadow or none");
    PsdBuilder psd;
    psd.width = width;
    psd.height = height;
    psd.compression = test_support::kPsdRle;
    ColourPlanes(psd);
    const size_t n = static_cast<size_t>(width) * height;
    PsdLayer background(0, 0, height, width);
    background.name = "Background";
    for (int16_t id : {0, 1, 2})
        background.Add(test_support::RleChannel(id, Bytes(n, 255), width));
    psd.layers.push_back(std::move(background));
    PsdLayer layer = ColourLayer(0, 0, width, height, "styled", 1, true);
    std::vector<std::pair<std::string, DescriptorWriter>> effects;
    if (kind != "none")
        effects.push_back({"DrSh", Shadow("DrSh", 120, size / 5, size, 0)});
    if (kind == "all") {
        DescriptorWriter glow = Effect("OrGl", "Scrn", 75, 255, 255, 190);
        glow.Unit("blur", "#Pxl", size).Unit("Ckmt", "#Pxl", 0).Unit("Inpr", "#Prc", 50);
        effects.push_back({"OrGl", glow});
        effects.push_back({"FrFX", Stroke("OutF", 3, "SClr")});
    }
    if (!effects.empty())
        layer.additional = LayerBlock("lfx2", EffectsSettings(effects));
    psd.layers.push_back(std::move(layer));
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
        if (argc == 2 && argv[1][0] != '-') {
            MakeSamples(argv[1]);
            return 0;
        }
        const bool deep = argc == 7 && std::string(argv[6]) == "16";
        if ((argc == 6 || deep) && std::string(argv[1]) == "--bench") {
            MakeBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                  std::atoi(argv[5]), deep ? 16 : 8);
            return 0;
        }
        if (argc == 7 && std::string(argv[1]) == "--bench-styled") {
            MakeStyledBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                        std::atof(argv[5]), argv[6]);
            return 0;
        }
        if (argc == 6 && std::string(argv[1]) == "--bench-profiled") {
            MakeBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                  std::atoi(argv[5]), 8, false, true);
            return 0;
        }
        if (argc == 6 && std::string(argv[1]) == "--bench-adjusted") {
            MakeBenchmarkDocument(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                                  std::atoi(argv[5]), 8, true);
            return 0;
        }
        if (argc == 3 && std::string(argv[1]) == "--fuzz-seeds") {
            MakeFuzzSeeds(argv[2]);
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
                 "       make-samples --bench-adjusted FILE W H LAYERS\n"
                 "       make-samples --bench-profiled FILE W H LAYERS\n"
                 "       make-samples --bench-styled FILE W H SIZE all|shadow|none\n"
                 "       make-samples --fuzz-seeds DIR\n"
                 "       make-samples --bench-flat FILE W H LAYERS [psb]\n");
    return 2;
}
