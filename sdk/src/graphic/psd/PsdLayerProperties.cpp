#include "graphic/psd/PsdLayerProperties.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "graphic/psd/PsdBlocks.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdFillColour.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

const char kBlockDamaged[] = "ImageLoaderPSD::LayerProperties:400";
const char kMaskDamaged[] = "ImageLoaderPSD::LayerProperties:410";
const char kVectorMaskDamaged[] = "ImageLoaderPSD::LayerProperties:420";
const char kBlockTooShort[] = "ImageLoaderPSD::LayerProperties:430";

// The most bytes of a fill's descriptor read.
const int64_t kLargestDescriptor = 64 << 10;
// The most bytes of a vector mask block read: a path of about 640,000 knots.
const int64_t kLargestVectorMask = 16 << 20;

bool IsKey(const char (&key)[4], const char* name)
{
    return memcmp(key, name, 4) == 0;
}

bool IsAnyKey(const char (&key)[4], std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (IsKey(key, name))
            return true;
    }
    return false;
}

class RecordReader {
public:
    RecordReader(stream::stream_in& stream, const PsdFormat& format, const PsdLayerRecordSpan& span)
        : stream_(stream), format_(format), span_(span)
    {
    }

    void Read(PsdLayerProperties& properties)
    {
        ReadFields(properties);
        ReadMaskData(properties.mask);
        ReadBlendingRanges(properties);
        ReadBlocks(properties);
    }

private:
    std::vector<uint8_t> BytesAt(int64_t position, int64_t count)
    {
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        stream_.SetPos(static_cast<int32_t>(position));
        if (count > 0)
            stream_.Read(bytes.data(), static_cast<uint32_t>(count));
        return bytes;
    }

    void ReadFields(PsdLayerProperties& properties)
    {
        // The blend-mode key before them, then opacity, clipping (0 base, 1 clipped), flags and a
        // filler byte. A group's mode is the one its section divider block names.
        const std::vector<uint8_t> fields = BytesAt(span_.fields - 4, 8);
        memcpy(properties.blendKey, fields.data(), 4);
        properties.opacity = fields[4];
        properties.clipping = fields[5] != 0;
        properties.visible = (fields[6] & 0x02) == 0;
        // Bit 4 says whether the pixels matter only when bit 3 says that bit 4 is in use.
        properties.pixelsIrrelevant = (fields[6] & 0x18) == 0x18;
    }

    void ReadMaskData(PsdLayerMask& mask)
    {
        // A rectangle, a default colour and flags (18 bytes); when the editor also keeps a mask
        // made from the vector mask, the user's own mask follows as flags, default colour and
        // rectangle (18 bytes more), and then the parameters if the first flags say so.
        const int64_t length = span_.maskLength;
        if (length == 0)
            return;
        if (length < 18)
            throw debug::runtime_error(kMaskDamaged);
        const std::vector<uint8_t> data = BytesAt(span_.maskData, std::min<int64_t>(length, 64));
        uint8_t flags = data[17];
        const bool parameters = (flags & 0x10) != 0;
        size_t at = 18;
        if (length >= 36) {
            flags = data[18];
            ReadRectangle(&data[20], data[19], flags, mask);
            mask.real = true;
            at = 36;
        } else {
            ReadRectangle(&data[0], data[16], flags, mask);
        }
        // The parameters: which of user density, user feather, vector density and vector
        // feather follow (1, 8, 1 and 8 bytes), then those present.
        const int64_t end = std::min<int64_t>(length, 64);
        if (parameters && static_cast<int64_t>(at) < end) {
            const uint8_t present = data[at++];
            const int sizes[4] = {1, 8, 1, 8};
            for (int bit = 0; bit < 4; ++bit) {
                if ((present & (1 << bit)) == 0)
                    continue;
                if (static_cast<int64_t>(at) + sizes[bit] > end)
                    break;
                if (bit == 0)
                    mask.density = data[at];
                else if (bit == 2)
                    mask.vectorDensity = data[at];
                else
                    (bit == 1 ? mask.feather : mask.vectorFeather) = Feather(&data[at]);
                at += static_cast<size_t>(sizes[bit]);
            }
        }
    }

