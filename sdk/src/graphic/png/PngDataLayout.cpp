#include "graphic/png/PngDataLayout.h"

#include <png.h>
#include <zlib.h>

#include "graphic/ImageLimits.h"

namespace sdk {
namespace graphic {

namespace {

// The size of the image data as libpng reckons it when it fits the window to the image: exact
// below 32768 bytes a row and 32768 rows, else anything large.
uint64_t LibpngDataSize(const PngDataLayout& layout)
{
    if (layout.RowBytes() < 32768 && layout.height < 32768)
        return layout.FilteredBytes();
    return 0xFFFFFFFFu;
}

}  // namespace

bool PngDataLayout::IsValid() const
{
    return channels >= 1 && channels <= 4 && width >= 1 && height >= 1 &&
           static_cast<uint32_t>(width) <= kMaxPngSide &&
           static_cast<uint32_t>(height) <= kMaxPngSide;
}

size_t PngDataLayout::BytesPerPixel() const
{
    return static_cast<size_t>(channels) * (sixteenBits ? 2 : 1);
}

size_t PngDataLayout::RowBytes() const
{
    return static_cast<size_t>(width) * BytesPerPixel();
}

size_t PngDataLayout::FilteredRowBytes() const
{
    return RowBytes() + 1;
}

uint64_t PngDataLayout::FilteredBytes() const
{
    return static_cast<uint64_t>(FilteredRowBytes()) * static_cast<uint64_t>(height);
}

int PngDataLayout::AllowedFilters() const
{
    if (compression == Compression::Fast)
        return PNG_FILTER_NONE;
    int allowed = PNG_ALL_FILTERS;
    if (height == 1)
        allowed &= ~(PNG_FILTER_UP | PNG_FILTER_AVG | PNG_FILTER_PAETH);
    if (width == 1)
        allowed &= ~(PNG_FILTER_SUB | PNG_FILTER_AVG | PNG_FILTER_PAETH);
    return allowed;
}

int PngDataLayout::ZlibLevel() const
{
    switch (compression) {
        case Compression::Best:
            return 9;
        case Compression::Fast:
            return 1;
        case Compression::Standard:
            break;
    }
    return Z_DEFAULT_COMPRESSION;
}

int PngDataLayout::ZlibStrategy() const
{
    return AllowedFilters() == PNG_FILTER_NONE ? Z_DEFAULT_STRATEGY : Z_FILTERED;
}

// libpng halves the window while the data and deflate's lookahead of 262 bytes still fit in
// half of it; the smallest window it reaches is 9 bits, as the data is at least 2 bytes.
int PngDataLayout::ZlibWindowBits() const
{
    int bits = 15;
    const uint64_t size = LibpngDataSize(*this);
    if (size <= 16384) {
        uint64_t half = 1u << (bits - 1);
        while (size + 262 <= half) {
            half >>= 1;
            --bits;
        }
    }
    return bits;
}

void PngDataLayout::ZlibHeader(uint8_t header[2]) const
{
    // zlib's own header: method 8 and the window, the level class, and a check that makes the
    // pair a multiple of 31.
    const int level = ZlibLevel() == Z_DEFAULT_COMPRESSION ? 6 : ZlibLevel();
    const unsigned levelClass = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned cmf = static_cast<unsigned>((ZlibWindowBits() - 8) << 4) | 8;
    unsigned flg = levelClass << 6;
    flg += 31 - ((cmf << 8) + flg) % 31;

    // libpng then declares the smallest window that holds the whole data, since an inflater
    // needs no more (deflate needed the lookahead on top).
    const uint64_t size = LibpngDataSize(*this);
    if (size <= 16384) {
        unsigned info = cmf >> 4;
        uint64_t half = 1u << (info + 7);
        if (size <= half) {
            do {
                half >>= 1;
                --info;
            } while (info > 0 && size <= half);
            cmf = (info << 4) | 8;
            flg &= 0xE0;
            flg += 31 - ((cmf << 8) + flg) % 31;
        }
    }
    header[0] = static_cast<uint8_t>(cmf);
    header[1] = static_cast<uint8_t>(flg);
}

bool operator==(const PngDataLayout& left, const PngDataLayout& right)
{
    return left.channels == right.channels && left.width == right.width &&
           left.height == right.height && left.sixteenBits == right.sixteenBits &&
           left.compression == right.compression;
}

bool operator!=(const PngDataLayout& left, const PngDataLayout& right)
{
    return !(left == right);
}

}  // namespace graphic
}  // namespace sdk
