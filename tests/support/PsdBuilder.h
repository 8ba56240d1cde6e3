// Test support: PSD files assembled byte by byte in memory.
//
// A PsdBuilder describes a whole document: header, colour mode data (the palette), image
// resources, layer records with their channel data, and the merged image. Build() writes it in
// file order, big-endian, computing every length that is not overridden. The overrides
// (std::optional fields, raw bodies) let a test write files that lie about themselves.
//
//   test_support::PsdBuilder psd;            // RGB, 3 channels, 1 x 1, raw
//   psd.width = 2; psd.height = 1;
//   psd.planes = {{255, 0}, {0, 255}, {0, 0}};
//   psd.layers.push_back(test_support::PsdLayer(0, 0, 1, 2).Add(
//       test_support::RleChannel(0, {9, 9}, 2)));
//   test_support::Bytes file = psd.Build();
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

// Appends big-endian values to a byte array.
class ByteWriter {
public:
    ByteWriter& U8(uint32_t value);
    ByteWriter& U16(uint32_t value);
    ByteWriter& U32(uint32_t value);
    ByteWriter& U64(uint64_t value);
    // A length field: 8 bytes when wide (the large document format), else 4.
    ByteWriter& Length(uint64_t value, bool wide)
    {
        return wide ? U64(value) : U32(static_cast<uint32_t>(value));
    }
    ByteWriter& I16(int32_t value) { return U16(static_cast<uint16_t>(value)); }
    ByteWriter& I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
    ByteWriter& Append(const Bytes& bytes);
    ByteWriter& Text(const std::string& text);
    ByteWriter& Zeros(size_t count);
    // Overwrites four bytes at offset with value, big-endian.
    void PatchU32(size_t offset, uint32_t value);

    size_t Size() const { return bytes_.size(); }
    const Bytes& Data() const { return bytes_; }

private:
    Bytes bytes_;
};

// PackBits encoding of one row: runs of two or more equal bytes become repeats, the rest
// literals, each at most 128 bytes long.
Bytes PackBits(const Bytes& row);

enum : uint16_t { kPsdRaw = 0, kPsdRle = 1, kPsdZip = 2 };

// One channel of a layer: its id (-1 transparency, -2 layer mask), its compression and the
// bytes that follow the compression field.
struct PsdChannel {
    int16_t id = 0;
    uint16_t compression = kPsdRaw;
    Bytes body;
    // The channel length written in the layer record instead of 2 + body size.
    std::optional<int32_t> length;
};

// A raw channel holding plane (rows of samples, top row first).
PsdChannel RawChannel(int16_t id, const Bytes& plane);
// An RLE channel encoding plane row by row with PackBits; rowBytes is the size of a row (the
// width times the bytes of a sample). Row counts take countSize bytes: 4 in the large document
// format, 2 otherwise.
PsdChannel RleChannel(int16_t id, const Bytes& plane, int32_t rowBytes, int countSize = 2);
// An RLE channel made of already encoded rows, one entry per row; the counts are their sizes.
PsdChannel RleRowsChannel(int16_t id, const std::vector<Bytes>& packedRows, int countSize = 2);
// A channel holding plane raw, as RleChannel does, or deflated whole (kPsdZip).
PsdChannel CompressedChannel(int16_t id, uint16_t compression, const Bytes& plane,
                             int32_t rowBytes, int countSize = 2);

// A plane of 8-bit values as 16-bit samples, each value v as v x 257, big-endian.
Bytes Widen16(const Bytes& plane);
// 32-bit float samples, big-endian.
Bytes FloatSamples(const std::vector<float>& values);
// One block of additional layer information: signature, key, length (8 bytes when wide, for
// the keys the large document format widens), data.
Bytes LayerBlock(const std::string& key, const Bytes& data, bool wide = false);
// The section divider block ("lsct") of a group's records: 1 an open folder, 2 a closed one, 3
// the divider below the children; mode, when given, is the group's blend-mode key.
enum : uint32_t { kOpenFolder = 1, kClosedFolder = 2, kGroupDivider = 3 };
Bytes SectionBlock(uint32_t type, const std::string& mode = "");
// Additional layer information holding the layer's Unicode name ("luni").
Bytes UnicodeNameBlock(const std::u16string& name);
// One image resource: signature, id, an empty name, length and data, padded to an even length.
Bytes ImageResource(uint16_t id, const Bytes& data);
// A layer's metadata block ("shmd"): the count of items, then each item's signature, key, the
// byte that copies it with the layer (0), 3 bytes of padding, its length and its data.
Bytes MetadataBlock(const std::vector<std::pair<std::string, Bytes>>& items);

