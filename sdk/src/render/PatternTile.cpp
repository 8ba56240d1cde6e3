#include "render/PatternTile.h"

#include <algorithm>
#include <cstring>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/psd/PsdFormat.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdFormat;

// The most bytes of one pattern read: as much as a layer's settings block may hold.
const int64_t kLargestPattern = 64 << 20;

// One channel's data: where it lies in the pattern's bytes, its size and its coding.
struct ChannelData {
    size_t at = 0;
    size_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 8;
    uint8_t compression = 0;
};

// PackBits decoding of one row of count bytes at source into exactly width bytes.
void UnpackRow(const uint8_t* source, size_t count, uint8_t* row, size_t width)
{
    size_t in = 0, out = 0;
    while (in < count && out < width) {
        const int8_t header = static_cast<int8_t>(source[in++]);
        if (header == -128)
            continue;
        const size_t run = header < 0 ? 1 - header : static_cast<size_t>(header) + 1;
        if (run > width - out || in + (header < 0 ? 1 : run) > count)
            SettingsBytes::Fail();
        if (header < 0)
            memset(row + out, source[in++], run);
        else {
            memcpy(row + out, source + in, run);
            in += run;
        }
        out += run;
    }
    if (out != width)
        SettingsBytes::Fail();
}

// Decodes channel into plane (width x height samples of 8 bits, the high byte of 16).
void DecodeChannel(const std::vector<uint8_t>& data, const ChannelData& channel,
                   std::vector<uint8_t>& plane)
{
    const size_t sample = channel.depth == 16 ? 2 : 1;
    const size_t rowBytes = static_cast<size_t>(channel.width) * sample;
    const size_t height = static_cast<size_t>(channel.height);
    std::vector<uint8_t> row(rowBytes);
    const uint8_t* source = data.data() + channel.at;
    size_t at = height * 2;  // PackBits rows follow their 2-byte counts
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* bytes = nullptr;
        if (channel.compression == 0) {
            bytes = source + y * rowBytes;
        } else {
            const size_t count = (source[y * 2] << 8) | source[y * 2 + 1];
            if (count > channel.size - at)
                SettingsBytes::Fail();
            UnpackRow(source + at, count, row.data(), rowBytes);
            at += count;
            bytes = row.data();
        }
        uint8_t* out = &plane[y * static_cast<size_t>(channel.width)];
        for (size_t x = 0; x < static_cast<size_t>(channel.width); ++x)
            out[x] = bytes[x * sample];
    }
}

// Whether the data could hold the channel's rows: raw rows in full, PackBits rows (at most 128
// bytes from 2) after their counts. Checked before any plane is sized by the channel.
bool Holds(const ChannelData& channel)
{
    const uint64_t rowBytes = static_cast<uint64_t>(channel.width) * (channel.depth == 16 ? 2 : 1);
    const uint64_t height = static_cast<uint64_t>(channel.height);
    if (channel.compression == 0)
        return rowBytes * height <= channel.size;
    if (channel.compression != 1 || height * 2 > channel.size)
        return false;
    return (rowBytes + 127) / 128 * 2 * height <= channel.size - height * 2;
}

}  // namespace