    // An artboard's rectangle and background from its descriptor; not present when the
    // descriptor cannot be read or its rectangle is not one.
    static PsdArtboard ReadArtboard(const std::vector<uint8_t>& data)
    {
        PsdArtboard artboard;
        try {
            size_t at = 0;
            const PsdDescriptorValue descriptor =
                ReadPsdVersionedDescriptor(data.data(), data.size(), at, kBlockTooShort);
            const PsdDescriptorValue* rect = descriptor.Find("artboardRect");
            if (!rect)
                return artboard;
            const double edges[4] = {rect->Number("Left", 0), rect->Number("Top ", 0),
                                     rect->Number("Rght", 0), rect->Number("Btom", 0)};
            for (double edge : edges) {
                if (!(std::fabs(edge) < 1e9))
                    return artboard;
            }
            artboard.left = static_cast<int32_t>(std::lround(edges[0]));
            artboard.top = static_cast<int32_t>(std::lround(edges[1]));
            artboard.right = static_cast<int32_t>(std::lround(edges[2]));
            artboard.bottom = static_cast<int32_t>(std::lround(edges[3]));
            if (artboard.right <= artboard.left || artboard.bottom <= artboard.top)
                return artboard;
            artboard.background = static_cast<int32_t>(
                descriptor.Number("artboardBackgroundType", PsdArtboard::White));
            if (const PsdDescriptorValue* colour = descriptor.Find("Clr ")) {
                const char* keys[3] = {"Rd  ", "Grn ", "Bl  "};
                for (int i = 0; i < 3; ++i) {
                    const double value = colour->Number(keys[i], 255);
                    artboard.colour[i] = static_cast<uint8_t>(
                        value > 0 ? (value < 255 ? std::lround(value) : 255) : 0);
                }
            }
            artboard.present = true;
        } catch (const debug::runtime_error&) {
            artboard.present = false;
        }
        return artboard;
    }

    static double BigEndianDouble(const uint8_t* bytes)
    {
        const uint64_t bits = (static_cast<uint64_t>(stream::BigEndian32(bytes)) << 32) |
                              stream::BigEndian32(bytes + 4);
        double value = 0;
        memcpy(&value, &bits, sizeof value);
        return value;
    }

    // A feather radius: a double of pixels, taken within what the editor offers (0 .. 1000).
    static double Feather(const uint8_t* bytes)
    {
        const double value = BigEndianDouble(bytes);
        return value > 0 ? std::min(value, 1000.0) : 0.0;
    }

    static void ReadRectangle(const uint8_t* rectangle, uint8_t defaultColor, uint8_t flags,
                              PsdLayerMask& mask)
    {
        const int64_t top = static_cast<int32_t>(stream::BigEndian32(rectangle));
        const int64_t left = static_cast<int32_t>(stream::BigEndian32(rectangle + 4));
        const int64_t bottom = static_cast<int32_t>(stream::BigEndian32(rectangle + 8));
        const int64_t right = static_cast<int32_t>(stream::BigEndian32(rectangle + 12));
        const int64_t high = std::numeric_limits<int32_t>::max();
        if (bottom - top < 0 || bottom - top > high || right - left < 0 || right - left > high)
            throw debug::runtime_error(kMaskDamaged);
        mask.present = true;
        mask.x = static_cast<int32_t>(left);
        mask.y = static_cast<int32_t>(top);
        mask.width = static_cast<int32_t>(right - left);
        mask.height = static_cast<int32_t>(bottom - top);
        mask.defaultColor = defaultColor;
        mask.relativePosition = (flags & 0x01) != 0;
        mask.disabled = (flags & 0x02) != 0;
        mask.fromVectorData = (flags & 0x08) != 0;
    }

    void ReadBlendingRanges(PsdLayerProperties& properties)
    {
        // The gray range and then one per channel: 4 bytes of source (black low and high,
        // white low and high), then 4 of destination. A partial range at the end is ignored;
        // more ranges than a pixel has channels (five: gray and four inks) are not needed.
        const int64_t count = std::min<int64_t>(span_.blendingLength / 8, 5);
        const std::vector<uint8_t> data = BytesAt(span_.blending, count * 8);
        for (int64_t i = 0; i < count; ++i) {
            const uint8_t* at = &data[static_cast<size_t>(i * 8)];
            PsdBlendRange source, destination;
            source.black[0] = at[0];
            source.black[1] = at[1];
            source.white[0] = at[2];
            source.white[1] = at[3];
            destination.black[0] = at[4];
            destination.black[1] = at[5];
            destination.white[0] = at[6];
            destination.white[1] = at[7];
            properties.sourceRanges.push_back(source);
            properties.destinationRanges.push_back(destination);
        }
    }

