#include "graphic/png/ImageLoaderPNG.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/png/LibpngBridge.h"
#include "graphic/Signature.h"
#include "graphic/png/PngSignatures.h"
#include "graphic/png/TextKey.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

const char* const kLibpngFailed = "ImageLoaderPNG::s_LoadPNG:180";    // damaged datastream
const char* const kStreamEnded = "ImageLoaderPNG::s_LoadPNG:181";     // file cut short
const char* const kImpossibleSize = "ImageLoaderPNG::s_LoadPNG:182";  // size beyond the data
const char* const kRowMismatch = "ImageLoaderPNG::s_LoadPNG:183";     // libpng's rows != ours

// True when width x height pixels of bitsPerPixel bits (before filtering and interlacing,
// which only add bytes) could be inflated from bytesLeft bytes.
bool CouldHold(uint64_t width, uint64_t height, uint64_t bitsPerPixel, uint64_t bytesLeft)
{
    const uint64_t rowBytes = (width * bitsPerPixel + 7) / 8;  // below 2^37 by the side limit
    const uint64_t limit = kMaxPngInflation * bytesLeft + kPngInflationSlack;
    return height == 0 || rowBytes <= limit / height;
}

// Bytes per pixel of the decoded image (after expand, strip_16, bgr, swap_alpha); 0 for a
// colour type outside the PNG standard.
int32_t ChannelsFor(int colourType, bool hasTransparency)
{
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY:
            return hasTransparency ? 2 : 1;
        case PNG_COLOR_TYPE_RGB:
        case PNG_COLOR_TYPE_PALETTE:
            return hasTransparency ? 4 : 3;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

ImageLoaderPNG::ImageLoaderPNG(stream::stream_in& stream) : stream(stream) {}

ImageLoaderPNG::~ImageLoaderPNG() = default;

const char* ImageLoaderPNG::FormatName() const
{
    return "PNG";
}

void ImageLoaderPNG::Load(Image& image, ImageInfo& info)
{
    if (!IsPNGSignature(stream))
        throw debug::runtime_error("ImageLoaderPNG::Load:53");
    s_LoadPNG(stream, image, info);
}

void ImageLoaderPNG::s_LoadPNG(stream::stream_in& stream, Image& image, ImageInfo& info)
{
    libpng::ErrorState state(kLibpngFailed);
    libpng::ReadStruct read(state);
    png_structp png = read.png;
    png_infop pngInfo = read.info;

    if (!libpng::RunGuarded(png, [&] {
            png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
            png_set_chunk_cache_max(png, kMaxPngChunkCache);
            png_set_chunk_malloc_max(png, static_cast<png_alloc_size_t>(kMaxPngChunkBytes));
            png_set_sig_bytes(png, 8);
            png_set_read_fn(png, &stream, libpng::ReadFromStream);
            png_set_bgr(png);
            png_set_swap_alpha(png);
            png_set_strip_16(png);
            png_set_expand(png);
            png_read_info(png, pngInfo);
        }))
        libpng::Raise(state, kStreamEnded);

    png_int_32 offsetX = 0, offsetY = 0;
    int unit = 0;
    if (png_get_oFFs(png, pngInfo, &offsetX, &offsetY, &unit) != 0 && unit == PNG_OFFSET_PIXEL) {
        info.x = offsetX;
        info.y = offsetY;
    }

    png_textp texts = nullptr;
    const int textCount = png_get_text(png, pngInfo, &texts, nullptr);
    for (int i = 0; i < textCount; ++i) {
        const png_text& text = texts[i];
        if (text.key == nullptr)
            continue;
        const size_t keyLength = strlen(text.key);
        const char* value = text.text != nullptr ? text.text : "";
        if (IsTextKey(text.key, keyLength, "Title"))
            info.title = value;
        else if (IsTextKey(text.key, keyLength, "Comment"))
            info.comment = value;
        else if (IsTextKey(text.key, keyLength, "Mode"))
            info.mode = value;
    }

    // png_get_IHDR checks the header again and may signal an error through the jump.
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    bool haveHeader = false;
    if (!libpng::RunGuarded(png, [&] {
            haveHeader = png_get_IHDR(png, pngInfo, &width, &height, &bitDepth, &colourType,
                                      nullptr, nullptr, nullptr) != 0;
        }))
        libpng::Raise(state, kStreamEnded);
    if (!haveHeader)
        throw debug::runtime_error("ImageLoaderPNG::s_LoadPNG:167");

    const int32_t channels =
        ChannelsFor(colourType, png_get_valid(png, pngInfo, PNG_INFO_tRNS) != 0);
    if (channels == 0)
        throw debug::runtime_error("ImageLoaderPNG::s_LoadPNG:170");

    // Refused before anything is allocated: the header alone can ask for gigabytes.
    const uint64_t fileBitsPerPixel =
        static_cast<uint64_t>(png_get_channels(png, pngInfo)) * static_cast<uint64_t>(bitDepth);
    if (!CouldHold(width, height, fileBitsPerPixel,
                   static_cast<uint64_t>(stream::BytesLeft(stream))))
        throw debug::runtime_error(kImpossibleSize);

    if (!libpng::RunGuarded(png, [&] {
            png_set_interlace_handling(png);
            png_read_update_info(png, pngInfo);
        }))
        libpng::Raise(state, kStreamEnded);
    // The rows libpng is about to deliver must be exactly the rows of the image.
    if (static_cast<uint64_t>(png_get_rowbytes(png, pngInfo)) !=
            static_cast<uint64_t>(channels) * width ||
        png_get_channels(png, pngInfo) != channels)
        throw debug::logic_error(kRowMismatch);

    // Both sides are within kMaxPngSide, so they fit the signed fields.
    info.width = static_cast<int32_t>(width);
    info.height = static_cast<int32_t>(height);
    image.Create(channels, info.width, info.height);

    std::vector<png_bytep> rows(height);
    uint8_t* const data = image.Data();
    const size_t stride = static_cast<size_t>(image.Stride());
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row] = data + row * stride;
    png_bytepp rowAddresses = rows.data();

    if (!libpng::RunGuarded(png, [&] {
            png_read_image(png, rowAddresses);
            png_read_end(png, nullptr);
        }))
        libpng::Raise(state, kStreamEnded);
}

bool IsPNGSignature(stream::stream_in& stream)
{
    return StartsWith(stream, kPngSignature, kSignatureLength);
}

}  // namespace graphic
}  // namespace sdk