std::unique_ptr<PatternTile> DecodePatternTile(const std::vector<uint8_t>& data,
                                               const graphic::ColorTransform* ink)
{
    SettingsBytes bytes(data);
    if (bytes.U32() != 1)
        SettingsBytes::Fail();
    const uint32_t mode = bytes.U32();
    bytes.Skip(4);  // height and width: the channels' rectangles say it again
    const uint32_t nameUnits = bytes.U32();
    if (nameUnits > bytes.Left() / 2)
        SettingsBytes::Fail();
    bytes.Skip(static_cast<size_t>(nameUnits) * 2);
    bytes.Skip(bytes.U8());  // the identifier
    uint8_t palette[768] = {};
    if (mode == PsdFormat::kIndexed) {
        for (uint8_t& entry : palette)
            entry = bytes.U8();
        bytes.Skip(4);
    }
    // The list of channels.
    if (bytes.U32() != 3)
        SettingsBytes::Fail();
    const uint32_t listLength = bytes.U32();
    if (listLength > bytes.Left())
        SettingsBytes::Fail();
    bytes.Skip(16);  // the rectangle
    const uint32_t count = bytes.U32();
    if (count > bytes.Left() / 4)
        SettingsBytes::Fail();
    const uint32_t colours = mode == PsdFormat::kRgb                                   ? 3
                             : mode == PsdFormat::kCmyk                                ? 4
                             : mode == PsdFormat::kGrayscale || mode == PsdFormat::kIndexed ? 1
                                                                                        : 0;
    std::vector<ChannelData> channels;  // the colour channels, then the transparency if any
    bool transparency = false;
    for (uint32_t i = 0; i < count + 2; ++i) {
        if (bytes.U32() == 0)
            continue;  // not written
        const uint32_t length = bytes.U32();
        if (length == 0)
            continue;
        if (length < 23 || length > bytes.Left())
            SettingsBytes::Fail();
        ChannelData channel;
        bytes.U32();  // the depth again
        const int64_t top = static_cast<int32_t>(bytes.U32());
        const int64_t left = static_cast<int32_t>(bytes.U32());
        const int64_t bottom = static_cast<int32_t>(bytes.U32());
        const int64_t right = static_cast<int32_t>(bytes.U32());
        channel.depth = bytes.U16();
        channel.compression = bytes.U8();
        channel.at = bytes.At();
        channel.size = length - 23;
        bytes.Skip(channel.size);
        if (i < colours || i == count + 1) {
            if (bottom - top <= 0 || right - left <= 0 || bottom - top > graphic::kMaxRowWidth ||
                right - left > graphic::kMaxRowWidth)
                SettingsBytes::Fail();
            channel.width = static_cast<int32_t>(right - left);
            channel.height = static_cast<int32_t>(bottom - top);
            if (channel.depth != 8 && channel.depth != 16)
                return nullptr;
            if (!Holds(channel))
                SettingsBytes::Fail();
            if (i == count + 1)
                transparency = true;
            channels.push_back(channel);
        }
    }
    if (colours == 0 || channels.size() != colours + (transparency ? 1 : 0))
        return nullptr;
    for (const ChannelData& channel : channels) {
        if (channel.width != channels[0].width || channel.height != channels[0].height)
            SettingsBytes::Fail();
    }

    // Decoded, a pattern may hold far more than its stored bytes: it is bounded as they are.
    const size_t pixels =
        static_cast<size_t>(channels[0].width) * static_cast<size_t>(channels[0].height);
    if (pixels > static_cast<size_t>(kLargestPattern) / 4)
        throw debug::runtime_error("ImageLoaderPSD::LayerBlock:470");
    std::unique_ptr<PatternTile> tile(new PatternTile);
    tile->width = channels[0].width;
    tile->height = channels[0].height;
    std::vector<std::vector<uint8_t>> planes(channels.size(), std::vector<uint8_t>(pixels));
    for (size_t c = 0; c < channels.size(); ++c)
        DecodeChannel(data, channels[c], planes[c]);
    tile->rgba.resize(pixels * 4);
    // Inks stored inverted (0 full ink) through the document's profile, all at once, into B G R.
    std::vector<uint8_t> converted;
    if (mode == PsdFormat::kCmyk && ink) {
        std::vector<uint8_t> stored(pixels * 4);
        for (size_t p = 0; p < pixels; ++p)
            for (int c = 0; c < 4; ++c)
                stored[p * 4 + c] = planes[c][p];
        converted.resize(pixels * 3);
        ink->Convert(stored.data(), converted.data(), static_cast<int32_t>(pixels));
    }
    for (size_t p = 0; p < pixels; ++p) {
        uint8_t* out = &tile->rgba[p * 4];
        if (mode == PsdFormat::kRgb) {
            for (int c = 0; c < 3; ++c)
                out[c] = planes[c][p];
        } else if (!converted.empty()) {
            out[0] = converted[p * 3 + 2];
            out[1] = converted[p * 3 + 1];
            out[2] = converted[p * 3];
        } else if (mode == PsdFormat::kCmyk) {
            // Inks stored inverted (0 full ink), without a colour profile.
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<uint8_t>(planes[c][p] * planes[3][p] / 255);
        } else if (mode == PsdFormat::kIndexed) {
            for (int c = 0; c < 3; ++c)
                out[c] = palette[c * 256 + planes[0][p]];
        } else {
            out[0] = out[1] = out[2] = planes[0][p];
        }
        out[3] = transparency ? planes.back()[p] : 255;
    }
    return tile;
}

std::unique_ptr<PatternTile> FindPatternTile(graphic::ImageLoaderPSD& loader, const std::string& id)
{
    std::string wanted = id;
    while (!wanted.empty() && wanted.back() == '\0')
        wanted.pop_back();
    std::vector<uint8_t> part;
    for (const graphic::PsdBlockPlace& place : loader.PatternBlocks()) {
        // Each pattern: its length, then version, mode, size, the name's length (16 bytes), the
        // name, the identifier's length and the identifier.
        int64_t offset = 0;
        while (place.length - offset >= 4) {
            loader.BlockPart(place, offset, 4, part);
            const int64_t length = (int64_t{part[0]} << 24) | (part[1] << 16) | (part[2] << 8) | part[3];
            const int64_t start = offset + 4;
            if (length > place.length - start || length < 17)
                SettingsBytes::Fail();
            loader.BlockPart(place, start, 16, part);
            const int64_t nameUnits = (int64_t{part[12]} << 24) | (part[13] << 16) | (part[14] << 8) | part[15];
            const int64_t idAt = 16 + nameUnits * 2;
            if (idAt >= length)
                SettingsBytes::Fail();
            loader.BlockPart(place, start + idAt, 1, part);
            const int64_t idLength = part[0];
            if (!loader.BlockPart(place, start + idAt + 1, idLength, part) || idAt + 1 + idLength > length)
                SettingsBytes::Fail();
            if (std::string(part.begin(), part.end()) == wanted) {
                if (length > kLargestPattern)
                    throw debug::runtime_error("ImageLoaderPSD::LayerBlock:470");
                loader.BlockPart(place, start, length, part);
                return DecodePatternTile(part, loader.Format().inkToColor.get());
            }
            offset = start + (length + 3) / 4 * 4;
        }
    }
    return nullptr;
}

std::shared_ptr<const PatternTile> PatternTiles::Find(graphic::ImageLoaderPSD& loader,
                                                     const std::string& id)
{
    const auto found = tiles_.find(id);
    if (found != tiles_.end())
        return found->second;
    std::shared_ptr<const PatternTile> tile(FindPatternTile(loader, id).release());
    if (tile) {
        bytes_ += tile->rgba.size();
        if (bytes_ > kMostBytes)
            throw debug::runtime_error("ImageLoaderPSD::LayerBlock:470");
    }
    tiles_[id] = tile;
    return tile;
}

}  // namespace render
}  // namespace sdk