    void ReadBlocks(PsdLayerProperties& properties)
    {
        // Blocks of signature, key, length and data up to the record's end. Bytes that do not
        // start with a block signature end the blocks.
        bool vectorData = false;
        char key[4] = {};
        int64_t length = 0;
        stream_.SetPos(static_cast<int32_t>(span_.blocks));
        while (ReadPsdBlockHeader(stream_, format_, span_.end, key, length, kBlockDamaged)) {
            const int64_t start = stream_.GetPos();
            ReadBlock(key, start, length, properties, vectorData);
            stream_.SetPos(static_cast<int32_t>(start + length));
        }
        // A fill layer, or a layer of no other kind, whose pixels the editor makes from vector
        // data is a shape layer.
        if (properties.pixelsIrrelevant && vectorData &&
            (properties.kind == PsdLayerProperties::Kind::Pixel ||
             properties.kind == PsdLayerProperties::Kind::Fill))
            properties.kind = PsdLayerProperties::Kind::Shape;
    }

    void ReadBlock(const char (&key)[4], int64_t start, int64_t length,
                   PsdLayerProperties& properties, bool& vectorData)
    {
        using Kind = PsdLayerProperties::Kind;
        using Section = PsdLayerProperties::Section;
        if (IsKey(key, "lsct") || IsKey(key, "lsdk")) {
            // The divider's type, then optionally the signature and the group's blend mode.
            if (length < 4)
                throw debug::runtime_error(kBlockTooShort);
            const std::vector<uint8_t> data = BytesAt(start, std::min<int64_t>(length, 12));
            const uint32_t type = stream::BigEndian32(data.data());
            properties.section = type == 1   ? Section::OpenFolder
                                 : type == 2 ? Section::ClosedFolder
                                 : type == 3 ? Section::Divider
                                             : Section::None;
            if (properties.section == Section::OpenFolder ||
                properties.section == Section::ClosedFolder)
                properties.kind = Kind::Group;
            if (length >= 12)
                memcpy(properties.blendKey, &data[8], 4);
        } else if (IsAnyKey(key, {"iOpa", "clbl", "infx", "knko"})) {
            if (length < 1)
                throw debug::runtime_error(kBlockTooShort);
            const uint8_t value = BytesAt(start, 1)[0];
            if (IsKey(key, "iOpa"))
                properties.fillOpacity = value;
            else if (IsKey(key, "clbl"))
                properties.blendClippedAsGroup = value != 0;
            else if (IsKey(key, "infx"))
                properties.blendInteriorAsGroup = value != 0;
            else
                properties.knockout = value;
        } else if (IsKey(key, "vmsk") || IsKey(key, "vsms")) {
            if (length > kLargestVectorMask)
                throw debug::runtime_error(kVectorMaskDamaged);
            const std::vector<uint8_t> data = BytesAt(start, length);
            properties.vectorMask = ReadPsdVectorMask(data.data(), data.size(), kVectorMaskDamaged);
            properties.hasVectorMask = true;
            vectorData = true;
        } else if (IsKey(key, "SoCo")) {
            if (length <= kLargestDescriptor) {
                const std::vector<uint8_t> data = BytesAt(start, length);
                properties.hasFillColour =
                    ReadPsdFillColour(data.data(), data.size(), properties.fillColour);
            }
        } else if (IsAnyKey(key, {"artb", "artd", "abdd"})) {
            if (length <= kLargestDescriptor) {
                const std::vector<uint8_t> data = BytesAt(start, length);
                properties.artboard = ReadArtboard(data);
            }
        } else if (IsAnyKey(key, {"vogk", "vstk", "vscg"})) {
            vectorData = true;
        } else if (IsAnyKey(key, {"lrFX", "lfx2", "lmfx"})) {
            properties.hasEffects = true;
        } else if (IsKey(key, "brst")) {
            // The channels the layer leaves as they are below it: 4-byte channel numbers.
            // A list longer than the channels there are says nothing more.
            const int64_t count = std::min<int64_t>(length / 4, 64);
            const std::vector<uint8_t> data = BytesAt(start, count * 4);
            for (int64_t i = 0; i < count; ++i) {
                const uint32_t channel = stream::BigEndian32(&data[static_cast<size_t>(i) * 4]);
                if (channel < 8)
                    properties.restrictedChannels |= static_cast<uint8_t>(1u << channel);
            }
        } else if (IsKey(key, "fxrp")) {
            // Where the layer's effects are anchored: two doubles, horizontal then vertical.
            // Places no document reaches are not kept.
            if (length >= 16) {
                const std::vector<uint8_t> data = BytesAt(start, 16);
                const double x = BigEndianDouble(data.data()), y = BigEndianDouble(data.data() + 8);
                if (std::fabs(x) <= 1e7 && std::fabs(y) <= 1e7) {
                    properties.effectsOrigin[0] = x;
                    properties.effectsOrigin[1] = y;
                    properties.hasEffectsOrigin = true;
                }
            }
        } else if (IsAnyKey(key, {"lyid", "lspf"}) && length >= 4) {
            const uint32_t value = stream::BigEndian32(BytesAt(start, 4).data());
            if (IsKey(key, "lyid")) {
                properties.layerId = value;
                properties.hasLayerId = true;
            } else {
                properties.locks = value;
            }
        } else if (IsKey(key, "lclr") && length >= 2) {
            properties.colorLabel = stream::BigEndian16(BytesAt(start, 2).data());
        } else if (IsKey(key, "luni")) {
            // A count beyond the block gives what the block holds.
            stream_.SetPos(static_cast<int32_t>(start));
            if (!ReadPsdUnicodeName(stream_, length, properties.unicodeName) && length < 4)
                throw debug::runtime_error(kBlockTooShort);
        }
        const Kind kind = KindOfBlock(key);
        if (kind == Kind::Adjustment || IsAnyKey(key, {"GdFl", "PtFl", "CgEd", "lfx2", "lmfx"})) {
            PsdBlockPlace place;
            memcpy(place.key, key, 4);
            place.start = start;
            place.length = length;
            properties.drawingBlocks.push_back(place);
        } else if (IsAnyKey(key, {"TySh", "SoLd", "SoLE", "PlLd", "plLd", "shmd"})) {
            PsdBlockPlace place;
            memcpy(place.key, key, 4);
            place.start = start;
            place.length = length;
            properties.describingBlocks.push_back(place);
        }
        if (Rank(kind) > Rank(properties.kind))
            properties.kind = kind;
    }

