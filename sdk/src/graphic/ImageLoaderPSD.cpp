#include "graphic/ImageLoaderPSD.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "debug/Error.h"
#include "files/NativeText.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"
#include "stream/StreamMemory.h"

namespace sdk {
namespace graphic {

namespace {

// Channel ids as the file stores them (unsigned 16-bit): -1 transparency, -2 the layer mask,
// -3 the real user mask.
const int32_t kTransparency = 0xFFFF;
const int32_t kUserMask = 0xFFFE;
const int32_t kRealUserMask = 0xFFFD;
const int32_t kIgnored = -1;

// The bytes of a layer record before its extra data (rectangle, channel count, blend-mode
// signature and key, opacity to filler, extra data length), and the least extra data a record
// can hold (mask data length, blending ranges length, name length).
const int64_t kLayerRecordFixed = 34;
const int64_t kLayerExtraLeast = 9;

using stream::ReadBigEndian16;
using stream::ReadBigEndian32;
using stream::ReadByte;
using stream::RequireBytes;

int32_t ReadI32(stream::stream_in& stream)
{
    return static_cast<int32_t>(ReadBigEndian32(stream));
}

// Positions and lengths are summed in 64 bits and kept in the 32-bit fields of the records.
// A value beyond the 32-bit range lies beyond the end of any file the streams can read, and is
// kept as the largest 32-bit value so that the decode's bounds checks refuse it.
int32_t Saturated(int64_t value)
{
    return static_cast<int32_t>(
        std::min<int64_t>(std::max<int64_t>(value, 0), std::numeric_limits<int32_t>::max()));
}

}  // namespace

ImageLoaderPSD::ImageLoaderPSD(stream::stream_in& stream) : stream(stream) { Scan(); }

void ImageLoaderPSD::LayerLoad(int32_t index, Image& image)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerLoad:75");
    LoadImage(layers[static_cast<size_t>(index)], image);
}

void ImageLoaderPSD::LayerInfo(int32_t index, ImageInfo& info)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerInfo:87");
    info = layers[static_cast<size_t>(index)];
}

const ImageLoaderPSD::info_t& ImageLoaderPSD::LayerRecord(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(layers.size()))
        throw debug::runtime_error("ImageLoaderPSD::LayerRecord:92");
    return layers[static_cast<size_t>(index)];
}

void ImageLoaderPSD::Load(Image& image, ImageInfo& info)
{
    info = merged;
    LoadImage(merged, image);
}

