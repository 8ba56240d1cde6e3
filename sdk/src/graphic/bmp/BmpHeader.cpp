#include "graphic/bmp/BmpHeader.h"

#include <algorithm>
#include <limits>

#include "debug/Error.h"
#include "graphic/bmp/BmpBitFields.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

const uint32_t kCoreHeaderSize = 12;
const uint32_t kOs2ShortHeaderSize = 16;
const uint32_t kOs2HeaderSize = 64;
const uint32_t kLongestHeaderSize = 124;  // BITMAPV5HEADER

// biCompression values.
const uint32_t kRgb = 0;
const uint32_t kRle8 = 1;
const uint32_t kRle4 = 2;
const uint32_t kBitFields = 3;  // Huffman 1D in an OS/2 2.x header
const uint32_t kAlphaBitFields = 6;

using stream::LittleEndian16;
using stream::LittleEndian32;

}  // namespace

bool IsBasicBmp(stream::stream_in& stream)
{
    stream.SetPos(0);
    uint8_t header[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
    const uint32_t held =
        static_cast<uint32_t>(std::min<int64_t>(stream::BytesLeft(stream), sizeof header));
    if (!stream::ReadWhole(stream, header, held) || held < kBmpFileHeaderSize + 4)
        return true;
    const uint8_t* const info = header + kBmpFileHeaderSize;
    if (LittleEndian32(info) < kBmpInfoHeaderSize)
        return false;
    const uint16_t bits = LittleEndian16(info + 14);
    return held < sizeof header || (LittleEndian32(info + 16) == kRgb &&
                                    (bits == 8 || bits == 16 || bits == 24 || bits == 32));
}

void ReadBmpHeader(stream::stream_in& stream, BmpHeader& header)
{
    header = BmpHeader();

    // Fields beyond what a shorter header holds stay zero, as OS/2 2.x headers leave them.
    stream.SetPos(0);
    uint8_t bytes[kBmpFileHeaderSize + kLongestHeaderSize] = {};
    stream::ReadExactly(stream, bytes, kBmpFileHeaderSize + 4, "ImageLoaderBMP::LoadInfo:131");
    const uint32_t offBits = LittleEndian32(bytes + 10);
    const uint32_t infoSize = LittleEndian32(bytes + 14);
    const bool core = infoSize == kCoreHeaderSize;
    if (!core && infoSize != kOs2ShortHeaderSize && infoSize < kBmpInfoHeaderSize)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:121");
    const uint32_t held = std::min(infoSize, kLongestHeaderSize);
    stream::ReadExactly(stream, bytes + kBmpFileHeaderSize + 4, held - 4,
                        "ImageLoaderBMP::LoadInfo:132");
    stream::RequireBytes(stream, int64_t{infoSize} - held, "ImageLoaderBMP::LoadInfo:136");
    stream.Seek(static_cast<int32_t>(infoSize - held));

    const uint8_t* const info = bytes + kBmpFileHeaderSize;
    int64_t width, height;
    uint16_t planes, bits;
    uint32_t compression = kRgb, colourCount = 0;
    if (core) {
        width = LittleEndian16(info + 4);
        height = LittleEndian16(info + 6);
        planes = LittleEndian16(info + 8);
        bits = LittleEndian16(info + 10);
    } else {
        width = static_cast<int32_t>(LittleEndian32(info + 4));
        height = static_cast<int32_t>(LittleEndian32(info + 8));
        planes = LittleEndian16(info + 12);
        bits = LittleEndian16(info + 14);
        compression = LittleEndian32(info + 16);
        colourCount = LittleEndian32(info + 32);
    }

    if (planes != 1)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:122");

    // The 64-byte OS/2 2.x header numbers its compressions in its own way from 3 on: Huffman
    // 1D and 24-bit RLE, neither of which is read.
    const bool os2 = infoSize == kOs2HeaderSize;
    int maskCount = 0;
    switch (compression) {
    case kRgb:
        header.coding = BmpHeader::Coding::Rgb;
        break;
    case kRle8:
        header.coding = BmpHeader::Coding::Rle8;
        break;
    case kRle4:
        header.coding = BmpHeader::Coding::Rle4;
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (os2)
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:139");
        header.coding = BmpHeader::Coding::BitFields;
        // The alpha mask is there in BI_ALPHABITFIELDS, and in the header from 56 bytes on.
        maskCount = compression == kAlphaBitFields || infoSize >= kBmpInfoHeaderSize + 16 ? 4 : 3;
        break;
    default:  // JPEG, PNG and whatever else
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:139");
    }

    bool bitsFit = false;
    switch (header.coding) {
    case BmpHeader::Coding::Rgb:
        bitsFit = core ? bits == 1 || bits == 4 || bits == 8 || bits == 24
                       : bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 ||
                             bits == 24 || bits == 32;
        if (!bitsFit)
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:133");
        break;
    case BmpHeader::Coding::Rle8: bitsFit = bits == 8; break;
    case BmpHeader::Coding::Rle4: bitsFit = bits == 4; break;
    case BmpHeader::Coding::BitFields: bitsFit = bits == 16 || bits == 32; break;
    }
    if (!bitsFit)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:140");
    header.bitCount = bits;

    if (height < 0) {
        // The most negative height has no positive counterpart.
        if (height == std::numeric_limits<int32_t>::min())
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:134");
        height = -height;
        header.topDown = true;
    }
    if (width < 1 || height < 1)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:141");
    header.width = static_cast<int32_t>(width);
    header.height = static_cast<int32_t>(height);

    // The masks follow the first 40 bytes, inside a longer header or after a 40-byte one.
    if (maskCount != 0) {
        const uint32_t maskEnd = kBmpInfoHeaderSize + 4 * maskCount;
        if (infoSize < maskEnd)
            stream::ReadExactly(stream, bytes + kBmpFileHeaderSize + infoSize, maskEnd - infoSize,
                                "ImageLoaderBMP::LoadInfo:137");
        for (int i = 0; i < maskCount; ++i)
            header.masks[i] = LittleEndian32(info + kBmpInfoHeaderSize + 4 * i);
    } else if (header.coding == BmpHeader::Coding::Rgb && bits == 16) {
        header.coding = BmpHeader::Coding::BitFields;
        header.masks[0] = 0x7C00;
        header.masks[1] = 0x03E0;
        header.masks[2] = 0x001F;
    } else if (header.coding == BmpHeader::Coding::Rgb && bits == 32) {
        header.coding = BmpHeader::Coding::BitFields;
        header.masks[0] = 0x00FF0000;
        header.masks[1] = 0x0000FF00;
        header.masks[2] = 0x000000FF;
    }
    for (uint32_t mask : header.masks)
        BmpBitField(mask, bits);  // raises for a mask that picks no run of the word's bits

    if (bits <= 8) {
        // Every index of the depth has an entry unless the header counts fewer; entries beyond
        // those an index can reach are read and never used. A core header has no count: its
        // palette fills the room before the pixels, up to an entry for every index.
        const uint32_t entrySize = core ? 3 : 4;
        uint32_t entries = colourCount == 0 ? 1u << bits : colourCount;
        if (entries > 256)
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:135");
        const int64_t room = int64_t{offBits} - stream.GetPos();
        if (core && room >= 0 && room / entrySize < entries)
            entries = std::max<uint32_t>(1, static_cast<uint32_t>(room / entrySize));
        uint8_t table[4 * 256];
        stream::ReadExactly(stream, table, entries * entrySize, "ImageLoaderBMP::LoadInfo:137");
        header.palette.resize(entries);
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* entry = table + entrySize * i;
            header.palette[i] = BmpColour{entry[0], entry[1], entry[2]};
        }
    }

    if (static_cast<int64_t>(offBits) > static_cast<int64_t>(stream.GetSize()))
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:138");
    header.pixelOffset = offBits;
}

}  // namespace graphic
}  // namespace sdk
