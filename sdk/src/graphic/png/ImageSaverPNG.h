// The PNG and MNG writer. In PNG use every Save writes one complete PNG file (signature, IHDR,
// oFFs for a non-zero offset, texts "Title" and "Comment", IDAT, IEND). An image may also be
// written row by row as it comes (Begin, WriteRow, End), so that no whole image need exist, or
// as bands of rows compressed apart, possibly at once on several threads (BeginBands, WriteBand,
// End; see PngBandEncoder). A text goes into tEXt,
// except one with a byte above 0x7F outside Windows: that is UTF-8 and goes into an
// uncompressed iTXt. After InitMNG the stream is an MNG: the signature and MHDR, an optional
// TERM (SetLoop), one frame per Save (optional FRAM and DEFI, then a PNG datastream without
// signature, texts as above), and MEND from the destructor. Encoding, chunk framing and CRCs
// are libpng's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/PngBandEncoder.h"
#include "graphic/png/PngColorTag.h"
#include "graphic/png/PngDataLayout.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

class ImageSaverPNG {
public:
    // Writes nothing; output must outlive the writer.
    explicit ImageSaverPNG(stream::stream_out& output);
    // Ends an MNG with MEND (see the definition); writes nothing for a PNG. Never throws.
    virtual ~ImageSaverPNG();
    ImageSaverPNG(const ImageSaverPNG&) = delete;
    ImageSaverPNG& operator=(const ImageSaverPNG&) = delete;

    // Writes one image: a PNG file, or one frame of an MNG. Uses info.x, info.y, info.delay
    // (MNG only), info.title and info.comment; the image's own size is written. Raises
    // "ImageSaverPNG::Save:222" for an image that has not 1 to 4 bytes per pixel.
    void Save(const Image& image, const ImageInfo& info);
    // Save in three steps. Begin writes everything before the pixels of an image of channels
    // bytes per pixel (with Save's errors for a layout it cannot write); WriteRow takes the rows
    // in the image's layout, top to bottom, each once; End writes what follows the last row.
    // After an error the image is abandoned: nothing more may be written for it.
    void Begin(int32_t channels, int32_t width, int32_t height, const ImageInfo& info);
    void WriteRow(const uint8_t* row);
    void End();
    // Begin for an image whose data comes as bands (PngBandEncoder) instead of rows: WriteBand
    // takes them in order, each starting where the one before ended, the last holding the
    // image's last row; End then writes what follows. The bands' blocks go out behind the zlib
    // header, in IDAT chunks of 8192 bytes as libpng writes them, and a single band gives
    // exactly Save's file. WriteBand raises "ImageSaverPNG::WriteBand:370" for a band out of
    // order or of another layout, and outside a banded image.
    void BeginBands(int32_t channels, int32_t width, int32_t height, const ImageInfo& info);
    void WriteBand(const PngBand& band);
    // The image data of the image begun (either way), from which its bands are made. Raises
    // "ImageSaverPNG::DataLayout:380" between images.
    PngDataLayout DataLayout() const;
    // Starts an MNG: signature and MHDR. Once per writer, before any Save
    // ("ImageSaverPNG::InitMNG:92" otherwise). noFrameChunks: frames get no FRAM and DEFI.
    void InitMNG(uint32_t width, uint32_t height, uint32_t ticksPerSecond, bool noFrameChunks);
    // Frames of an MNG whose signature, header and end another writer writes: each Save writes
    // one frame as after InitMNG, and nothing else is ever written. Frames made apart from one
    // another this way, joined in order behind InitMNG's header, make the file one writer would.
    void InitMNGFrames(bool noFrameChunks);
    // Endless loop: a TERM chunk. Only after InitMNG ("ImageSaverPNG::SetLoop:126" otherwise).
    void SetLoop();
    // Ends the MNG with MEND now, raising what the write raises, so that a caller learns whether
    // the file is complete; the destructor then writes nothing more. Nothing for a PNG.
    void EndMNG();

private:
    void BeginImage(int32_t channels, int32_t width, int32_t height, const ImageInfo& info,
                    bool banded);
    // Bytes of the zlib stream of a banded image, gathered into IDAT chunks of 8192 bytes; the
    // last chunk goes out with FlushImageData.
    void PutImageData(const uint8_t* bytes, size_t count);
    void FlushImageData();
    void WriteImageChunk(const char* type, const uint8_t* bytes, size_t count);
    void WriteSignature(const char* signature);
    // One chunk with the standard framing, written through libpng.
    void WriteChunk(const char* type, const std::vector<uint8_t>& body);
    // FRAM and DEFI before a frame; a written DEFI takes the offset out of x and y.
    void WriteFrameChunks(const ImageInfo& info, int32_t& x, int32_t& y);
    // Ends the image being written after libpng or the stream failed, raising what failed.
    [[noreturn]] void Abandon();

    // The libpng state of the image being written; null between images.
    struct Encoding;
    std::unique_ptr<Encoding> encoding;

    stream::stream_out& output;
    bool isMng = false;
    bool noFrameChunks = false;
    bool mngEnded = false;

public:
    // Compression choice: neither flag is the standard choice; bestCompression wins over
    // fastCompression.
    bool bestCompression = false;
    bool fastCompression = false;
    // What the colours of the images mean, written before their pixels (an MNG's frames each
    // carry it); nothing by default.
    PngColorTag colorTag;
    // Samples of 16 bits: each of a row's samples (in Image's order, A B G R) is two bytes in the
    // machine's byte order. A PNG only: an MNG's frames stay 8-bit.
    bool sixteenBits = false;

private:
    bool outputFailed = false;  // a write to output raised: a partial chunk may be on it
};

}  // namespace graphic
}  // namespace sdk
