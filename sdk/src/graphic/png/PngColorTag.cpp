#include "graphic/png/PngColorTag.h"

#include <zlib.h>

#include <cstring>

#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

void Put32(std::vector<uint8_t>& body, uint32_t value)
{
    body.resize(body.size() + 4);
    stream::PutBigEndian32(body.data() + body.size() - 4, value);
}

PngChunk Chunk(const char* type, std::vector<uint8_t> body)
{
    PngChunk chunk;
    std::memcpy(chunk.type, type, 5);
    chunk.body = std::move(body);
    return chunk;
}

}  // namespace

std::vector<PngChunk> ColorTagChunks(const PngColorTag& tag)
{
    std::vector<PngChunk> chunks;
    if (tag.kind == PngColorTag::Kind::Srgb) {
        // sRGB's gamma and chromaticities in PNG's units (100000ths), as the PNG standard gives
        // them for decoders that do not know sRGB; the perceptual intent.
        std::vector<uint8_t> gamma;
        Put32(gamma, 45455);
        std::vector<uint8_t> chromaticities;
        for (uint32_t value : {31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u})
            Put32(chromaticities, value);
        chunks.push_back(Chunk("gAMA", gamma));
        chunks.push_back(Chunk("cHRM", chromaticities));
        chunks.push_back(Chunk("sRGB", {0}));
    } else if (tag.kind == PngColorTag::Kind::Icc && !tag.profile.empty()) {
        uLongf packed = compressBound(static_cast<uLong>(tag.profile.size()));
        std::vector<uint8_t> body(tag.name.begin(), tag.name.end());
        body.push_back(0);  // the name's end
        body.push_back(0);  // deflate
        const size_t start = body.size();
        body.resize(start + packed);
        if (compress2(body.data() + start, &packed, tag.profile.data(),
                      static_cast<uLong>(tag.profile.size()), Z_BEST_COMPRESSION) != Z_OK)
            return chunks;
        body.resize(start + packed);
        chunks.push_back(Chunk("iCCP", body));
    }
    return chunks;
}

}  // namespace graphic
}  // namespace sdk
