#include "support/PsdBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace test_support {

ByteWriter& ByteWriter::U8(uint32_t value)
{
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
}

ByteWriter& ByteWriter::U16(uint32_t value)
{
    U8(value >> 8);
    return U8(value);
}

ByteWriter& ByteWriter::U32(uint32_t value)
{
    U16(value >> 16);
    return U16(value);
}

ByteWriter& ByteWriter::U64(uint64_t value)
{
    U32(static_cast<uint32_t>(value >> 32));
    return U32(static_cast<uint32_t>(value));
}

ByteWriter& ByteWriter::Append(const Bytes& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Text(const std::string& text)
{
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

ByteWriter& ByteWriter::Zeros(size_t count)
{
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

void ByteWriter::PatchU32(size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes_.at(offset + static_cast<size_t>(i)) = static_cast<uint8_t>(value >> (24 - 8 * i));
}

Bytes PackBits(const Bytes& row)
{
    Bytes out;
    size_t i = 0;
    while (i < row.size()) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(1 - static_cast<int>(run)));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        // A literal runs up to the next pair of equal bytes.
        size_t end = i + 1;
        while (end < row.size() && end - i < 128 &&
               !(end + 1 < row.size() && row[end] == row[end + 1]))
            ++end;
        out.push_back(static_cast<uint8_t>(end - i - 1));
        out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(i),
                   row.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
    }
    return out;
}

namespace {

std::vector<Bytes> SplitRows(const Bytes& plane, int32_t width)
{
    std::vector<Bytes> rows;
    const size_t step = static_cast<size_t>(std::max(width, 1));
    for (size_t at = 0; at < plane.size(); at += step) {
        const size_t end = std::min(plane.size(), at + step);
        rows.emplace_back(plane.begin() + static_cast<std::ptrdiff_t>(at),
                          plane.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return rows;
}

std::vector<Bytes> PackRows(const Bytes& plane, int32_t rowBytes)
{
    std::vector<Bytes> packed;
    for (const Bytes& row : SplitRows(plane, rowBytes))
        packed.push_back(PackBits(row));
    return packed;
}

void RowCount(ByteWriter& writer, size_t count, int countSize)
{
    if (countSize == 4)
        writer.U32(static_cast<uint32_t>(count));
    else
        writer.U16(static_cast<uint32_t>(count));
}

Bytes Padded(const std::string& text, size_t size)
{
    Bytes bytes(text.begin(), text.end());
    bytes.resize(size, ' ');
    return bytes;
}

Bytes LayerRecord(const PsdLayer& layer, bool wide)
{
    ByteWriter extra;
    extra.U32(static_cast<uint32_t>(layer.mask.size())).Append(layer.mask);
    extra.U32(static_cast<uint32_t>(layer.blendingRanges.size())).Append(layer.blendingRanges);
    // Pascal string: length byte and name, padded to a multiple of 4 bytes in all.
    const size_t nameLength = std::min<size_t>(layer.name.size(), 255);
    extra.U8(static_cast<uint32_t>(nameLength)).Text(layer.name.substr(0, nameLength));
    extra.Zeros((4 - (1 + nameLength) % 4) % 4);
    extra.Append(layer.additional);

    ByteWriter record;
    record.I32(layer.top).I32(layer.left).I32(layer.bottom).I32(layer.right);
    record.U16(static_cast<uint32_t>(layer.channels.size()));
    for (const PsdChannel& channel : layer.channels) {
        record.I16(channel.id);
        if (channel.length)
            record.Length(static_cast<uint64_t>(static_cast<int64_t>(*channel.length)), wide);
        else
            record.Length(2 + channel.body.size(), wide);
    }
    record.Append(Padded(layer.signature, 4)).Append(Padded(layer.mode, 4));
    record.U8(layer.opacity).U8(layer.clipping).U8(layer.flags).U8(0);
    record.I32(layer.extraLength ? *layer.extraLength : static_cast<int32_t>(extra.Size()));
    record.Append(extra.Data());
    return record.Data();
}

Bytes LayerSection(const PsdBuilder& psd)
{
    const bool wide = psd.version == 2;
    ByteWriter info;
    info.I16(psd.layerCount ? *psd.layerCount : static_cast<int16_t>(psd.layers.size()));
    for (const PsdLayer& layer : psd.layers)
        info.Append(LayerRecord(layer, wide));
    for (const PsdLayer& layer : psd.layers)
        for (const PsdChannel& channel : layer.channels)
            info.U16(channel.compression).Append(channel.body);
    if (info.Size() % 2 != 0)
        info.U8(0);

    ByteWriter section;
    if (psd.layerBlock.empty()) {
        section.Length(info.Size(), wide).Append(info.Data());
        section.U32(static_cast<uint32_t>(psd.globalMask.size())).Append(psd.globalMask);
        section.Append(psd.globalBlocks);
        return section.Data();
    }
    section.Length(0, wide);
    section.U32(static_cast<uint32_t>(psd.globalMask.size())).Append(psd.globalMask);
    section.Text("8BIM").Append(Padded(psd.layerBlock, 4)).Length(info.Size(), wide);
    section.Append(info.Data()).Zeros((4 - info.Size() % 4) % 4);
    section.Append(psd.globalBlocks);
    return section.Data();
}

Bytes MergedBody(const PsdBuilder& psd)
{
    if (psd.mergedBody)
        return *psd.mergedBody;
    ByteWriter body;
    if (psd.compression != kPsdRle) {
        for (const Bytes& plane : psd.planes)
            body.Append(plane);
        return body.Data();
    }
    const int32_t rowBytes = psd.depth == 1 ? (psd.width + 7) / 8 : psd.width * (psd.depth / 8);
    std::vector<std::vector<Bytes>> packed;
    for (const Bytes& plane : psd.planes)
        packed.push_back(PackRows(plane, rowBytes));
    for (const std::vector<Bytes>& rows : packed)
        for (const Bytes& row : rows)
            RowCount(body, row.size(), psd.version == 2 ? 4 : 2);
    for (const std::vector<Bytes>& rows : packed)
        for (const Bytes& row : rows)
            body.Append(row);
    return body.Data();
}

}  // namespace

PsdChannel RawChannel(int16_t id, const Bytes& plane)
{
    PsdChannel channel;
    channel.id = id;
    channel.compression = kPsdRaw;
    channel.body = plane;
    return channel;
}

PsdChannel RleChannel(int16_t id, const Bytes& plane, int32_t rowBytes, int countSize)
{
    return RleRowsChannel(id, PackRows(plane, rowBytes), countSize);
}

PsdChannel RleRowsChannel(int16_t id, const std::vector<Bytes>& packedRows, int countSize)
{
    ByteWriter body;
    for (const Bytes& row : packedRows)
        RowCount(body, row.size(), countSize);
    for (const Bytes& row : packedRows)
        body.Append(row);
    PsdChannel channel;
    channel.id = id;
    channel.compression = kPsdRle;
    channel.body = body.Data();
    return channel;
}

PsdChannel CompressedChannel(int16_t id, uint16_t compression, const Bytes& plane,
                             int32_t rowBytes, int countSize)
{
    if (compression == kPsdRle)
        return RleChannel(id, plane, rowBytes, countSize);
    PsdChannel channel = RawChannel(id, plane);
    if (compression == kPsdZip) {
        uLongf size = compressBound(static_cast<uLong>(plane.size()));
        channel.body.resize(size);
        compress(channel.body.data(), &size, plane.data(), static_cast<uLong>(plane.size()));
        channel.body.resize(size);
        channel.compression = kPsdZip;
    }
    return channel;
}

Bytes Widen16(const Bytes& plane)
{
    ByteWriter samples;
    for (uint8_t value : plane)
        samples.U16(value * 257u);
    return samples.Data();
}

Bytes FloatSamples(const std::vector<float>& values)
{
    ByteWriter samples;
    for (float value : values) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        samples.U32(bits);
    }
    return samples.Data();
}

Bytes LayerBlock(const std::string& key, const Bytes& data, bool wide)
{
    ByteWriter block;
    block.Text("8BIM").Text(key).Length(data.size(), wide).Append(data);
    return block.Data();
}

Bytes SectionBlock(uint32_t type, const std::string& mode)
{
    ByteWriter data;
    data.U32(type);
    if (!mode.empty())
        data.Text("8BIM").Text(mode);
    return LayerBlock("lsct", data.Data());
}

Bytes UnicodeNameBlock(const std::u16string& name)
{
    ByteWriter block;
    const size_t length = 4 + name.size() * 2 + (name.size() % 2) * 2;
    block.Text("8BIMluni")
        .U32(static_cast<uint32_t>(length))
        .U32(static_cast<uint32_t>(name.size()));
    for (char16_t unit : name)
        block.U16(unit);
    block.Zeros(length - 4 - name.size() * 2);
    return block.Data();
}

Bytes ImageResource(uint16_t id, const Bytes& data)
{
    ByteWriter block;
    block.Text("8BIM").U16(id).U16(0).U32(static_cast<uint32_t>(data.size())).Append(data);
    block.Zeros(data.size() % 2);
    return block.Data();
}

Bytes MetadataBlock(const std::vector<std::pair<std::string, Bytes>>& items)
{
    ByteWriter data;
    data.U32(static_cast<uint32_t>(items.size()));
    for (const auto& item : items)
        data.Text("8BIM")
            .Text(item.first)
            .U32(0)
            .U32(static_cast<uint32_t>(item.second.size()))
            .Append(item.second);
    return LayerBlock("shmd", data.Data());
}

Bytes PsdBuilder::Build() const
{
    ByteWriter file;
    file.Append(Padded(signature, 4)).U16(version).Zeros(6);
    file.U16(channels).I32(height).I32(width).U16(depth).U16(colorMode);

    file.I32(colorModeDataLength ? *colorModeDataLength
                                 : static_cast<int32_t>(colorModeData.size()));
    file.Append(colorModeData);
    file.I32(resourcesLength ? *resourcesLength : static_cast<int32_t>(resources.size()));
    file.Append(resources);

    Bytes section;
    if (!layers.empty() || layerCount || !globalBlocks.empty())
        section = LayerSection(*this);
    file.Length(layerSectionLength ? static_cast<uint64_t>(*layerSectionLength) : section.size(),
                version == 2);
    file.Append(section);

    file.U16(compression).Append(MergedBody(*this));
    return file.Data();
}

Bytes Palette(const Bytes& red, const Bytes& green, const Bytes& blue)
{
    Bytes palette(768, 0);
    std::copy_n(red.begin(), std::min<size_t>(red.size(), 256), palette.begin());
    std::copy_n(green.begin(), std::min<size_t>(green.size(), 256), palette.begin() + 256);
    std::copy_n(blue.begin(), std::min<size_t>(blue.size(), 256), palette.begin() + 512);
    return palette;
}

ByteWriter& DescriptorWriter::Item(const std::string& key, const char* type)
{
    ++count_;
    if (key.size() == 4)
        items_.U32(0).Text(key);
    else
        items_.U32(static_cast<uint32_t>(key.size())).Text(key);
    return items_.Text(type);
}

DescriptorWriter& DescriptorWriter::Double(const std::string& key, double value)
{
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof bits);
    Item(key, "doub").U64(bits);
    return *this;
}

DescriptorWriter& DescriptorWriter::Unit(const std::string& key, const std::string& unit,
                                         double value)
{
    uint64_t bits = 0;
    memcpy(&bits, &value, sizeof bits);
    Item(key, "UntF").Text(unit).U64(bits);
    return *this;
}

DescriptorWriter& DescriptorWriter::Long(const std::string& key, int32_t value)
{
    Item(key, "long").I32(value);
    return *this;
}

DescriptorWriter& DescriptorWriter::Bool(const std::string& key, bool value)
{
    Item(key, "bool").U8(value ? 1 : 0);
    return *this;
}

DescriptorWriter& DescriptorWriter::Enum(const std::string& key, const std::string& type,
                                         const std::string& value)
{
    ByteWriter& item = Item(key, "enum");
    for (const std::string* id : {&type, &value})
        item.U32(id->size() == 4 ? 0 : static_cast<uint32_t>(id->size())).Text(*id);
    return *this;
}

DescriptorWriter& DescriptorWriter::Text(const std::string& key, const std::string& text)
{
    ByteWriter& item = Item(key, "TEXT").U32(static_cast<uint32_t>(text.size()));
    for (char c : text)
        item.U16(static_cast<uint8_t>(c));
    return *this;
}

DescriptorWriter& DescriptorWriter::Text(const std::string& key, const std::u16string& text)
{
    ByteWriter& item = Item(key, "TEXT").U32(static_cast<uint32_t>(text.size() + 1));
    for (char16_t unit : text)
        item.U16(unit);
    item.U16(0);
    return *this;
}

DescriptorWriter& DescriptorWriter::Raw(const std::string& key, const Bytes& data)
{
    Item(key, "tdta").U32(static_cast<uint32_t>(data.size())).Append(data);
    return *this;
}

DescriptorWriter& DescriptorWriter::Object(const std::string& key, const DescriptorWriter& object)
{
    Item(key, "Objc").Append(object.Build());
    return *this;
}

DescriptorWriter& DescriptorWriter::List(const std::string& key,
                                         const std::vector<DescriptorWriter>& objects)
{
    ByteWriter& item = Item(key, "VlLs").U32(static_cast<uint32_t>(objects.size()));
    for (const DescriptorWriter& object : objects)
        item.Text("Objc").Append(object.Build());
    return *this;
}

DescriptorWriter& DescriptorWriter::Longs(const std::string& key,
                                          const std::vector<int32_t>& values)
{
    ByteWriter& item = Item(key, "VlLs").U32(static_cast<uint32_t>(values.size()));
    for (int32_t value : values)
        item.Text("long").I32(value);
    return *this;
}

DescriptorWriter& DescriptorWriter::Doubles(const std::string& key,
                                            const std::vector<double>& values)
{
    ByteWriter& item = Item(key, "VlLs").U32(static_cast<uint32_t>(values.size()));
    for (double value : values) {
        uint64_t bits = 0;
        memcpy(&bits, &value, sizeof bits);
        item.Text("doub").U64(bits);
    }
    return *this;
}

Bytes DescriptorWriter::Build() const
{
    ByteWriter bytes;
    bytes.U32(1).U16(0);
    bytes.U32(classId_.size() == 4 ? 0 : static_cast<uint32_t>(classId_.size())).Text(classId_);
    bytes.U32(count_).Append(items_.Data());
    return bytes.Data();
}

Bytes DescriptorWriter::Versioned() const
{
    ByteWriter bytes;
    bytes.U32(16).Append(Build());
    return bytes.Data();
}

Bytes LinkedFileRecord::Build() const
{
    ByteWriter record;
    record.Text(type).U32(version).U8(static_cast<uint32_t>(id.size())).Text(id);
    record.U32(static_cast<uint32_t>(name.size() + 1));
    for (char16_t unit : name)
        record.U16(unit);
    record.U16(0).Text(fileType).Text(creator).U64(dataLength ? *dataLength : data.size());
    record.U8(1).Append(
        DescriptorWriter().Object("compInfo", DescriptorWriter().Long("compID", -1)).Versioned());
    if (type == "liFE") {
        DescriptorWriter where("ExternalFileLink");
        where.Long("descVersion", 2).Text("fullPath", fullPath).Text("relPath", "");
        record.Append(where.Versioned());
        if (version > 3) {
            const double seconds = 11;
            uint64_t bits = 0;
            memcpy(&bits, &seconds, sizeof bits);
            record.U32(2014).U8(11).U8(13).U8(8).U8(18).U64(bits);
        }
        record.U64(1234);
    }
    record.Append(data);
    if (version >= 5)
        record.U32(0);
    if (version >= 6)
        record.U64(0);
    if (version >= 7)
        record.U8(0);
    ByteWriter block;
    block.U64(length ? *length : record.Size()).Append(record.Data());
    block.Zeros((4 - record.Size() % 4) % 4);
    return block.Data();
}

Bytes PlacementBlock(const std::string& id, const std::vector<double>& corners, double width,
                     double height)
{
    DescriptorWriter settings;
    settings.Text("Idnt", id).Text("placed", id + "-placed").Long("PgNm", 1);
    settings.Long("totalPages", 1).Long("Type", 2).Doubles("Trnf", corners);
    settings.Doubles("nonAffineTransform", corners);
    settings.Object("Sz  ", DescriptorWriter("Pnt ").Double("Wdth", width).Double("Hght", height));
    settings.Unit("Rslt", "#Rsl", 72);
    ByteWriter block;
    block.Text("soLD").U32(4).Append(settings.Versioned());
    return block.Data();
}

Bytes LegacyPlacementBlock(const std::string& id, const std::vector<double>& corners, double width,
                           double height)
{
    ByteWriter block;
    block.Text("plcL").U32(3).U8(static_cast<uint32_t>(id.size())).Text(id);
    block.U32(1).U32(1).U32(16).U32(2);
    for (double corner : corners) {
        uint64_t bits = 0;
        memcpy(&bits, &corner, sizeof bits);
        block.U64(bits);
    }
    DescriptorWriter bounds("Rctn");
    bounds.Unit("Top ", "#Pxl", 0).Unit("Left", "#Pxl", 0).Unit("Btom", "#Pxl", height);
    bounds.Unit("Rght", "#Pxl", width);
    block.U32(0).Append(DescriptorWriter("warp").Object("bounds", bounds).Versioned());
    return block.Data();
}

Bytes PatternRecord(const std::string& id, int32_t width, int32_t height,
                    const std::vector<Bytes>& planes, const Bytes& alpha, uint32_t mode)
{
    const uint32_t slots = 24;  // colour slots; a user mask and the transparency follow
    ByteWriter channels;
    for (uint32_t slot = 0; slot < slots + 2; ++slot) {
        const Bytes* plane = slot < planes.size() ? &planes[slot]
                             : slot == slots + 1 && !alpha.empty() ? &alpha
                                                                   : nullptr;
        if (!plane) {
            channels.U32(0);
            continue;
        }
        channels.U32(1).U32(static_cast<uint32_t>(23 + plane->size())).U32(8);
        channels.U32(0).U32(0).I32(height).I32(width).U16(8).U8(0).Append(*plane);
    }
    ByteWriter list;
    list.U32(0).U32(0).I32(height).I32(width).U32(slots).Append(channels.Data());
    ByteWriter pattern;
    pattern.U32(1).U32(mode).I16(height).I16(width).U32(0);
    pattern.U8(static_cast<uint32_t>(id.size())).Text(id);
    pattern.U32(3).U32(static_cast<uint32_t>(list.Size())).Append(list.Data());
    ByteWriter record;
    record.U32(static_cast<uint32_t>(pattern.Size())).Append(pattern.Data());
    record.Zeros((4 - pattern.Size() % 4) % 4);
    return record.Data();
}

}  // namespace test_support