void ImageLoaderPSD::Scan()
{
    fileSize = stream.GetSize();
    stream.SetPos(0);

    // A file too short to hold the signature does not carry it.
    char signature[4] = {};
    stream::ReadExactly(stream, signature, 4, "ImageLoaderPSD::Scan:98");
    if (memcmp(signature, "8BPS", 4) != 0)
        throw debug::runtime_error("ImageLoaderPSD::Scan:98");

    // The rest of the fixed header, version to colour mode, must be there in full: "Scan:101".
    RequireBytes(stream, 22, "ImageLoaderPSD::Scan:101");
    if (ReadBigEndian16(stream) != 1)
        throw debug::runtime_error("ImageLoaderPSD::Scan:103");
    stream.Seek(6);
    const uint16_t channelCount = ReadBigEndian16(stream);
    const int32_t height = ReadI32(stream);
    const int32_t width = ReadI32(stream);
    const uint16_t depth = ReadBigEndian16(stream);
    const uint16_t mode = ReadBigEndian16(stream);
    // At most 65535 records of 16 bytes: bounded by the field's width. Whether the file holds
    // their data is checked by the decode, channel by channel.
    merged.channels.assign(channelCount, info_t::channel_t());
    merged.width = width;
    merged.height = height;
    merged.x = 0;
    merged.y = 0;

    if (depth != 8)
        throw debug::runtime_error("ImageLoaderPSD::Scan:123");
    if (mode == 0)
        throw debug::runtime_error("ImageLoaderPSD::Scan:124");
    if (mode > 3)
        throw debug::runtime_error("ImageLoaderPSD::Scan:125");
    colorMode = static_cast<uint8_t>(mode);
    colorChannels = mode == 3 ? 3 : 1;
    outputColors = mode == 2 || mode == 3 ? 3 : 1;

    // Colour mode data: its length field and, for the palette, its 768 bytes must be in the
    // file: "Scan:130".
    RequireBytes(stream, 4, "ImageLoaderPSD::Scan:130");
    const int32_t paletteLength = ReadI32(stream);
    if (paletteLength <= 0 && mode == 2)
        throw debug::runtime_error("ImageLoaderPSD::Scan:145");
    if (paletteLength > 0) {
        if (mode != 2)
            throw debug::runtime_error("ImageLoaderPSD::Scan:136");
        if (paletteLength != 768)
            throw debug::runtime_error("ImageLoaderPSD::Scan:137");
        RequireBytes(stream, 768, "ImageLoaderPSD::Scan:130");
        paletteR.resize(256);
        paletteG.resize(256);
        paletteB.resize(256);
        stream.Read(paletteR.data(), 256);
        stream.Read(paletteG.data(), 256);
        stream.Read(paletteB.data(), 256);
    }

    // Image resources: a length that reaches beyond the end of the file cannot be skipped:
    // "Scan:150". A negative length skips nothing.
    RequireBytes(stream, 4, "ImageLoaderPSD::Scan:150");
    const int32_t resourcesLength = ReadI32(stream);
    if (resourcesLength > 0) {
        RequireBytes(stream, resourcesLength, "ImageLoaderPSD::Scan:150");
        stream.Seek(resourcesLength);
    }

    // Layer and mask information: a negative length would point back into the sections just
    // read, and one beyond the end of the file cannot be skipped: "Scan:158".
    RequireBytes(stream, 4, "ImageLoaderPSD::Scan:158");
    const int32_t layerSectionLength = ReadI32(stream);
    if (layerSectionLength < 0)
        throw debug::runtime_error("ImageLoaderPSD::Scan:158");
    RequireBytes(stream, layerSectionLength, "ImageLoaderPSD::Scan:158");
    const int64_t layerSectionEnd = static_cast<int64_t>(stream.GetPos()) + layerSectionLength;
    if (layerSectionLength > 0)
        ScanLayer();
    stream.SetPos(static_cast<int32_t>(layerSectionEnd));

    // The merged image's compression field must be there: "Scan:165".
    RequireBytes(stream, 2, "ImageLoaderPSD::Scan:165");
    const uint16_t compression = ReadBigEndian16(stream);
    if (compression != 0 && compression != 1)
        throw debug::runtime_error("ImageLoaderPSD::Scan:167");

    const int64_t rows = std::max(height, 0);
    std::vector<int64_t> lengths(merged.channels.size(), 0);
    if (compression == 1 && channelCount > 0) {
        // Every channel's table of row counts must be in the file before any is read:
        // "Scan:172". The tables then bound the buffer below by the file's size.
        RequireBytes(stream, static_cast<int64_t>(channelCount) * rows * 2,
                     "ImageLoaderPSD::Scan:172");
        std::vector<uint8_t> counts(static_cast<size_t>(rows * 2));
        for (size_t i = 0; i < merged.channels.size(); ++i) {
            merged.channels[i].countsOffset = stream.GetPos();
            if (rows > 0)
                stream.Read(counts.data(), static_cast<uint32_t>(counts.size()));
            int64_t sum = 0;
            for (int64_t y = 0; y < rows; ++y)
                sum += counts[static_cast<size_t>(y * 2)] * 256 + counts[static_cast<size_t>(y * 2 + 1)];
            lengths[i] = sum;
        }
    } else if (width > 0 && height > 0) {
        std::fill(lengths.begin(), lengths.end(), static_cast<int64_t>(width) * height);
    }

    // Each length is below 2^62 and the position is kept at most just past the 32-bit range
    // (where it lies beyond any file), so the sum cannot overflow however many channels follow.
    const int64_t beyond = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t position = stream.GetPos();
    for (size_t i = 0; i < merged.channels.size(); ++i) {
        info_t::channel_t& channel = merged.channels[i];
        const int32_t index = static_cast<int32_t>(i);
        channel.id = index < colorChannels ? index : index == colorChannels ? kTransparency : kIgnored;
        channel.length = Saturated(lengths[i]);
        channel.dataOffset = Saturated(position);
        position = std::min(position + lengths[i], beyond);
    }
}

