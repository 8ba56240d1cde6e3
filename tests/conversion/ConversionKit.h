// Shared by the conversion tests: a context that records what a conversion reports, layered RGB
// documents with known pixels, and readers for the files a conversion writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "conversion/ConvertContext.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/dispatch/LoaderDispatch.h"
#include "stream/StreamFile.h"
#include "support/MngBuilder.h"
#include "support/PsdBuilder.h"
#include "support/TempDir.h"

namespace conversion_test {

using test_support::Bytes;

// Records the status lines and the progress calls of one conversion.
struct Recorder : ProgressSink, StatusSink {
    std::vector<std::string> lines;
    int32_t low = -1, high = -1;
    int32_t position = -1;  // -1 until SetPos
    int32_t steps = 0;
    bool positionResetFirst = false;  // SetPos(0) came before any other progress call
    ConvertContext context{*this, *this};

    void SetRange(int32_t from, int32_t to) override
    {
        low = from;
        high = to;
    }
    void SetPos(int32_t at) override
    {
        positionResetFirst = positionResetFirst || (at == 0 && high == -1 && steps == 0);
        position = at;
    }
    void StepIt() override
    {
        ++position;
        ++steps;
    }
    void AddLine(const std::string& text) override { lines.push_back(text); }
    void Reset()
    {
        lines.clear();
        low = high = position = -1;
        steps = 0;
        positionResetFirst = false;
    }
};

// One layer of a test document. An empty rectangle (width or height 0) is a group marker: four
// channels holding nothing.
struct LayerShape {
    std::string name;  // code page 932 bytes, as a PSD stores them
    int32_t x = 0, y = 0, width = 1, height = 1;
    std::string mode = "norm";
    uint8_t flags = 0;  // 2: hidden
    Bytes additional = {};  // additional layer information (a group's section block, ...)
};

// Colour sample c (0 red, 1 green, 2 blue) of layer l at (x, y); the merged image is layer -1.
inline uint8_t Sample(int32_t l, int32_t c, int32_t x, int32_t y)
{
    return static_cast<uint8_t>(37 * (l + 1) + 61 * c + 13 * x + 7 * y + 3);
}
// Alpha cycles through transparent, half and opaque.
inline uint8_t AlphaSample(int32_t l, int32_t x, int32_t y)
{
    static const uint8_t cycle[3] = {0, 128, 255};
    return cycle[(x + 2 * y + l + 3) % 3];
}

// The image the reader gives for layer l (or the merged image for -1): A, B, G, R.
inline sdk::graphic::Image ExpectedPixels(int32_t l, int32_t width, int32_t height)
{
    sdk::graphic::Image image(4, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = sdk::graphic::Pixel(image, x, y);
            p[0] = AlphaSample(l, x, y);
            p[1] = Sample(l, 2, x, y);
            p[2] = Sample(l, 1, x, y);
            p[3] = Sample(l, 0, x, y);
        }
    return image;
}

// An RGB document with alpha, width x height, with the given layers (and image resources, and
// blocks after the layers); RLE and raw channels alternate between layers.
inline Bytes RgbaDocument(int32_t width, int32_t height, const std::vector<LayerShape>& layers,
                          const Bytes& resources = {}, const Bytes& globalBlocks = {})
{
    auto plane = [](int32_t l, int32_t c, int32_t w, int32_t h) {
        Bytes bytes;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                bytes.push_back(c < 0 ? AlphaSample(l, x, y) : Sample(l, c, x, y));
        return bytes;
    };
    test_support::PsdBuilder psd;
    psd.channels = 4;
    psd.width = width;
    psd.height = height;
    psd.resources = resources;
    psd.globalBlocks = globalBlocks;
    for (int32_t c : {0, 1, 2, -1})
        psd.planes.push_back(plane(-1, c, width, height));
    for (size_t i = 0; i < layers.size(); ++i) {
        const LayerShape& shape = layers[i];
        const int32_t l = static_cast<int32_t>(i);
        test_support::PsdLayer layer(shape.y, shape.x, shape.y + shape.height, shape.x + shape.width);
        layer.name = shape.name;
        layer.mode = shape.mode;
        layer.flags = shape.flags;
        layer.additional = shape.additional;
        const bool empty = shape.width < 1 || shape.height < 1;
        for (int16_t c : {-1, 0, 1, 2}) {
            if (empty)
                layer.Add(test_support::RawChannel(c, Bytes()));
            else if (i % 2 == 0)
                layer.Add(test_support::RawChannel(c, plane(l, c, shape.width, shape.height)));
            else
                layer.Add(test_support::RleChannel(c, plane(l, c, shape.width, shape.height),
                                                   shape.width));
        }
        psd.layers.push_back(layer);
    }
    return psd.Build();
}

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    test_support::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

inline Bytes ReadBytes(const std::string& path)
{
    const std::string text = test_support::ReadWholeFile(path);
    return Bytes(text.begin(), text.end());
}

inline Bytes Raster(const sdk::graphic::Image& image)
{
    return Bytes(image.Data(), image.Data() + image.Size());
}

// The main image of a file, read with the program's own readers.
inline sdk::graphic::Image ReadImage(const std::string& path, sdk::graphic::ImageInfo* info = nullptr)
{
    sdk::stream::file_in file(path);
    file.OpenRead();
    sdk::graphic::Image image;
    sdk::graphic::ImageInfo ignored;
    sdk::graphic::Load(image, info != nullptr ? *info : ignored, file);
    return image;
}

// Every regular file below root, as paths relative to it with "/".
inline std::set<std::string> FilesBelow(const std::string& root)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.insert(entry.path().lexically_relative(root).generic_string());
    return files;
}

// The chunk types of a PNG or MNG file, space-separated.
inline std::string ChunkTypes(const std::string& path)
{
    return test_support::TypesOf(test_support::ParseChunks(ReadBytes(path)));
}

// What converting a document did: its outcome, status lines, files and their bytes, progress.
struct ConvertOutcome {
    bool ok = false;
    std::vector<std::string> lines;
    std::set<std::string> files;
    std::vector<Bytes> contents;
    int32_t position = 0;
};

// Converts document as a.psd in a fresh folder with the options set up and the given number of
// threads; blocked names a path where a folder stands in an output's way.
inline ConvertOutcome ConvertWith(const Bytes& document, int32_t threads, const cOption& options,
                    const std::string& blocked = std::string())
{
    test_support::TempDir scratch;
    option = options;
    option.layerEncoders = threads;
    WriteBytes(scratch / "a.psd", document);
    if (!blocked.empty())
        test_support::MakeFolder(scratch / blocked);
    Recorder recorder;
    ConvertOutcome outcome;
    outcome.ok = ConvertFile(recorder.context, scratch / "a.psd");
    outcome.lines = recorder.lines;
    outcome.position = recorder.position;
    outcome.files = FilesBelow(scratch.Path());
    for (const std::string& file : outcome.files)
        outcome.contents.push_back(ReadBytes(scratch / file));
    option = cOption();
    return outcome;
}

}  // namespace conversion_test
