#include "graphic/psd/ImageLoaderPSD.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "debug/Error.h"
#include "files/NativeText.h"
#include "graphic/ImageRows.h"
#include "graphic/psd/PsdBlocks.h"
#include "graphic/psd/PsdImageRows.h"
#include "graphic/psd/PsdInput.h"
#include "graphic/psd/PsdLayerTree.h"
#include "graphic/psd/PsdSamples.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

// Channel ids as the file stores them (unsigned 16-bit): -1 transparency, -2 the layer mask,
// -3 the real user mask.
const int32_t kTransparency = 0xFFFF;
const int32_t kUserMask = 0xFFFE;
const int32_t kRealUserMask = 0xFFFD;
const int32_t kIgnored = -1;

// Compression of channel data.
enum : uint16_t { kRaw = 0, kRle = 1, kZip = 2, kZipPredicted = 3 };

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

ImageLoaderPSD::ImageLoaderPSD(stream::stream_in& stream, bool extended)
    : stream(stream), extended(extended), input(new PsdInput(stream))
{
    Scan();
}

ImageLoaderPSD::~ImageLoaderPSD() = default;

void ImageLoaderPSD::LayerLoad(int32_t index, Image& image)
{
    ReadAllRows(*LayerRows(index), image);
}

std::unique_ptr<RowSource> ImageLoaderPSD::LayerRows(int32_t index)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerLoad:75");
    return RecordRows(layers[static_cast<size_t>(index)]);
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

void ImageLoaderPSD::CheckLayerProperties() const
{
    for (const info_t& layer : layers) {
        if (!layer.properties.damage.empty())
            throw debug::runtime_error(layer.properties.damage.c_str());
    }
}

const PsdLayerNode& ImageLoaderPSD::LayerTree()
{
    std::lock_guard<std::mutex> lock(treeMutex);
    if (!tree) {
        CheckLayerProperties();
        tree.reset(new PsdLayerNode(BuildPsdLayerTree(*this)));
    }
    return *tree;
}

namespace {

// The rows of a layer's mask: one gray channel of the document's depth, decoded by a source
// that owns the record and format it reads by.
class MaskRows : public RowSource {
public:
    MaskRows(const PsdFormat& document, PsdInput& input, ImageLoaderPSD::info_t record)
        : format_(document), record_(std::move(record))
    {
        format_.colorMode = PsdFormat::kGrayscale;
        format_.colorChannels = 1;
        format_.outputColors = 1;
        rows_.reset(new PsdImageRows(format_, input, record_, false, false));
    }
    int32_t Channels() const override { return rows_->Channels(); }
    int32_t Width() const override { return rows_->Width(); }
    int32_t Height() const override { return rows_->Height(); }
    const uint8_t* NextRow() override { return rows_->NextRow(); }

private:
    PsdFormat format_;
    ImageLoaderPSD::info_t record_;
    std::unique_ptr<PsdImageRows> rows_;
};

}  // namespace

std::unique_ptr<RowSource> ImageLoaderPSD::LayerMaskRows(int32_t index)
{
    const info_t& layer = LayerRecord(index);
    const PsdLayerMask& mask = layer.properties.mask;
    if (!mask.present || mask.width <= 0 || mask.height <= 0)
        return nullptr;
    const int16_t wanted = mask.real ? -3 : -2;
    for (const info_t::channel_t& channel : layer.channels) {
        if (channel.storedId != wanted)
            continue;
        // The scan placed a PackBits channel's data after the layer's row counts; a mask has a
        // row count per row of its own rectangle.
        info_t record;
        record.x = mask.x;
        record.y = mask.y;
        record.width = mask.width;
        record.height = mask.height;
        info_t::channel_t gray = channel;
        gray.id = 0;
        if (gray.compression == kRle)
            gray.dataOffset = Saturated(static_cast<int64_t>(gray.countsOffset) +
                                        static_cast<int64_t>(mask.height) * format.RowCountSize());
        record.channels.push_back(gray);
        return std::unique_ptr<RowSource>(new MaskRows(format, *input, std::move(record)));
    }
    return nullptr;
}

void ImageLoaderPSD::Load(Image& image, ImageInfo& info)
{
    info = merged;
    ReadAllRows(*Rows(), image);
}

