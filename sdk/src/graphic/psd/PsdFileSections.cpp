// The scan of a PSD file's sections in their order: the header, the colour mode data, the image
// resources, the layer and mask information (whose layer records PsdLayerRecords.cpp reads), and
// the merged image.
#include "graphic/psd/ImageLoaderPSD.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "debug/Error.h"
#include "graphic/psd/PsdBlocks.h"
#include "graphic/psd/PsdSamples.h"
#include "graphic/psd/PsdRecordFields.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

using stream::ReadBigEndian16;
using stream::ReadBigEndian32;
using stream::ReadByte;
using stream::RequireBytes;

}  // namespace

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
        ScanResourceBlocks(end);
        stream.SetPos(static_cast<int32_t>(end));
    }
}

void ImageLoaderPSD::ScanResourceBlocks(int64_t end)
{
    // Resource blocks: signature, id, a name padded to an even length with its length byte, a
    // data length and the data, padded to an even length. Two of them hold the global light
    // that layer effects may follow: the angle (1037) and the altitude (1049), 4-byte signed
    // degrees each; a value out of the dialog's range (-360 .. 360, 0 .. 90) keeps the default.
    // What the others say of the extra channels, in the channels' order:
    // - the alpha names (id 1006): a Pascal string each; the Unicode alpha names (1045): a
    //   count of UTF-16 units and the units each; the alpha identifiers (1053): 4 bytes each,
    //   0 for the transparency. The editor lists its saved selections there, and the
    //   transparency too when the document has one;
    // - the display information (1077, or 1007 in older files): an entry each, whose kind is 2
    //   for a spot colour: 13 bytes each after a 4-byte version, or 14 bytes each in the older
    //   form. The first block of the two decides.
    // The resolution (1005) and the layer comps (1065) are kept for the reports.
    // The embedded ICC profile (1039) and the flag that the colours are untagged (1041, one
    // byte) say what the numbers mean; the first profile counts.
    // None of them is needed to decode the document, so a block that does not fit ends the
    // search, and an entry that does not fit ends its list. Names are counted up to the number
    // of extra channels, which bounds the work of a list of many short entries.
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
        } else if (id == 1039 && iccProfile.empty() && !iccTooLarge) {
            // The embedded colour profile, kept as it is: it is checked where it is used.
            iccTooLarge = size > kLargestIccProfile;
            if (!iccTooLarge && size > 0) {
                iccProfile.resize(size);
                stream.Read(iccProfile.data(), size);
            }
        } else if (id == 1005 && size >= 16 && !resolution.present) {
            // Pixels per inch across as a 16.16 fixed-point number, its display unit and the
            // width's unit; then the same down. A resolution no document has is not kept.
            uint8_t fields[16];
            stream.Read(fields, 16);
            const double across = stream::BigEndian32(fields) / 65536.0;
            const double down = stream::BigEndian32(fields + 8) / 65536.0;
            if (across > 0 && down > 0) {
                resolution.present = true;
                resolution.horizontal = across;
                resolution.vertical = down;
                resolution.horizontalUnit = stream::BigEndian16(fields + 4);
                resolution.verticalUnit = stream::BigEndian16(fields + 12);
            }
        } else if (id == 1065 && layerCompsResource.length == 0) {
            layerCompsResource.start = start;
            layerCompsResource.length = size;
        } else if (id == 1041 && size >= 1) {
            iccUntagged = ReadByte(stream) != 0;
        } else if ((id == 1037 || id == 1049) && size >= 4) {
            const int32_t degrees = ReadI32(stream);
            if (id == 1037 && degrees >= -360 && degrees <= 360)
                format.globalAngle = degrees;
            else if (id == 1049 && degrees >= 0 && degrees <= 90)
                format.globalAltitude = degrees;
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
        ScanGlobalBlocks(sectionEnd);
        ScanLinkedFiles();
    }
    stream.SetPos(static_cast<int32_t>(sectionEnd));
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

void ImageLoaderPSD::ScanGlobalBlocks(int64_t sectionEnd)
{
    // The global layer mask information and the blocks after the layer information, as in
    // ScanAdditionalLayerInfo. An "Mtrn", "Mt16" or "Mt32" block among them says that the merged
    // image has a transparency (when it has channels beyond its colours); the pattern blocks
    // ("Patt", "Pat2", "Pat3") are kept by where they lie, at most kMostPatternBlocks of them,
    // far more than a document has, and so are the linked file blocks ("lnkD", "lnk2", "lnk3",
    // "lnkE"), at most kMostLinkedFileBlocks. Nothing else is needed of them here, so bytes that
    // do not fit end the search; every block read takes at least its header, so the walk ends
    // with the section.
    const size_t kMostPatternBlocks = 4096;
    const size_t kMostLinkedFileBlocks = 64;
    if (layerInfoEnd <= 0 || sectionEnd - layerInfoEnd < 4)
        return;
    const bool extraChannels = static_cast<int64_t>(merged.channels.size()) > format.colorChannels;
    stream.SetPos(static_cast<int32_t>(layerInfoEnd));
    const uint32_t maskLength = ReadBigEndian32(stream);
    if (maskLength > sectionEnd - stream.GetPos())
        return;
    stream.Seek(static_cast<int32_t>(maskLength));
    char key[4] = {};
    int64_t length = 0;
    while (ReadPsdBlockHeader(stream, format, sectionEnd, key, length, nullptr)) {
        const int64_t start = stream.GetPos();
        if (extraChannels && (memcmp(key, "Mtrn", 4) == 0 || memcmp(key, "Mt16", 4) == 0 ||
                              memcmp(key, "Mt32", 4) == 0))
            extra.transparencyBlock = true;
        if ((memcmp(key, "Patt", 4) == 0 || memcmp(key, "Pat2", 4) == 0 ||
             memcmp(key, "Pat3", 4) == 0) &&
            patternBlocks.size() < kMostPatternBlocks) {
            PsdBlockPlace place;
            memcpy(place.key, key, 4);
            place.start = start;
            place.length = length;
            patternBlocks.push_back(place);
        }
        if (IsPsdLinkedFileBlock(key) && linkedFileBlocks.size() < kMostLinkedFileBlocks) {
            PsdBlockPlace place;
            memcpy(place.key, key, 4);
            place.start = start;
            place.length = length;
            linkedFileBlocks.push_back(place);
        }
        stream.SetPos(static_cast<int32_t>(std::min(sectionEnd, start + (length + 3) / 4 * 4)));
    }
}

void ImageLoaderPSD::ScanLinkedFiles()
{
    // The records of the linked file blocks: their fields, and where each embedded file's data
    // lies; never the data itself.
    for (const PsdBlockPlace& place : linkedFileBlocks)
        ReadPsdLinkedFiles(stream, place, linkedFiles, linkedFilesDamage);
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

}  // namespace graphic
}  // namespace sdk