void ImageLoaderPSD::ScanLayer()
{
    // The length of the layer information and the layer count: "ScanLayer:205".
    RequireBytes(stream, 6, "ImageLoaderPSD::ScanLayer:205");
    stream.Seek(4);
    const int16_t count = static_cast<int16_t>(ReadBigEndian16(stream));
    const int32_t layerCount = count < 0 ? -static_cast<int32_t>(count) : count;

    // Every layer record takes a fixed number of bytes at least; a count that the rest of the
    // file cannot hold is refused before the table is sized by it: "ScanLayer:210".
    RequireBytes(stream, layerCount * (kLayerRecordFixed + kLayerExtraLeast),
                 "ImageLoaderPSD::ScanLayer:210");
    layers.assign(static_cast<size_t>(layerCount), info_t());
    for (info_t& layer : layers)
        ScanLayerInfo(layer);

    // The channel image data follows, channel after channel in record order.
    for (info_t& layer : layers) {
        for (info_t::channel_t& channel : layer.channels) {
            const int64_t start = stream.GetPos();
            // A channel's length counts its compression field, and the channel must end within
            // the file; otherwise the next channel's position would be undefined or behind this
            // one: "ScanLayer:222".
            if (channel.length < 2 || start + channel.length > fileSize)
                throw debug::runtime_error("ImageLoaderPSD::ScanLayer:222");
            const uint16_t compression = ReadBigEndian16(stream);
            if (compression != 0 && compression != 1)
                throw debug::runtime_error("ImageLoaderPSD::ScanLayer:225");
            if (compression == 1) {
                channel.countsOffset = static_cast<int32_t>(start + 2);
                channel.dataOffset = Saturated(start + 2 + std::max<int64_t>(layer.height, 0) * 2);
            } else {
                channel.countsOffset = 0;
                channel.dataOffset = static_cast<int32_t>(start + 2);
            }
            stream.SetPos(static_cast<int32_t>(start + channel.length));
        }
    }
}

void ImageLoaderPSD::ScanLayerInfo(info_t& layer)
{
    // The rectangle and the channel count: "ScanLayerInfo:250".
    RequireBytes(stream, 18, "ImageLoaderPSD::ScanLayerInfo:250");
    const int32_t top = ReadI32(stream);
    const int32_t left = ReadI32(stream);
    const int32_t bottom = ReadI32(stream);
    const int32_t right = ReadI32(stream);
    // A width or height that does not fit 32 bits: "ScanLayerInfo:255".
    const int64_t height = static_cast<int64_t>(bottom) - top;
    const int64_t width = static_cast<int64_t>(right) - left;
    const int64_t low = std::numeric_limits<int32_t>::min();
    const int64_t high = std::numeric_limits<int32_t>::max();
    if (height < low || height > high || width < low || width > high)
        throw debug::runtime_error("ImageLoaderPSD::ScanLayerInfo:255");
    layer.x = left;
    layer.y = top;
    layer.width = static_cast<int32_t>(width);
    layer.height = static_cast<int32_t>(height);

    // The channel table and the fixed fields after it (signature, key, opacity to filler, extra
    // data length) must be in the file before the table is sized: "ScanLayerInfo:260".
    const uint16_t channelCount = ReadBigEndian16(stream);
    RequireBytes(stream, static_cast<int64_t>(channelCount) * 6 + 16,
                 "ImageLoaderPSD::ScanLayerInfo:260");
    layer.channels.assign(channelCount, info_t::channel_t());
    for (info_t::channel_t& channel : layer.channels) {
        const int32_t id = ReadBigEndian16(stream);
        channel.id = id == kTransparency || id <= colorChannels ? id : kIgnored;
        layer.masks += id == kUserMask || id == kRealUserMask ? 1 : 0;
        channel.length = ReadI32(stream);
    }

    char signature[4] = {};
    stream.Read(signature, 4);
    if (memcmp(signature, "8BIM", 4) != 0)
        throw debug::runtime_error("ImageLoaderPSD::ScanLayerInfo:271");
    char key[4] = {};
    stream.Read(key, 4);
    layer.mode.assign(key, 4);
    stream.Seek(4);  // opacity, clipping, flags, filler

    // The record ends after its extra data. A negative length would point back into the record,
    // and one beyond the end of the file cannot be skipped: "ScanLayerInfo:280".
    const int32_t extraLength = ReadI32(stream);
    const int64_t recordEnd = static_cast<int64_t>(stream.GetPos()) + extraLength;
    if (extraLength < 0 || recordEnd > fileSize)
        throw debug::runtime_error("ImageLoaderPSD::ScanLayerInfo:280");

    // The mask data, the blending ranges and the name lie in the extra data; a length that runs
    // past the record's end: "ScanLayerInfo:285". Only the name's own bytes must be there, not
    // the padding after them.
    auto within = [&](int64_t count) {
        if (static_cast<int64_t>(stream.GetPos()) + count > recordEnd)
            throw debug::runtime_error("ImageLoaderPSD::ScanLayerInfo:285");
    };
    within(4);
    const uint32_t maskLength = ReadBigEndian32(stream);
    within(maskLength);
    stream.Seek(static_cast<int32_t>(maskLength));
    within(4);
    const uint32_t blendingLength = ReadBigEndian32(stream);
    within(blendingLength);
    stream.Seek(static_cast<int32_t>(blendingLength));
    within(1);
    const uint8_t nameLength = ReadByte(stream);
    within(nameLength);
    std::string name(nameLength, '\0');
    if (nameLength > 0)
        stream.Read(&name[0], nameLength);
    layer.title = files::ShiftJisToNative(name);

    // Whatever follows the name (additional layer information) is skipped.
    stream.SetPos(static_cast<int32_t>(recordEnd));
}

