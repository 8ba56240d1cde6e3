#include "graphic/png/ImageLoaderMNG.h"

#include <algorithm>
#include <string>
#include <vector>

#include "debug/Error.h"
#include "graphic/png/ImageLoaderPNG.h"
#include "graphic/Signature.h"
#include "graphic/png/PngSignatures.h"
#include "graphic/png/TextKey.h"
#include "stream/ByteOrder.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

using stream::BigEndian32;
using stream::BytesLeft;

// The keyword and text of a tEXt body, or of an iTXt body: keyword, zero byte, compression
// flag and method, language tag and translated keyword each up to a zero byte, then the text.
// False for a body that lacks one of these fields, and for a compressed iTXt.
bool SplitText(bool itxt, const std::vector<uint8_t>& body, std::string& key, std::string& text)
{
    const auto end = body.end();
    const auto keyEnd = std::find(body.begin(), end, uint8_t{0});
    if (keyEnd == end)
        return false;
    auto rest = keyEnd + 1;
    if (itxt) {
        if (end - rest < 2 || rest[0] != 0)
            return false;
        rest += 2;
        for (int field = 0; field < 2; ++field) {
            const auto zero = std::find(rest, end, uint8_t{0});
            if (zero == end)
                return false;
            rest = zero + 1;
        }
    }
    key.assign(body.begin(), keyEnd);
    text.assign(rest, end);
    return true;
}

}  // namespace

ImageLoaderMNG::ImageLoaderMNG(stream::stream_in& stream) : stream(stream)
{
    Scan();
}

ImageLoaderMNG::~ImageLoaderMNG() = default;

const char* ImageLoaderMNG::FormatName() const
{
    return "MNG";
}

void ImageLoaderMNG::Load(Image& image, ImageInfo& info)
{
    image.Release();
    info = document;
}

int32_t ImageLoaderMNG::LayerCount()
{
    return static_cast<int32_t>(layers.size());
}

void ImageLoaderMNG::LayerLoad(int32_t index, Image& image)
{
    if (index < 0 || index >= LayerCount())
        throw debug::logic_error("ImageLoaderMNG::LayerLoad:73");
    LoadImage(layers[static_cast<size_t>(index)], image);
}

void ImageLoaderMNG::LayerInfo(int32_t index, ImageInfo& info)
{
    if (index < 0 || index >= LayerCount())
        throw debug::logic_error("ImageLoaderMNG::LayerInfo:85");
    info = layers[static_cast<size_t>(index)];
}

void ImageLoaderMNG::LoadImage(const info_t& record, Image& image)
{
    if (record.offset == 0)
        throw debug::logic_error("ImageLoaderMNG::LoadImage:239");
    stream.SetPos(record.offset);
    ImageInfo scratch;
    ImageLoaderPNG::s_LoadPNG(stream, image, scratch);
}

bool ImageLoaderMNG::ReadChunkHeader()
{
    if (BytesLeft(stream) < 8)
        return false;
    uint8_t header[8] = {};
    stream.Read(header, 8);
    chunkLength = static_cast<int32_t>(BigEndian32(header));
    chunkType.assign(reinterpret_cast<const char*>(header + 4), 4);
    return true;
}

std::vector<uint8_t> ImageLoaderMNG::ReadBody()
{
    std::vector<uint8_t> body(static_cast<size_t>(chunkLength));
    if (!body.empty())
        stream.Read(body.data(), static_cast<uint32_t>(body.size()));
    return body;
}

// Hostile files: every field is read from inside its chunk's body. A chunk whose length is
// above 2^31 - 1 (forbidden by PNG) or whose body runs past the end of the stream ends the
// scan unread, as does a header that cannot be read whole; the layers collected until then
// stand. FRAM, tEXt and iTXt without their zero bytes inside the body, a compressed iTXt, a
// DEFI too short for its location and a FRAM too short for the delay it announces are ignored.
void ImageLoaderMNG::Scan()
{
    if (!IsMNGSignature(stream))
        throw debug::runtime_error("ImageLoaderMNG::Scan:96");
    if (!ReadChunkHeader() || chunkType != "MHDR")
        throw debug::runtime_error("ImageLoaderMNG::Scan:101");
    // Too short by its length or by what the file holds of it.
    if (chunkLength < 13)
        throw debug::runtime_error("ImageLoaderMNG::Scan:102");
    int64_t start = stream.GetPos();
    uint8_t header[12];
    stream::ReadExactly(stream, header, sizeof header, "ImageLoaderMNG::Scan:102");
    document.width = static_cast<int32_t>(BigEndian32(header));
    document.height = static_cast<int32_t>(BigEndian32(header + 4));
    // header + 8: ticks per second, not used.

    for (;;) {
        const int64_t next = start + chunkLength + 4;  // past the body and the CRC
        if (next >= stream.GetSize())
            break;
        stream.SetPos(static_cast<int32_t>(next));
        if (!ReadChunkHeader() || chunkLength < 0 || chunkLength > BytesLeft(stream))
            break;
        start = stream.GetPos();

        if (chunkType == "MEND") {
            break;
        } else if (chunkType == "IHDR") {
            current.offset = static_cast<int32_t>(start - 8);
            if (chunkLength >= 8) {
                const std::vector<uint8_t> body = ReadBody();
                current.width = static_cast<int32_t>(BigEndian32(&body[0]));
                current.height = static_cast<int32_t>(BigEndian32(&body[4]));
            }
        } else if (chunkType == "IEND") {
            layers.push_back(current);
            current = info_t();
        } else if (chunkType == "DEFI") {
            // Object id (2), do-not-show (1), concrete (1), then X and Y.
            if (chunkLength >= 12) {
                const std::vector<uint8_t> body = ReadBody();
                current.x = static_cast<int32_t>(BigEndian32(&body[4]));
                current.y = static_cast<int32_t>(BigEndian32(&body[8]));
            }
        } else if (chunkType == "FRAM") {
            // Mode (1), name up to a zero byte (n + 1), four change bytes, then the delay.
            if (chunkLength >= 8) {
                const std::vector<uint8_t> body = ReadBody();
                const auto zero = std::find(body.begin() + 1, body.end(), uint8_t{0});
                const size_t n = static_cast<size_t>(zero - (body.begin() + 1));
                if (zero != body.end() && n + 10 <= body.size() && body[n + 2] != 0)
                    current.delay = static_cast<int32_t>(BigEndian32(&body[n + 6]));
            }
        } else if (chunkType == "tEXt" || chunkType == "iTXt") {
            std::string key, text;
            if (SplitText(chunkType == "iTXt", ReadBody(), key, text)) {
                if (IsTextKey(key, "title"))
                    current.title = text;
                else if (IsTextKey(key, "comment"))
                    current.comment = text;
            }
        }
    }
}

bool IsMNGSignature(stream::stream_in& stream)
{
    return StartsWith(stream, kMngSignature, kSignatureLength);
}

}  // namespace graphic
}  // namespace sdk