    // Which kind wins when a record has blocks of several: a group, then text, then a smart
    // object, then a fill or an adjustment.
    static int Rank(PsdLayerProperties::Kind kind)
    {
        using Kind = PsdLayerProperties::Kind;
        return kind == Kind::Group ? 4 : kind == Kind::Type ? 3 : kind == Kind::SmartObject ? 2
               : kind == Kind::Pixel ? 0 : 1;
    }

    static PsdLayerProperties::Kind KindOfBlock(const char (&key)[4])
    {
        using Kind = PsdLayerProperties::Kind;
        if (IsAnyKey(key, {"TySh", "tySh"}))
            return Kind::Type;
        if (IsAnyKey(key, {"SoLd", "SoLE", "PlLd", "plLd"}))
            return Kind::SmartObject;
        if (IsAnyKey(key, {"SoCo", "GdFl", "PtFl"}))
            return Kind::Fill;
        if (IsAnyKey(key, {"brit", "levl", "curv", "expA", "vibA", "hue ", "hue2", "blnc", "blwh",
                           "phfl", "mixr", "clrL", "nvrt", "post", "thrs", "grdm", "selc"}))
            return Kind::Adjustment;
        return Kind::Pixel;
    }

    stream::stream_in& stream_;
    const PsdFormat& format_;
    const PsdLayerRecordSpan& span_;
};

}  // namespace

PsdLayerProperties ReadPsdLayerProperties(stream::stream_in& stream, const PsdFormat& format,
                                          const PsdLayerRecordSpan& span)
{
    PsdLayerProperties properties;
    try {
        RecordReader(stream, format, span).Read(properties);
    } catch (const debug::runtime_error& error) {
        properties.damage = error.what();
    }
    return properties;
}

}  // namespace graphic
}  // namespace sdk