void ImageLoaderPSD::LoadImage(const info_t& record, Image& image)
{
    const bool alpha = static_cast<int64_t>(record.channels.size()) - record.masks > colorChannels;
    const int32_t channels = outputColors + (alpha ? 1 : 0);
    const int32_t width = record.width;
    const int32_t height = record.height;
    if (width < 1 || height < 1) {
        image.Create(channels, width, height);  // raises "Image::Create:59" or ":60"
        return;
    }

    // A layer channel's data lies within the channel's own length (which the scan placed inside
    // the file); the merged channels lie wherever the file holds them. Keeping each layer channel
    // to its own bytes also bounds the work of a decode by the size of the file.
    const bool isMerged = &record == &merged;
    auto channelEnd = [&](const info_t::channel_t& channel) -> int64_t {
        if (isMerged)
            return fileSize;
        const int64_t start = channel.countsOffset != 0 ? channel.countsOffset : channel.dataOffset;
        return start - 2 + channel.length;
    };
    // A channel with the id colorChannels in an RGB layer without alpha would land before the
    // pixel's first byte; it is left out.
    auto decoded = [&](const info_t::channel_t& channel) {
        if (channel.id == kIgnored)
            return false;
        return !(colorMode == 3 && channel.id == colorChannels && !alpha);
    };
    // A record without any channel to decode holds no pixel data in the file at all, whatever
    // size it declares: "LoadImage:305".
    if (std::none_of(record.channels.begin(), record.channels.end(), decoded))
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:305");

    // Before the image is sized, every channel to decode must be backed by the file:
    // raw data needs width x height bytes ("LoadImage:310"); RLE needs its table of row counts
    // ("LoadImage:320"), the bytes those counts add up to ("LoadImage:330"), and enough of them
    // to fill the rectangle, PackBits turning 2 bytes into at most 128 ("LoadImage:335").
    const int64_t rows = height;
    const int64_t leastPerRow = (static_cast<int64_t>(width) + 127) / 128 * 2;
    std::vector<uint16_t> counts;
    std::vector<uint8_t> countBytes;
    auto readCounts = [&](const info_t::channel_t& channel) {
        countBytes.resize(static_cast<size_t>(rows * 2));
        counts.resize(static_cast<size_t>(rows));
        stream.SetPos(channel.countsOffset);
        stream.Read(countBytes.data(), static_cast<uint32_t>(countBytes.size()));
        for (size_t y = 0; y < counts.size(); ++y)
            counts[y] = static_cast<uint16_t>(countBytes[y * 2] << 8 | countBytes[y * 2 + 1]);
    };
    int64_t largestCount = 0;
    for (const info_t::channel_t& channel : record.channels) {
        if (!decoded(channel))
            continue;
        const int64_t end = channelEnd(channel);
        if (channel.countsOffset == 0) {
            if (static_cast<int64_t>(channel.dataOffset) + width * rows > end)
                throw debug::runtime_error("ImageLoaderPSD::LoadImage:310");
            continue;
        }
        if (static_cast<int64_t>(channel.countsOffset) + rows * 2 > end)
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:320");
        readCounts(channel);
        int64_t sum = 0;
        for (uint16_t count : counts) {
            sum += count;
            largestCount = std::max<int64_t>(largestCount, count);
        }
        if (channel.dataOffset + sum > end)
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:330");
        if (sum < leastPerRow * rows)
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:335");
    }

    image.Create(channels, width, height);
    const int32_t stride = image.Stride();
    uint8_t* pixels = image.Data();
    std::vector<uint8_t> row(static_cast<size_t>(width), 0);
    std::vector<uint8_t> source(static_cast<size_t>(largestCount));

    // Channels are applied in record order: of two with the same id the later one wins.
    for (const info_t::channel_t& channel : record.channels) {
        if (!decoded(channel))
            continue;
        if (channel.countsOffset == 0) {
            stream.SetPos(channel.dataOffset);
            for (int32_t y = 0; y < height; ++y) {
                stream.Read(row.data(), static_cast<uint32_t>(width));
                StoreChannelRow(pixels + static_cast<size_t>(stride) * y, row.data(), channels,
                                width, channel.id);
            }
        } else {
            readCounts(channel);
            stream.SetPos(channel.dataOffset);
            for (int32_t y = 0; y < height; ++y) {
                const uint16_t count = counts[static_cast<size_t>(y)];
                if (count > source.size())  // the file changed since the counts were checked
                    source.resize(count);
                if (count > 0)
                    stream.Read(source.data(), count);
                UnpackBits(row.data(), width, source.data(), count);
                StoreChannelRow(pixels + static_cast<size_t>(stride) * y, row.data(), channels,
                                width, channel.id);
            }
        }
    }
}

