#include "graphic/png/ImageSaverPNG.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "graphic/png/LibpngBridge.h"
#include "graphic/png/PngFilterChoice.h"
#include "graphic/png/PngSignatures.h"
#include "stream/ByteOrder.h"
#include "stream/StreamBuffer.h"

namespace sdk {
namespace graphic {

namespace {

const char* const kSaveFailed = "ImageSaverPNG::Save:240";         // libpng refused the image
const char* const kChunkFailed = "ImageSaverPNG::WriteChunk:160";  // libpng refused a chunk
const char* const kBandOutOfOrder = "ImageSaverPNG::WriteBand:370";
const char* const kNoImage = "ImageSaverPNG::DataLayout:380";

// The data of libpng's IDAT chunks: the size of its compression buffer.
const size_t kIdatBytes = 8192;

using stream::WriteBigEndian16;
using stream::WriteBigEndian32;
using stream::WriteByte;

#if !defined(_WIN32)
// True when text is well-formed UTF-8 with at least one byte above 0x7F.
bool IsNonAsciiUtf8(const std::string& text)
{
    bool non_ascii = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                              : lead >= 0xE0 && lead <= 0xEF             ? 3
                              : lead >= 0xF0 && lead <= 0xF4             ? 4
                                                                         : 0;
        if (length == 0 || length > text.size() - i)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        non_ascii = non_ascii || length > 1;
        i += length;
    }
    return non_ascii;
}
#endif

// The chunk a text goes into, as libpng's compression value of png_text. tEXt holds Latin-1,
// which plain ASCII is as well; such a text stays in tEXt. Elsewhere than on Windows our texts
// are UTF-8, and one with any byte above 0x7F goes into an uncompressed iTXt, the chunk for
// UTF-8 (bytes that are not UTF-8, such as a document's odd blend-mode key, stay in tEXt). On
// Windows texts are code page bytes, which no chunk can declare; they stay in tEXt.
int TextChunkFor(const std::string& text)
{
#if !defined(_WIN32)
    if (IsNonAsciiUtf8(text))
        return PNG_ITXT_COMPRESSION_NONE;
#else
    static_cast<void>(text);
#endif
    return PNG_TEXT_COMPRESSION_NONE;
}

}  // namespace

// The libpng structures of one image, and what the row filters are chosen with. With all
// filters allowed, libpng's search for each row's filter is the costliest part of writing: rows
// after the first get the filter that search would pick, chosen here from the row and the one
// before it, so libpng filters each row once; the file's bytes are the same.
struct ImageSaverPNG::Encoding {
    Encoding() : state(kSaveFailed), write(state) {}
    libpng::ErrorState state;
    libpng::WriteStruct write;
    int allowed = 0;  // the filters a row may get; 0: libpng's own choice (speed first)
    size_t rowBytes = 0;
    size_t bytesPerPixel = 0;
    png_uint_32 height = 0;
    png_uint_32 written = 0;
    std::vector<uint8_t> previous;  // the row written last, as given
    PngDataLayout layout;
    // A banded image: the bands' Adler-32 so far and the IDAT chunk being filled.
    bool banded = false;
    uint32_t adler = 1;
    std::vector<uint8_t> idat;
};

ImageSaverPNG::ImageSaverPNG(stream::stream_out& output) : output(output) {}

// MEND goes out even while an error propagates, so that an abandoned MNG still ends properly.
// Not after a failed write to the stream, though: a partial chunk may then be on it, and MEND
// would land inside it as garbage (and the stream is most likely unusable anyway). A failure of
// MEND itself is dropped: the file stream has already logged it with the path, and a destructor
// must not throw.
ImageSaverPNG::~ImageSaverPNG()
{
    if (!isMng || mngEnded || outputFailed)
        return;
    try {
        WriteChunk("MEND", {});
    } catch (...) {
    }
}

void ImageSaverPNG::EndMNG()
{
    if (!isMng || mngEnded)
        return;
    mngEnded = true;
    WriteChunk("MEND", {});
}

void ImageSaverPNG::WriteSignature(const char* signature)
{
    try {
        output.Write(signature, kSignatureLength);
    } catch (...) {
        outputFailed = true;
        throw;
    }
}

void ImageSaverPNG::WriteChunk(const char* type, const std::vector<uint8_t>& body)
{
    libpng::ErrorState state(kChunkFailed);
    libpng::WriteStruct write(state);
    png_structp png = write.png;
    const png_const_bytep name = reinterpret_cast<png_const_bytep>(type);
    const png_const_bytep data = body.data();
    const size_t length = body.size();
    if (!libpng::RunGuarded(png, [&] {
            png_set_sig_bytes(png, 8);
            png_set_write_fn(png, &output, libpng::WriteToStream, libpng::FlushNothing);
            png_write_chunk(png, name, data, length);
        })) {
        outputFailed = outputFailed || static_cast<bool>(state.streamError);
        libpng::Raise(state, kChunkFailed);
    }
}

void ImageSaverPNG::WriteFrameChunks(const ImageInfo& info, int32_t& x, int32_t& y)
{
    const int32_t delay = info.delay < 0 ? 0 : info.delay;
    if (delay != 0 || !info.title.empty()) {
        stream::buffer_io fram;
        WriteByte(fram, 2);  // framing mode
        if (!info.title.empty())
            fram.Write(info.title.data(), static_cast<uint32_t>(info.title.size()));
        WriteByte(fram, 0);                   // end of the subframe name
        WriteByte(fram, delay != 0 ? 1 : 0);  // change interframe delay
        WriteByte(fram, 0);                   // change timeout and termination
        WriteByte(fram, 0);                   // change layer clipping boundaries
        WriteByte(fram, 0);                   // change sync id list
        if (delay != 0)
            WriteBigEndian32(fram, static_cast<uint32_t>(delay));
        WriteChunk("FRAM", fram.Bytes());
    }
    if (info.x != 0 || info.y != 0) {
        stream::buffer_io defi;
        WriteBigEndian16(defi, 0);  // object id
        WriteByte(defi, 0);         // shown
        WriteByte(defi, 0);         // not concrete
        WriteBigEndian32(defi, static_cast<uint32_t>(info.x));
        WriteBigEndian32(defi, static_cast<uint32_t>(info.y));
        WriteChunk("DEFI", defi.Bytes());
        x = 0;
        y = 0;
    }
}

void ImageSaverPNG::InitMNG(uint32_t width, uint32_t height, uint32_t ticksPerSecond,
                            bool noFrameChunks)
{
    if (isMng)
        throw debug::logic_error("ImageSaverPNG::InitMNG:92");
    isMng = true;
    this->noFrameChunks = noFrameChunks;
    WriteSignature(kMngSignature);

    stream::buffer_io mhdr;
    WriteBigEndian32(mhdr, width);
    WriteBigEndian32(mhdr, height);
    WriteBigEndian32(mhdr, ticksPerSecond);
    WriteBigEndian32(mhdr, 0);  // nominal layer count
    WriteBigEndian32(mhdr, 0);  // nominal frame count
    WriteBigEndian32(mhdr, 0);  // nominal play time
    // Simplicity profile: valid (bit 0), transparency (bit 3), and simple MNG features (bit 1)
    // when FRAM and DEFI may occur.
    WriteBigEndian32(mhdr, noFrameChunks ? 9 : 11);
    WriteChunk("MHDR", mhdr.Bytes());
}

void ImageSaverPNG::SetLoop()
{
    if (!isMng)
        throw debug::logic_error("ImageSaverPNG::SetLoop:126");
    stream::buffer_io term;
    WriteByte(term, 3);                   // repeat the sequence
    WriteByte(term, 0);                   // then show the last frame
    WriteBigEndian32(term, 0);            // delay
    WriteBigEndian32(term, 0x7FFFFFFFu);  // iteration maximum: infinite
    WriteChunk("TERM", term.Bytes());
}

void ImageSaverPNG::InitMNGFrames(bool noFrameChunks)
{
    if (isMng)
        throw debug::logic_error("ImageSaverPNG::InitMNG:92");
    isMng = true;
    mngEnded = true;  // the end is the other writer's
    this->noFrameChunks = noFrameChunks;
}

void ImageSaverPNG::Save(const Image& image, const ImageInfo& info)
{
    const int32_t channels = image.Channels();
    Begin(channels, image.Width(), image.Height(), info);
    const uint8_t* row = image.Data();
    for (int32_t y = 0; y < image.Height(); ++y, row += image.Stride())
        WriteRow(row);
    End();
}

void ImageSaverPNG::Begin(int32_t channels, int32_t width, int32_t height, const ImageInfo& info)
{
    BeginImage(channels, width, height, info, false);
}

void ImageSaverPNG::BeginBands(int32_t channels, int32_t width, int32_t height,
                               const ImageInfo& info)
{
    BeginImage(channels, width, height, info, true);
}

void ImageSaverPNG::BeginImage(int32_t channels, int32_t width, int32_t height,
                               const ImageInfo& info, bool banded)
{
    if (encoding)
        throw debug::logic_error("ImageSaverPNG::Begin:250");
    if (!isMng)
        WriteSignature(kPngSignature);
    int32_t x = info.x;
    int32_t y = info.y;
    if (isMng && !noFrameChunks)
        WriteFrameChunks(info, x, y);

    encoding.reset(new Encoding());
    png_structp png = encoding->write.png;
    png_infop pngInfo = encoding->write.info;
    const bool best = bestCompression;
    const bool fast = fastCompression && !bestCompression;
    if (!libpng::RunGuarded(png, [&] {
            // The writer never produces a file that the reader would refuse.
            png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
            png_set_sig_bytes(png, 8);  // the signature, if any, is already written
            png_set_write_fn(png, &output, libpng::WriteToStream, libpng::FlushNothing);
            png_set_bgr(png);
            png_set_swap_alpha(png);
            if (best) {
                png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
                png_set_compression_level(png, 9);
            } else if (fast) {
                // The mask PNG_FILTER_NONE, not the filter value 0: libpng 1.6 stores a
                // filter value unconverted, and 0 then means "not chosen", i.e. all filters.
                png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
                png_set_compression_level(png, 1);
            }
        }))
        Abandon();

    const int colourType = libpng::ColourTypeFor(channels);
    if (colourType < 0) {
        encoding.reset();
        throw debug::runtime_error("ImageSaverPNG::Save:222");
    }
    // A size libpng refuses fails in png_set_IHDR below; these only keep the numbers whole.
    const png_uint_32 pngWidth = static_cast<png_uint_32>(width < 0 ? 0 : width);
    const png_uint_32 pngHeight = static_cast<png_uint_32>(height < 0 ? 0 : height);
    Encoding& e = *encoding;
    e.bytesPerPixel = static_cast<size_t>(channels) * (sixteenBits ? 2 : 1);
    e.rowBytes = static_cast<size_t>(pngWidth) * e.bytesPerPixel;
    e.height = pngHeight;
    e.banded = banded;
    e.layout.channels = channels;
    e.layout.width = width;
    e.layout.height = height;
    e.layout.sixteenBits = sixteenBits;
    e.layout.compression = best   ? PngDataLayout::Compression::Best
                           : fast ? PngDataLayout::Compression::Fast
                                  : PngDataLayout::Compression::Standard;
    if (!fast) {
        e.allowed = PNG_ALL_FILTERS;
        if (pngHeight == 1)
            e.allowed &= ~(PNG_FILTER_UP | PNG_FILTER_AVG | PNG_FILTER_PAETH);
        if (pngWidth == 1)
            e.allowed &= ~(PNG_FILTER_SUB | PNG_FILTER_AVG | PNG_FILTER_PAETH);
    }

    // libpng copies keys and texts; the strings only have to live until png_set_text. An iTXt
    // gets an empty language tag and translated keyword (null here).
    char titleKey[] = "Title";
    char commentKey[] = "Comment";
    png_text texts[2] = {};
    int textCount = 0;
    if (!info.title.empty()) {
        texts[textCount].compression = TextChunkFor(info.title);
        texts[textCount].key = titleKey;
        texts[textCount].text = const_cast<char*>(info.title.c_str());
        ++textCount;
    }
    if (!info.comment.empty()) {
        texts[textCount].compression = TextChunkFor(info.comment);
        texts[textCount].key = commentKey;
        texts[textCount].text = const_cast<char*>(info.comment.c_str());
        ++textCount;
    }
    if (!libpng::RunGuarded(png, [&] {
            png_set_IHDR(png, pngInfo, pngWidth, pngHeight, sixteenBits ? 16 : 8, colourType,
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
            if (x != 0 || y != 0)
                png_set_oFFs(png, pngInfo, x, y, PNG_OFFSET_PIXEL);
            if (textCount != 0)
                png_set_text(png, pngInfo, texts, textCount);
            if (colorTag.kind == PngColorTag::Kind::Srgb) {
                png_set_sRGB_gAMA_and_cHRM(png, pngInfo, PNG_sRGB_INTENT_PERCEPTUAL);
            } else if (colorTag.kind == PngColorTag::Kind::Icc && !colorTag.profile.empty()) {
                // A profile libpng finds fault with is left out with a warning rather than
                // failing the image: the pixels are right either way.
                png_set_benign_errors(png, 1);
                png_set_iCCP(png, pngInfo, colorTag.name.c_str(), PNG_COMPRESSION_TYPE_BASE,
                             colorTag.profile.data(),
                             static_cast<png_uint_32>(colorTag.profile.size()));
            }
            png_write_info(png, pngInfo);
            // Samples of 16 bits come in the machine's byte order; PNG keeps them big-endian.
            const uint16_t probe = 1;
            if (sixteenBits && *reinterpret_cast<const uint8_t*>(&probe) == 1)
                png_set_swap(png);
        }))
        Abandon();
    if (e.allowed != 0 && !banded)
        e.previous.resize(e.rowBytes);
}

void ImageSaverPNG::WriteRow(const uint8_t* row)
{
    if (!encoding || encoding->banded || encoding->written >= encoding->height)
        throw debug::logic_error("ImageSaverPNG::WriteRow:335");
    Encoding& e = *encoding;
    png_structp png = e.write.png;
    // The first row starts libpng's filter buffers with every filter allowed.
    int filter = 0;
    if (e.allowed != 0 && e.written > 0)
        filter = ChooseRowFilter(row, e.previous.data(), e.rowBytes, e.bytesPerPixel, e.allowed);
    if (!libpng::RunGuarded(png, [&] {
            if (filter != 0)
                png_set_filter(png, PNG_FILTER_TYPE_BASE, filter);
            png_write_row(png, row);
        }))
        Abandon();
    if (e.allowed != 0 && e.written + 1 < e.height)
        std::memcpy(e.previous.data(), row, e.rowBytes);
    ++e.written;
}

void ImageSaverPNG::End()
{
    if (!encoding || encoding->written != encoding->height)
        throw debug::logic_error("ImageSaverPNG::End:355");
    if (encoding->banded) {
        // libpng wrote no image data itself and would refuse to end the image: IEND goes out
        // as a chunk of its own (the image data is complete since the last band).
        WriteImageChunk("IEND", nullptr, 0);
    } else {
        png_structp png = encoding->write.png;
        if (!libpng::RunGuarded(png, [&] { png_write_end(png, nullptr); }))
            Abandon();
    }
    encoding.reset();
}

void ImageSaverPNG::WriteBand(const PngBand& band)
{
    if (!encoding || !encoding->banded)
        throw debug::logic_error(kBandOutOfOrder);
    Encoding& e = *encoding;
    const PngDataLayout& layout = e.layout;
    if (band.layout != layout || band.firstRow != static_cast<int64_t>(e.written) ||
        band.rows < 1 || band.rows > layout.height - band.firstRow ||
        band.endsStream != (band.firstRow + band.rows == layout.height) ||
        band.filteredBytes != static_cast<uint64_t>(band.rows) * layout.FilteredRowBytes())
        throw debug::logic_error(kBandOutOfOrder);

    if (e.written == 0) {
        uint8_t header[2];
        layout.ZlibHeader(header);
        PutImageData(header, sizeof header);
    }
    PutImageData(band.deflated.data(), band.deflated.size());
    // The Adler-32 of two runs of bytes joined depends on the second run's length modulo 65521
    // only (the checksum's sums are taken modulo 65521), so the length goes in reduced: it then
    // fits z_off_t (32 bits on Windows) whatever the size of the band.
    e.adler = static_cast<uint32_t>(
        adler32_combine(e.adler, band.adler, static_cast<z_off_t>(band.filteredBytes % 65521)));
    e.written += static_cast<png_uint_32>(band.rows);
    if (band.endsStream) {
        const uint8_t trailer[4] = {static_cast<uint8_t>(e.adler >> 24),
                                    static_cast<uint8_t>(e.adler >> 16),
                                    static_cast<uint8_t>(e.adler >> 8),
                                    static_cast<uint8_t>(e.adler)};
        PutImageData(trailer, sizeof trailer);
        FlushImageData();
    }
}

PngDataLayout ImageSaverPNG::DataLayout() const
{
    if (!encoding)
        throw debug::logic_error(kNoImage);
    return encoding->layout;
}

// Full chunks go out as they fill, the last one (1 to 8192 bytes) when the data ends: libpng's
// own chunking, so that a single band gives libpng's file.
void ImageSaverPNG::PutImageData(const uint8_t* bytes, size_t count)
{
    std::vector<uint8_t>& idat = encoding->idat;
    while (count > 0) {
        if (idat.empty() && count >= kIdatBytes) {
            WriteImageChunk("IDAT", bytes, kIdatBytes);
            bytes += kIdatBytes;
            count -= kIdatBytes;
            continue;
        }
        const size_t take = std::min(count, kIdatBytes - idat.size());
        idat.insert(idat.end(), bytes, bytes + take);
        bytes += take;
        count -= take;
        if (idat.size() == kIdatBytes) {
            WriteImageChunk("IDAT", idat.data(), idat.size());
            idat.clear();
        }
    }
}

void ImageSaverPNG::FlushImageData()
{
    std::vector<uint8_t>& idat = encoding->idat;
    if (!idat.empty())
        WriteImageChunk("IDAT", idat.data(), idat.size());
    idat.clear();
}

// A chunk of the image being written, through its libpng structure: a failure abandons it.
void ImageSaverPNG::WriteImageChunk(const char* type, const uint8_t* bytes, size_t count)
{
    png_structp png = encoding->write.png;
    const png_const_bytep name = reinterpret_cast<png_const_bytep>(type);
    if (!libpng::RunGuarded(png, [&] { png_write_chunk(png, name, bytes, count); }))
        Abandon();
}

void ImageSaverPNG::Abandon()
{
    const std::unique_ptr<Encoding> failed = std::move(encoding);
    outputFailed = outputFailed || static_cast<bool>(failed->state.streamError);
    libpng::Raise(failed->state, kSaveFailed);
}

}  // namespace graphic
}  // namespace sdk
