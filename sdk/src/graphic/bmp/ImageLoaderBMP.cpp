#include "graphic/bmp/ImageLoaderBMP.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "graphic/bmp/BmpBitFields.h"
#include "graphic/bmp/BmpRle.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

using stream::LittleEndian16;
using stream::LittleEndian32;

// Bytes that bring a row of rowBytes bytes to a multiple of 4.
int32_t RowPadding(int64_t rowBytes)
{
    return static_cast<int32_t>(3 - ((rowBytes - 1) & 3));
}

// A 5-bit component widened to 8 bits by repeating its top bits, so that 31 becomes 255.
uint8_t Widen5(unsigned value)
{
    return static_cast<uint8_t>((value << 3) | (value >> 2));
}

// A run-length coded file is refused before anything is allocated when its picture holds more
// pixels than its data could describe without moves: a run of 255 pixels takes 2 bytes. The
// slack lets every small picture through, however its data is made.
const int64_t kRlePixelsPerByte = 128;
const int64_t kRleSlackPixels = int64_t{1} << 20;

// Index x of a row of bits-bit indices (1, 2, 4 or 8), the leftmost in the high bits of a byte.
uint8_t PackedIndex(const uint8_t* row, int32_t x, uint16_t bits)
{
    const int64_t bit = int64_t{x} * bits;
    return static_cast<uint8_t>((row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1));
}

}  // namespace

ImageLoaderBMP::ImageLoaderBMP(sdk::stream::stream_in& stream, bool extended)
    : stream(stream), extended(extended)
{
}

ImageLoaderBMP::~ImageLoaderBMP() = default;

const char* ImageLoaderBMP::FormatName() const
{
    return "BMP";
}

void ImageLoaderBMP::LoadInfo(ImageInfo& info)
{
    // The files that the basic reading takes are read by it in either reading.
    basic = !extended || IsBasicBmp(stream);
    if (basic) {
        LoadBasicInfo(info);
        return;
    }
    ReadBmpHeader(stream, header);
    info = ImageInfo();
    info.width = header.width;
    info.height = header.height;
    stream.SetPos(static_cast<int32_t>(header.pixelOffset));
}