// A descriptor, as the newer blocks keep their settings in: a class id and keyed items, each
// call appending one. Keys and ids of four characters are written with a length of 0, longer
// ones with theirs. Build() writes an empty name, the class id and the items; Versioned()
// puts the version (16) first, as fill and effect blocks start.
class DescriptorWriter {
public:
    explicit DescriptorWriter(const std::string& classId = "null") : classId_(classId) {}
    DescriptorWriter& Double(const std::string& key, double value);
    DescriptorWriter& Unit(const std::string& key, const std::string& unit, double value);
    DescriptorWriter& Long(const std::string& key, int32_t value);
    DescriptorWriter& Bool(const std::string& key, bool value);
    DescriptorWriter& Enum(const std::string& key, const std::string& type,
                           const std::string& value);
    DescriptorWriter& Text(const std::string& key, const std::string& text);
    // UTF-16 text, ended with a zero unit as the editor writes it.
    DescriptorWriter& Text(const std::string& key, const std::u16string& text);
    // Raw data ("tdta"): its length, then the bytes.
    DescriptorWriter& Raw(const std::string& key, const Bytes& data);
    DescriptorWriter& Object(const std::string& key, const DescriptorWriter& object);
    DescriptorWriter& List(const std::string& key, const std::vector<DescriptorWriter>& objects);
    // A list of integers ("long" items).
    DescriptorWriter& Longs(const std::string& key, const std::vector<int32_t>& values);
    // A list of numbers ("VlLs" of "doub").
    DescriptorWriter& Doubles(const std::string& key, const std::vector<double>& values);
    Bytes Build() const;
    Bytes Versioned() const;

private:
    ByteWriter& Item(const std::string& key, const char* type);

    std::string classId_;
    uint32_t count_ = 0;
    ByteWriter items_;
};

// One pattern of a pattern block ("Patt"), with its length and padding: of colour mode mode (3
// RGB, 4 CMYK), raw channels of width x height samples each (alpha, when given, in the last
// slot), identifier id.
Bytes PatternRecord(const std::string& id, int32_t width, int32_t height,
                    const std::vector<Bytes>& planes, const Bytes& alpha = {}, uint32_t mode = 3);

// One record of a linked file block ("lnkD", "lnk2", "lnk3", "lnkE"): its 8-byte length, the
// type, version, id, name (ended by a zero unit, as the editor writes it), file type, creator,
// the data's length, an open descriptor; for "liFE" a descriptor of where the file lives
// ("fullPath", "relPath"), a date and a size; the data; from version 5 an empty child document
// id, from 6 a date, from 7 a lock; padded to a multiple of 4 bytes.
struct LinkedFileRecord {
    std::string type = "liFD";
    uint32_t version = 7;
    std::string id;
    std::u16string name;
    std::string fileType = "png ";
    std::string creator = "8BIM";
    Bytes data;
    std::string fullPath;
    // Written instead of the record's size and the data's.
    std::optional<uint64_t> length;
    std::optional<uint64_t> dataLength;

    Bytes Build() const;
};

// The data of a placement block ("SoLd", "SoLE"): "soLD", version 4 and a versioned descriptor
// placing the linked file id at the eight numbers of corners, its content width x height.
Bytes PlacementBlock(const std::string& id, const std::vector<double>& corners, double width,
                     double height);
// The data of the older placement block ("PlLd"): the same as its fields and a warp whose bounds
// are the content's rectangle.
Bytes LegacyPlacementBlock(const std::string& id, const std::vector<double>& corners, double width,
                           double height);

struct PsdLayer {
    PsdLayer() = default;
    PsdLayer(int32_t top, int32_t left, int32_t bottom, int32_t right)
        : top(top), left(left), bottom(bottom), right(right)
    {
    }
    PsdLayer& Add(const PsdChannel& channel)
    {
        channels.push_back(channel);
        return *this;
    }

    int32_t top = 0, left = 0, bottom = 0, right = 0;
    std::vector<PsdChannel> channels;
    std::string signature = "8BIM";  // the first four bytes are written
    std::string mode = "norm";       // the first four bytes are written
    uint8_t opacity = 255;
    uint8_t clipping = 0;
    uint8_t flags = 0;
    Bytes mask;            // layer mask data
    Bytes blendingRanges;  // blending ranges data
    std::string name;      // written as a Pascal string padded to a multiple of 4 bytes
    Bytes additional;      // additional layer information, after the name
    // The extra data length written instead of the size of mask, ranges, name and additional.
    std::optional<int32_t> extraLength;
};

struct PsdBuilder {
    std::string signature = "8BPS";
    uint16_t version = 1;  // 2: the large document format, with 8-byte lengths
    uint16_t channels = 3;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t depth = 8;
    uint16_t colorMode = 3;  // 1 grayscale, 2 indexed, 3 RGB

    Bytes colorModeData;  // the palette of an indexed document; see Palette()
    std::optional<int32_t> colorModeDataLength;
    Bytes resources;
    std::optional<int32_t> resourcesLength;

    // The layer and mask information is written when there are layers or a layer count is set;
    // otherwise its length is 0.
    std::vector<PsdLayer> layers;
    std::optional<int16_t> layerCount;
    Bytes globalMask;
    std::optional<int64_t> layerSectionLength;
    // When set (such as "Lr16"), the layers go into a block of this key after the global mask
    // and the layer information is left empty.
    std::string layerBlock;
    // Additional layer information after the global mask (and after the layer block).
    Bytes globalBlocks;

    // The merged image: one plane of samples per channel, written raw or with every channel's
    // row counts first and then every channel's PackBits data.
    uint16_t compression = kPsdRaw;
    std::vector<Bytes> planes;
    // Bytes written after the compression field instead of the encoded planes.
    std::optional<Bytes> mergedBody;

    Bytes Build() const;
};

// The 768 bytes of an indexed document's colour mode data: 256 red, 256 green, 256 blue
// entries, each list padded with zeros.
Bytes Palette(const Bytes& red, const Bytes& green, const Bytes& blue);

}  // namespace test_support
