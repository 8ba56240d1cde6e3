// The scan of the layer records: each layer's rectangle, channels, blend mode, name and
// properties, then where each channel's image data lies.
#include "graphic/psd/ImageLoaderPSD.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "debug/Error.h"
#include "files/NativeText.h"
#include "graphic/psd/PsdBlocks.h"
#include "graphic/psd/PsdRecordFields.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

// The bytes of a layer record before its extra data (rectangle, channel count, blend-mode
// signature and key, opacity to filler, extra data length), and the least extra data a record
// can hold (mask data length, blending ranges length, name length).
const int64_t kLayerRecordFixed = 34;
const int64_t kLayerExtraLeast = 9;

using stream::ReadBigEndian16;
using stream::ReadBigEndian32;
using stream::ReadByte;
using stream::RequireBytes;

}  // namespace

void ImageLoaderPSD::ScanLayer(int64_t sectionEnd)
{
    if (!extended) {
        // The length of the layer information and the layer count: "ScanLayer:205". The length
        // only tells where the blocks after the layer information start, and a length that
        // runs past the section leaves them unread.
        RequireBytes(stream, 6, "ImageLoaderPSD::ScanLayer:205");
        const int64_t length = ReadBigEndian32(stream);
        const int64_t start = stream.GetPos();
        if (length <= sectionEnd - start)
            layerInfoEnd = start + length;
        ScanLayerList();
        return;
    }
    // The layer information's length must be there and must end within the section:
    // "ScanLayer:207". An empty layer information has no layer count.
    const bool wide = format.version == 2;
    RequireBytes(stream, wide ? 8 : 4, "ImageLoaderPSD::ScanLayer:205");
    const int64_t length = ReadLength(wide);
    const int64_t start = stream.GetPos();
    if (length < 0 || length > sectionEnd - start)
        throw debug::runtime_error("ImageLoaderPSD::ScanLayer:207");
    layerInfoEnd = start + length;
    if (length == 0)
        return;
    RequireBytes(stream, 2, "ImageLoaderPSD::ScanLayer:205");
    ScanLayerList();
}

void ImageLoaderPSD::ScanLayerList()
{
    // A negative count says that the merged image has a transparency.
    const int16_t count = static_cast<int16_t>(ReadBigEndian16(stream));
    const int32_t layerCount = count < 0 ? -static_cast<int32_t>(count) : count;
    extra.negativeLayerCount = extra.negativeLayerCount || count < 0;

    // Every layer record takes a fixed number of bytes at least; a count that the rest of the
    // file cannot hold is refused before the table is sized by it: "ScanLayer:210".
    RequireBytes(stream, layerCount * (kLayerRecordFixed + kLayerExtraLeast),
                 "ImageLoaderPSD::ScanLayer:210");
    layers.assign(static_cast<size_t>(layerCount), info_t());
    for (info_t& layer : layers)
        ScanLayerInfo(layer);
    ScanLayerChannels();
}