void ImageLoaderBMP::LoadBasicInfo(ImageInfo& info)
{
    topDown = false;
    palette.clear();
    bitCount = 0;
    info = ImageInfo();

    // The headers are read from the start of the file whatever the caller left the stream at.
    // File streams read short and silently at the end of a file, so each block is checked to
    // be there before it is read: no field is ever taken from bytes the file does not hold.
    stream.SetPos(0);
    uint8_t header[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
    stream::ReadExactly(stream, header, kBmpFileHeaderSize + 4, "ImageLoaderBMP::LoadInfo:131");
    const uint32_t offBits = LittleEndian32(header + 10);
    const uint32_t infoSize = LittleEndian32(header + 14);
    // A header too short to be an information header (the 12-byte core header, say) is named
    // as such even when the file is too short for 40 bytes as well.
    if (infoSize < kBmpInfoHeaderSize)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:121");
    stream::ReadExactly(stream, header + kBmpFileHeaderSize + 4, kBmpInfoHeaderSize - 4,
                        "ImageLoaderBMP::LoadInfo:132");

    const uint8_t* const infoHeader = header + kBmpFileHeaderSize;
    const int32_t width = static_cast<int32_t>(LittleEndian32(infoHeader + 4));
    const int32_t height = static_cast<int32_t>(LittleEndian32(infoHeader + 8));
    const uint16_t planes = LittleEndian16(infoHeader + 12);
    const uint16_t bits = LittleEndian16(infoHeader + 14);
    const uint32_t compression = LittleEndian32(infoHeader + 16);
    const uint32_t colourCount = LittleEndian32(infoHeader + 32);

    if (planes != 1)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:122");
    if (compression != 0)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:123");
    if (bits < 8)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:124");
    // 16 bits with BI_RGB are decoded as 5-5-5 and 32 bits as B, G, R, unused; any other count
    // (12, 48, ...) has no layout that a BI_RGB file could mean.
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:133");
    bitCount = bits;

    info.width = width;
    info.height = height;
    if (height < 0) {
        // The most negative height has no positive counterpart.
        if (height == std::numeric_limits<int32_t>::min())
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:134");
        info.height = -height;
        topDown = true;
    }

    // Only the 8-bit path has a palette; one that a deeper file carries is ignored. An 8-bit
    // index cannot reach beyond entry 255, so a count above 256 is a broken header.
    uint32_t entries = 0;
    if (bits == 8) {
        entries = colourCount == 0 ? 256 : colourCount;
        if (entries > 256)
            throw debug::runtime_error("ImageLoaderBMP::LoadInfo:135");
    }

    // The rest of a longer information header, the palette and the start of the pixel data
    // must all lie inside the file.
    const int64_t extra = static_cast<int64_t>(infoSize) - kBmpInfoHeaderSize;
    stream::RequireBytes(stream, extra, "ImageLoaderBMP::LoadInfo:136");
    stream.Seek(static_cast<int32_t>(extra));

    if (entries != 0) {
        const int64_t paletteBytes = int64_t{4} * entries;
        uint8_t quads[4 * 256];
        stream::ReadExactly(stream, quads, static_cast<uint32_t>(paletteBytes),
                            "ImageLoaderBMP::LoadInfo:137");
        palette.resize(entries);
        for (uint32_t i = 0; i < entries; ++i)
            palette[i] = Colour{quads[4 * i], quads[4 * i + 1], quads[4 * i + 2]};
    }

    if (static_cast<int64_t>(offBits) > static_cast<int64_t>(stream.GetSize()))
        throw debug::runtime_error("ImageLoaderBMP::LoadInfo:138");
    stream.SetPos(static_cast<int32_t>(offBits));
}

void ImageLoaderBMP::Load(Image& image, ImageInfo& info)
{
    LoadInfo(info);
    if (basic)
        LoadBasic(image, info);
    else
        LoadExtended(image);
}

void ImageLoaderBMP::LoadBasic(Image& image, const ImageInfo& info)
{
    const int32_t width = info.width;
    const int32_t height = info.height;
    const int64_t bytesPerPixel = bitCount / 8;

    // The file must hold width x height pixels of its own depth before anything is allocated,
    // so that a small file cannot ask for a huge raster. Row padding is not counted: a file
    // that lacks only some padding loads, and the bytes its end cuts off keep the values the
    // buffers held (zero, or the previous row's in the converted paths). A zero or negative
    // size is left to Image::Create to refuse.
    if (width > 0 && height > 0) {
        const int64_t rowBytes = bytesPerPixel * width;
        if (height > stream::BytesLeft(stream) / rowBytes)
            throw debug::runtime_error("ImageLoaderBMP::Load:151");
    }
    image.Create(3, width, height);

    const int64_t rowBytes = bytesPerPixel * width;
    const int32_t padding = RowPadding(rowBytes);
    uint8_t* const pixels = image.Data();
    const int64_t stride = image.Stride();

    // Indices at or beyond the palette's entry count show black.
    Colour lookup[256] = {};
    for (size_t i = 0; i < palette.size(); ++i)
        lookup[i] = palette[i];

    // Rows other than 24-bit ones pass through this buffer; it keeps its bytes between rows.
    std::vector<uint8_t> row(bitCount == 24 ? 0 : static_cast<size_t>(rowBytes), 0);

    for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const int32_t y = topDown ? fileRow : height - 1 - fileRow;
        uint8_t* out = pixels + stride * y;
        if (bitCount == 24) {
            stream.Read(out, static_cast<uint32_t>(rowBytes));
        } else {
            stream.Read(row.data(), static_cast<uint32_t>(rowBytes));
            const uint8_t* in = row.data();
            for (int32_t x = 0; x < width; ++x, out += 3) {
                switch (bitCount) {
                case 8: {
                    const Colour& colour = lookup[in[x]];
                    out[0] = colour.blue;
                    out[1] = colour.green;
                    out[2] = colour.red;
                    break;
                }
                case 16: {
                    // x RRRRR GGGGG BBBBB, little-endian.
                    const unsigned word = LittleEndian16(in + 2 * x);
                    out[0] = Widen5(word & 31);
                    out[1] = Widen5((word >> 5) & 31);
                    out[2] = Widen5((word >> 10) & 31);
                    break;
                }
                default:  // 32: B, G, R, unused
                    std::memcpy(out, in + 4 * x, 3);
                    break;
                }
            }
        }
        // Nothing is read after the last row, so its padding need not be in the file.
        if (fileRow + 1 < height)
            stream.Seek(padding);
    }
}