void ImageLoaderPSD::StoreChannelRow(uint8_t* rowStart, const uint8_t* source, int32_t channels,
                                     int32_t width, int32_t id) const
{
    const size_t step = static_cast<size_t>(channels);
    const int32_t first = channels > outputColors ? 1 : 0;
    if (id == kTransparency) {
        for (int32_t x = 0; x < width; ++x)
            rowStart[step * x] = source[x];
        return;
    }
    if (colorMode == 2) {
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t index = source[x];
            uint8_t* pixel = rowStart + step * x + first;
            pixel[0] = paletteB[index];
            pixel[1] = paletteG[index];
            pixel[2] = paletteR[index];
        }
        return;
    }
    // Grayscale: the gray byte. RGB: red to the last byte, green to the middle, blue first.
    const int32_t target = colorMode == 3 ? first + 2 - id : first;
    if (target < 0 || target >= channels)
        return;  // LoadImage leaves such channels out; nothing is ever written outside a pixel
    for (int32_t x = 0; x < width; ++x)
        rowStart[step * x + static_cast<size_t>(target)] = source[x];
}

void ImageLoaderPSD::UnpackBits(uint8_t* destination, int32_t width, const uint8_t* source,
                                int32_t count)
{
    stream::memory_in input(source, count);
    stream::memory_out output(destination, width);
    while (input.GetRemain() > 0 && output.GetRemain() > 0) {
        const int8_t header = static_cast<int8_t>(ReadByte(input));
        if (header == -128)
            continue;
        if (header < 0) {
            uint8_t value = 0;
            input.Read(&value, 1);
            output.Fill(value, static_cast<uint32_t>(1 - header));
        } else {
            output.Fill(input, static_cast<uint32_t>(header) + 1);
        }
    }
}

}  // namespace graphic
}  // namespace sdk