void ImageLoaderPSD::ScanLayerChannels()
{
    // The channel image data follows the records, channel after channel in record order. Each
    // channel starts with its compression; RLE data starts with a row count per row, of 4 bytes
    // in the large document format and 2 otherwise.
    const int64_t countSize = format.version == 2 ? 4 : 2;
    const uint16_t lastCompression = extended ? kZipPredicted : kRle;
    for (info_t& layer : layers) {
        for (info_t::channel_t& channel : layer.channels) {
            const int64_t start = stream.GetPos();
            // A channel's length counts its compression field, and the channel must end within
            // the file; otherwise the next channel's position would be undefined or behind this
            // one: "ScanLayer:222".
            if (channel.length < 2 || channel.length > format.fileSize - start)
                throw debug::runtime_error("ImageLoaderPSD::ScanLayer:222");
            channel.compression = ReadBigEndian16(stream);
            if (channel.compression > lastCompression)
                throw debug::runtime_error("ImageLoaderPSD::ScanLayer:225");
            if (channel.compression == kRle) {
                channel.countsOffset = static_cast<int32_t>(start + 2);
                channel.dataOffset =
                    Saturated(start + 2 + std::max<int64_t>(layer.height, 0) * countSize);
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

    // The channel table (an id and a length of 4 bytes, or 8 in the large document format)
    // and the fixed fields after it (signature, key, opacity to filler, extra data length) must
    // be in the file before the table is sized: "ScanLayerInfo:260".
    const bool wide = format.version == 2;
    const uint16_t channelCount = ReadBigEndian16(stream);
    RequireBytes(stream, static_cast<int64_t>(channelCount) * (wide ? 10 : 6) + 16,
                 "ImageLoaderPSD::ScanLayerInfo:260");
    layer.channels.assign(channelCount, info_t::channel_t());
    for (info_t::channel_t& channel : layer.channels) {
        const int32_t id = ReadBigEndian16(stream);
        channel.storedId = static_cast<int16_t>(id);
        channel.id = id == kTransparency || id <= format.colorChannels ? id : kIgnored;
        layer.masks += id == kUserMask || id == kRealUserMask ? 1 : 0;
        channel.length = ReadLength(wide);
    }

    char signature[4] = {};
    stream.Read(signature, 4);
    if (memcmp(signature, "8BIM", 4) != 0)
        throw debug::runtime_error("ImageLoaderPSD::ScanLayerInfo:271");
    char key[4] = {};
    stream.Read(key, 4);
    layer.mode.assign(key, 4);
    PsdLayerRecordSpan span;
    span.fields = stream.GetPos();
    stream.Seek(4);  // opacity, clipping, flags, filler

    // The record ends after its extra data. A negative length would point back into the record,
    // and one beyond the end of the file cannot be skipped: "ScanLayerInfo:280".
    const int32_t extraLength = ReadI32(stream);
    const int64_t recordEnd = static_cast<int64_t>(stream.GetPos()) + extraLength;
    if (extraLength < 0 || recordEnd > format.fileSize)
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
    span.maskData = stream.GetPos();
    span.maskLength = maskLength;
    stream.Seek(static_cast<int32_t>(maskLength));
    within(4);
    const uint32_t blendingLength = ReadBigEndian32(stream);
    within(blendingLength);
    span.blending = stream.GetPos();
    span.blendingLength = blendingLength;
    stream.Seek(static_cast<int32_t>(blendingLength));
    within(1);
    const int64_t nameStart = stream.GetPos();
    const uint8_t nameLength = ReadByte(stream);
    within(nameLength);
    std::string name(nameLength, '\0');
    if (nameLength > 0)
        stream.Read(&name[0], nameLength);
    layer.title = files::ShiftJisToNative(name);

    // Additional layer information follows the name, padded with its length byte to a multiple
    // of 4 bytes; with extended reading its Unicode name replaces the stored one.
    const int64_t blocks = nameStart + (nameLength + 4) / 4 * 4;
    span.blocks = std::min(blocks, recordEnd);
    span.end = recordEnd;
    layer.properties = ReadPsdLayerProperties(stream, format, span);
    if (extended) {
        if (blocks <= recordEnd) {
            stream.SetPos(static_cast<int32_t>(blocks));
            std::string unicode = ScanUnicodeName(recordEnd);
            if (!unicode.empty())
                layer.title = unicode;
        }
    }
    stream.SetPos(static_cast<int32_t>(recordEnd));
}

std::string ImageLoaderPSD::ScanUnicodeName(int64_t recordEnd)
{
    // Blocks of signature, key, length and data, up to the record's end. A block whose length
    // runs past the record's end, or a name longer than its block: "ScanLayerInfo:290". Bytes
    // that do not start with a block signature end the search.
    const char kDamaged[] = "ImageLoaderPSD::ScanLayerInfo:290";
    char key[4] = {};
    int64_t length = 0;
    while (ReadPsdBlockHeader(stream, format, recordEnd, key, length, kDamaged)) {
        const int64_t start = stream.GetPos();
        if (memcmp(key, "luni", 4) != 0) {
            stream.SetPos(static_cast<int32_t>(start + length));
            continue;
        }
        std::u16string text;
        if (!ReadPsdUnicodeName(stream, length, text))
            throw debug::runtime_error(kDamaged);
        return files::Utf16ToNative(text);
    }
    return std::string();
}

}  // namespace graphic
}  // namespace sdk