void ImageLoaderBMP::LoadExtended(Image& image)
{
    const int32_t width = header.width;
    const int32_t height = header.height;
    const uint16_t bits = header.bitCount;
    const bool rle =
        header.coding == BmpHeader::Coding::Rle8 || header.coding == BmpHeader::Coding::Rle4;
    const bool fields = header.coding == BmpHeader::Coding::BitFields;
    const bool alpha = fields && header.masks[3] != 0;

    // The file must hold what its size asks for before anything is allocated: every byte of
    // every row but the last one's padding, or coded data that could describe the picture.
    const int64_t left = stream::BytesLeft(stream);
    const int64_t rowBytes = (int64_t{width} * bits + 7) / 8;
    const int64_t fileStride = (rowBytes + 3) & ~int64_t{3};
    if (rle) {
        if (int64_t{width} * height > kRlePixelsPerByte * left + kRleSlackPixels)
            throw debug::runtime_error("ImageLoaderBMP::Load:152");
    } else if (rowBytes > left || height - 1 > (left - rowBytes) / fileStride) {
        throw debug::runtime_error("ImageLoaderBMP::Load:151");
    }
    image.Create(alpha ? 4 : 3, width, height);

    // Indices at or beyond the palette's entry count show black.
    Colour lookup[256] = {};
    std::copy(header.palette.begin(), header.palette.end(), lookup);
    const auto imageRow = [&](int32_t fileRow) {
        const int32_t y = header.topDown ? fileRow : height - 1 - fileRow;
        return image.Data() + int64_t{image.Stride()} * y;
    };

    if (rle) {
        std::vector<uint8_t> indices(static_cast<size_t>(width) * height, 0);
        DecodeBmpRle(stream, bits, width, height, indices.data());
        for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
            const uint8_t* in = indices.data() + static_cast<size_t>(width) * fileRow;
            uint8_t* out = imageRow(fileRow);
            for (int32_t x = 0; x < width; ++x, out += 3) {
                const Colour& colour = lookup[in[x]];
                out[0] = colour.blue;
                out[1] = colour.green;
                out[2] = colour.red;
            }
        }
        return;
    }

    BmpBitField field[4];
    if (fields) {
        for (int i = 0; i < 4; ++i)
            field[i] = BmpBitField(header.masks[i], bits);
    }
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
        stream::ReadExactly(stream, row.data(), static_cast<uint32_t>(rowBytes),
                            "ImageLoaderBMP::Load:151");
        if (fileRow + 1 < height)
            stream.Seek(static_cast<int32_t>(fileStride - rowBytes));
        const uint8_t* in = row.data();
        uint8_t* out = imageRow(fileRow);
        if (fields) {
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t word = bits == 16 ? LittleEndian16(in + 2 * x)
                                                 : LittleEndian32(in + 4 * x);
                if (alpha)
                    *out++ = field[3].Extract(word);
                *out++ = field[2].Extract(word);
                *out++ = field[1].Extract(word);
                *out++ = field[0].Extract(word);
            }
        } else if (bits == 24) {
            std::memcpy(out, in, static_cast<size_t>(rowBytes));
        } else {
            for (int32_t x = 0; x < width; ++x, out += 3) {
                const Colour& colour = lookup[PackedIndex(in, x, bits)];
                out[0] = colour.blue;
                out[1] = colour.green;
                out[2] = colour.red;
            }
        }
    }

    if (alpha) {
        uint8_t* const pixels = image.Data();
        const int64_t size = image.Size();
        bool seen = false;
        for (int64_t i = 0; i < size && !seen; i += 4)
            seen = pixels[i] != 0;
        if (!seen) {
            for (int64_t i = 0; i < size; i += 4)
                pixels[i] = 255;
        }
    }
}

}  // namespace graphic
}  // namespace sdk