std::unique_ptr<RowSource> ImageLoaderPSD::Rows()
{
    return RecordRows(merged);
}

// ---------------------------------------------------------------------------------------------
// The scan

void ImageLoaderPSD::Scan()
{
    format.fileSize = stream.GetSize();
    stream.SetPos(0);
    ScanHeader();
    ScanColorModeData();
    ScanImageResources();
    ScanLayerAndMask();
    ScanMergedImage();
}

int64_t ImageLoaderPSD::ReadLength(bool wide)
{
    if (!wide)
        return ReadI32(stream);
    const uint64_t value = stream::ReadBigEndian64(stream);
    return static_cast<int64_t>(
        std::min<uint64_t>(value, static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
}

void ImageLoaderPSD::ScanHeader()
{
    // A file too short to hold the signature does not carry it.
    char signature[4] = {};
    stream::ReadExactly(stream, signature, 4, "ImageLoaderPSD::Scan:98");
    if (memcmp(signature, "8BPS", 4) != 0)
        throw debug::runtime_error("ImageLoaderPSD::Scan:98");

    // The rest of the fixed header, version to colour mode, must be there in full: "Scan:101".
    RequireBytes(stream, 22, "ImageLoaderPSD::Scan:101");
    format.version = ReadBigEndian16(stream);
    if (format.version != 1 && !(extended && format.version == 2))
        throw debug::runtime_error("ImageLoaderPSD::Scan:103");
    stream.Seek(6);
    const uint16_t channelCount = ReadBigEndian16(stream);
    const int32_t height = ReadI32(stream);
    const int32_t width = ReadI32(stream);
    format.depth = ReadBigEndian16(stream);
    const uint16_t mode = ReadBigEndian16(stream);
    // At most 65535 small records: bounded by the field's width. Whether the file holds
    // their data is checked by the decode, channel by channel.
    merged.channels.assign(channelCount, info_t::channel_t());
    merged.width = width;
    merged.height = height;
    merged.x = 0;
    merged.y = 0;

    if (!extended) {
        if (format.depth != 8)
            throw debug::runtime_error("ImageLoaderPSD::Scan:123");
        if (mode == PsdFormat::kBitmap)
            throw debug::runtime_error("ImageLoaderPSD::Scan:124");
        if (mode > PsdFormat::kRgb)
            throw debug::runtime_error("ImageLoaderPSD::Scan:125");
    } else {
        if (format.depth != 1 && format.depth != 8 && format.depth != 16 && format.depth != 32)
            throw debug::runtime_error("ImageLoaderPSD::Scan:123");
        if (mode > PsdFormat::kCmyk && mode != PsdFormat::kMultichannel && mode != PsdFormat::kDuotone && mode != PsdFormat::kLab)
            throw debug::runtime_error("ImageLoaderPSD::Scan:125");
        // Bitmaps, and only bitmaps, have 1 bit per pixel; a palette has 8-bit indices.
        if ((mode == PsdFormat::kBitmap) != (format.depth == 1) || (mode == PsdFormat::kIndexed && format.depth != 8))
            throw debug::runtime_error("ImageLoaderPSD::Scan:123");
    }
    format.colorMode = static_cast<uint8_t>(mode);
    format.colorChannels = mode == PsdFormat::kRgb || mode == PsdFormat::kLab ? 3 : mode == PsdFormat::kCmyk ? 4 : 1;
    format.outputColors = mode == PsdFormat::kIndexed || mode == PsdFormat::kRgb || mode == PsdFormat::kCmyk || mode == PsdFormat::kLab ? 3 : 1;
}

void ImageLoaderPSD::ScanColorModeData()
{
    // Colour mode data: its length field and, for the palette, its 768 bytes must be in the
    // file: "Scan:130".
    RequireBytes(stream, 4, "ImageLoaderPSD::Scan:130");
    const int32_t length = ReadI32(stream);
    if (length <= 0 && format.colorMode == PsdFormat::kIndexed)
        throw debug::runtime_error("ImageLoaderPSD::Scan:145");
    if (length <= 0)
        return;
    if (format.colorMode != PsdFormat::kIndexed) {
        if (!extended)
            throw debug::runtime_error("ImageLoaderPSD::Scan:136");
        // A duotone's inks and curves, or whatever another mode keeps there: not needed.
        RequireBytes(stream, length, "ImageLoaderPSD::Scan:130");
        stream.Seek(length);
        return;
    }
    if (length != 768)
        throw debug::runtime_error("ImageLoaderPSD::Scan:137");
    RequireBytes(stream, 768, "ImageLoaderPSD::Scan:130");
    format.paletteR.resize(256);
    format.paletteG.resize(256);
    format.paletteB.resize(256);
    stream.Read(format.paletteR.data(), 256);
    stream.Read(format.paletteG.data(), 256);
    stream.Read(format.paletteB.data(), 256);
}

void ImageLoaderPSD::ScanImageResources()
{
    // A length that reaches beyond the end of the file cannot be skipped: "Scan:150". A
    // negative length skips nothing.
    RequireBytes(stream, 4, "ImageLoaderPSD::Scan:150");
    const int32_t length = ReadI32(stream);
    if (length > 0) {
        RequireBytes(stream, length, "ImageLoaderPSD::Scan:150");
        const int64_t end = static_cast<int64_t>(stream.GetPos()) + length;
        ScanChannelResources(end);
        stream.SetPos(static_cast<int32_t>(end));
    }
}

void ImageLoaderPSD::ScanChannelResources(int64_t end)
{
    // Resource blocks: signature, id, a name padded to an even length with its length byte, a
    // data length and the data, padded to an even length. What they say of the extra channels,
    // in the channels' order:
    // - the alpha names (id 1006): a Pascal string each; the Unicode alpha names (1045): a
    //   count of UTF-16 units and the units each; the alpha identifiers (1053): 4 bytes each,
    //   0 for the transparency. The editor lists its saved selections there, and the
    //   transparency too when the document has one;
    // - the display information (1077, or 1007 in older files): an entry each, whose kind is 2
    //   for a spot colour: 13 bytes each after a 4-byte version, or 14 bytes each in the older
    //   form. The first block of the two decides.
    // Resources are not needed otherwise, so a block that does not fit ends the search, and an
    // entry that does not fit ends its list. Names are counted up to the number of extra
    // channels, which bounds the work of a list of many short entries.
    const int64_t extraChannels =
        std::max<int64_t>(static_cast<int64_t>(merged.channels.size()) - format.colorChannels, 0);
    bool displaySeen = false;
    while (end - stream.GetPos() >= 12) {
        char signature[4] = {};
        stream.Read(signature, 4);
        const uint16_t id = ReadBigEndian16(stream);
        const uint8_t nameLength = ReadByte(stream);
        const int64_t nameRest = (nameLength + 2) / 2 * 2 - 1;
        if (end - stream.GetPos() < nameRest + 4)
            return;
        stream.Seek(static_cast<int32_t>(nameRest));
        const uint32_t size = ReadBigEndian32(stream);
        const int64_t start = stream.GetPos();
        if (size > end - start)
            return;
        int64_t entries = 0;
        int64_t at = 0;
        if (!displaySeen && ((id == 1077 && size >= 4 + 13) || (id == 1007 && size >= 14))) {
            displaySeen = true;
            stream.Seek(id == 1077 ? 4 + 12 : 12);
            extra.firstIsSpot = ReadByte(stream) == 2;
        } else if (id == 1006) {
            while (entries < extraChannels && at < size) {
                const int64_t length = ReadByte(stream);
                if (length > size - at - 1)
                    break;
                stream.Seek(static_cast<int32_t>(length));
                at += 1 + length;
                ++entries;
            }
        } else if (id == 1045) {
            while (entries < extraChannels && size - at >= 4) {
                const int64_t units = ReadBigEndian32(stream);
                if (units > (size - at - 4) / 2)
                    break;
                stream.Seek(static_cast<int32_t>(units * 2));
                at += 4 + units * 2;
                ++entries;
            }
        } else if (id == 1053) {
            entries = size / 4;
            if (entries > 0)
                extra.firstIdentifiedAsTransparency = ReadBigEndian32(stream) == 0;
        }
        extra.described = std::max(extra.described, entries);
        stream.SetPos(static_cast<int32_t>(start + (size + 1) / 2 * 2));
    }
}

void ImageLoaderPSD::ScanLayerAndMask()
{
    // A negative length would point back into the sections just read, and one beyond the end of
    // the file cannot be skipped: "Scan:158".
    const bool wide = format.version == 2;
    RequireBytes(stream, wide ? 8 : 4, "ImageLoaderPSD::Scan:158");
    const int64_t length = ReadLength(wide);
    if (length < 0)
        throw debug::runtime_error("ImageLoaderPSD::Scan:158");
    RequireBytes(stream, length, "ImageLoaderPSD::Scan:158");
    const int64_t sectionEnd = static_cast<int64_t>(stream.GetPos()) + length;
    if (length > 0) {
        ScanLayer(sectionEnd);
        // Documents of more than 8 bits per channel may keep their layers in a block after the
        // layer information instead.
        if (extended && layers.empty())
            ScanAdditionalLayerInfo(sectionEnd);
        if (static_cast<int64_t>(merged.channels.size()) > format.colorChannels)
            ScanMergedTransparencyBlocks(sectionEnd);
    }
    stream.SetPos(static_cast<int32_t>(sectionEnd));
}

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

void ImageLoaderPSD::ScanAdditionalLayerInfo(int64_t sectionEnd)
{
    // After the layer information: the global layer mask information (a 4-byte length and its
    // data), then blocks of signature, key, length and data, each padded to a multiple of 4
    // bytes, up to the section's end. The layers may be in an "Lr16", "Lr32" or "Layr" block,
    // whose data is a layer list as in the layer information. A length that runs past the
    // section's end: "ScanAdditionalLayerInfo:240". Bytes that do not start with a block
    // signature end the search.
    const char kDamaged[] = "ImageLoaderPSD::ScanAdditionalLayerInfo:240";
    stream.SetPos(static_cast<int32_t>(layerInfoEnd));
    if (sectionEnd - layerInfoEnd < 4)
        return;
    const uint32_t maskLength = ReadBigEndian32(stream);
    if (maskLength > sectionEnd - stream.GetPos())
        throw debug::runtime_error(kDamaged);
    stream.Seek(static_cast<int32_t>(maskLength));
    char key[4] = {};
    int64_t length = 0;
    while (ReadPsdBlockHeader(stream, format, sectionEnd, key, length, kDamaged)) {
        const int64_t start = stream.GetPos();
        const bool layerList = memcmp(key, "Lr16", 4) == 0 || memcmp(key, "Lr32", 4) == 0 ||
                               memcmp(key, "Layr", 4) == 0;
        if (layerList && length >= 2) {
            ScanLayerList();
            if (!layers.empty())
                return;
        }
        stream.SetPos(static_cast<int32_t>(std::min(sectionEnd, start + (length + 3) / 4 * 4)));
    }
}

void ImageLoaderPSD::ScanMergedTransparencyBlocks(int64_t sectionEnd)
{
    // The global layer mask information and the blocks after the layer information, as in
    // ScanAdditionalLayerInfo. An "Mtrn", "Mt16" or "Mt32" block among them says that the
    // merged image has a transparency. Nothing else is needed of them here, so bytes that do
    // not fit end the search.
    if (layerInfoEnd <= 0 || sectionEnd - layerInfoEnd < 4)
        return;
    stream.SetPos(static_cast<int32_t>(layerInfoEnd));
    const uint32_t maskLength = ReadBigEndian32(stream);
    if (maskLength > sectionEnd - stream.GetPos())
        return;
    stream.Seek(static_cast<int32_t>(maskLength));
    char key[4] = {};
    int64_t length = 0;
    while (ReadPsdBlockHeader(stream, format, sectionEnd, key, length, nullptr)) {
        if (memcmp(key, "Mtrn", 4) == 0 || memcmp(key, "Mt16", 4) == 0 ||
            memcmp(key, "Mt32", 4) == 0) {
            extra.transparencyBlock = true;
            return;
        }
        const int64_t start = stream.GetPos();
        stream.SetPos(static_cast<int32_t>(std::min(sectionEnd, start + (length + 3) / 4 * 4)));
    }
}

void ImageLoaderPSD::ScanMergedImage()
{
    // The merged image's compression field must be there: "Scan:165".
    RequireBytes(stream, 2, "ImageLoaderPSD::Scan:165");
    const uint16_t compression = ReadBigEndian16(stream);
    if (compression != kRaw && compression != kRle)
        throw debug::runtime_error("ImageLoaderPSD::Scan:167");

    const int64_t rows = std::max(merged.height, 0);
    const int64_t countSize = format.version == 2 ? 4 : 2;
    std::vector<int64_t> lengths(merged.channels.size(), 0);
    if (compression == kRle && !merged.channels.empty()) {
        // Every channel's table of row counts must be in the file before any is read:
        // "Scan:172". The tables then bound the buffer below by the file's size.
        RequireBytes(stream, static_cast<int64_t>(merged.channels.size()) * rows * countSize,
                     "ImageLoaderPSD::Scan:172");
        std::vector<uint32_t> counts;
        for (size_t i = 0; i < merged.channels.size(); ++i) {
            merged.channels[i].countsOffset = stream.GetPos();
            ReadRowCounts(stream.GetPos(), rows, counts);
            int64_t sum = 0;
            for (uint32_t count : counts)
                sum += count;
            lengths[i] = sum;
        }
    } else if (merged.width > 0 && merged.height > 0) {
        std::fill(lengths.begin(), lengths.end(), PsdRowBytes(merged.width, format.depth) * rows);
    }

    // Of the channels after the colour channels, the first is the merged image's transparency
    // where the document says so, and the others are ignored: saved selections, spot colours.
    // It says so with a negative layer count, a merged transparency block or an alpha
    // identifier of 0 for it, and also when the resources do not describe all of those
    // channels: a saved selection is always described, and so the first channel left
    // undescribed is the transparency. A multichannel document's channels are all inks, of
    // which the first is shown as gray, and with extended reading a first extra channel that
    // the display information calls a spot colour is an ink too.
    const int64_t extraChannels =
        static_cast<int64_t>(merged.channels.size()) - format.colorChannels;
    mergedAlpha = extraChannels > 0 && format.colorMode != PsdFormat::kMultichannel &&
                  !(extended && extra.firstIsSpot) &&
                  (extra.negativeLayerCount || extra.transparencyBlock ||
                   extra.firstIdentifiedAsTransparency || extra.described < extraChannels);

    // Each length is below 2^62 and the position is kept at most just past the 32-bit range
    // (where it lies beyond any file), so the sum cannot overflow however many channels follow.
    const int64_t beyond = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t position = stream.GetPos();
    for (size_t i = 0; i < merged.channels.size(); ++i) {
        info_t::channel_t& channel = merged.channels[i];
        const int32_t index = static_cast<int32_t>(i);
        channel.id = index < format.colorChannels                   ? index
                     : index == format.colorChannels && mergedAlpha ? kTransparency
                                                                    : kIgnored;
        channel.compression = compression;
        channel.length = lengths[i];
        channel.dataOffset = Saturated(position);
        position = std::min(position + lengths[i], beyond);
    }
}

// ---------------------------------------------------------------------------------------------
// The decode

void ImageLoaderPSD::ReadRowCounts(int64_t countsOffset, int64_t rows,
                                   std::vector<uint32_t>& counts)
{
    // Callers have checked that the table lies within the file, which bounds rows.
    const size_t size = static_cast<size_t>(format.RowCountSize());
    std::vector<uint8_t> bytes(static_cast<size_t>(rows) * size);
    counts.resize(static_cast<size_t>(rows));
    stream.SetPos(static_cast<int32_t>(countsOffset));
    if (!bytes.empty())
        stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (size_t y = 0; y < counts.size(); ++y) {
        const uint8_t* at = &bytes[y * size];
        counts[y] = size == 4 ? stream::BigEndian32(at) : stream::BigEndian16(at);
    }
}

bool ImageLoaderPSD::HasAlpha(const info_t& record) const
{
    // A multichannel document has inks only; the merged image has the transparency that
    // ScanMergedImage found, if any.
    if (format.colorMode == PsdFormat::kMultichannel)
        return false;
    if (&record == &merged)
        return mergedAlpha;
    return static_cast<int64_t>(record.channels.size()) - record.masks > format.colorChannels;
}

std::unique_ptr<RowSource> ImageLoaderPSD::RecordRows(const info_t& record)
{
    return std::unique_ptr<RowSource>(
        new PsdImageRows(format, *input, record, HasAlpha(record), &record == &merged));
}

}  // namespace graphic
}  // namespace sdk
