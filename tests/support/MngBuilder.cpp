#include "support/MngBuilder.h"

namespace test_support {

Bytes Be16(uint16_t value)
{
    return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

Bytes Be32(uint32_t value)
{
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

Bytes ZlibStored(const Bytes& raw)
{
    Bytes out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<long>(at),
                   raw.begin() + static_cast<long>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return out + Be32((b << 16) | a);
}

Bytes Ihdr(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, uint8_t interlace)
{
    return Be32(width) + Be32(height) + Bytes{bitDepth, colourType, 0, 0, interlace};
}

MngBuilder& MngBuilder::MngSignature()
{
    return Raw({0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
}

MngBuilder& MngBuilder::PngSignature()
{
    return Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
}

MngBuilder& MngBuilder::Raw(const Bytes& bytes)
{
    data_ = data_ + bytes;
    return *this;
}

MngBuilder& MngBuilder::Chunk(const char* type, const Bytes& body)
{
    return ChunkClaiming(static_cast<uint32_t>(body.size()), type, body);
}

MngBuilder& MngBuilder::ChunkClaiming(uint32_t length, const char* type, const Bytes& body)
{
    const Bytes typed = Text(std::string(type, 4)) + body;
    return Raw(Be32(length) + typed + Be32(Crc32(typed.data(), typed.size())));
}

MngBuilder& MngBuilder::Mhdr(uint32_t width, uint32_t height, uint32_t ticksPerSecond)
{
    return Chunk("MHDR", Be32(width) + Be32(height) + Be32(ticksPerSecond) + Be32(0) + Be32(0) +
                             Be32(0) + Be32(9));
}

MngBuilder& MngBuilder::GreyDatastream(uint32_t width, uint32_t height, uint8_t value)
{
    Bytes raw;
    for (uint32_t row = 0; row < height; ++row) {
        raw.push_back(0);  // filter type None
        raw.insert(raw.end(), width, value);
    }
    return Chunk("IHDR", Ihdr(width, height, 8, 0))
        .Chunk("IDAT", ZlibStored(raw))
        .Chunk("IEND", {});
}

std::vector<ChunkRecord> ParseChunks(const Bytes& file, size_t start)
{
    std::vector<ChunkRecord> chunks;
    size_t at = start;
    while (at + 12 <= file.size()) {
        const uint32_t length = (uint32_t{file[at]} << 24) | (uint32_t{file[at + 1]} << 16) |
                                (uint32_t{file[at + 2]} << 8) | file[at + 3];
        if (length > file.size() - at - 12)
            break;
        ChunkRecord chunk;
        chunk.type.assign(file.begin() + static_cast<long>(at + 4),
                          file.begin() + static_cast<long>(at + 8));
        chunk.body.assign(file.begin() + static_cast<long>(at + 8),
                          file.begin() + static_cast<long>(at + 8 + length));
        const Bytes crc(file.begin() + static_cast<long>(at + 8 + length),
                        file.begin() + static_cast<long>(at + 12 + length));
        chunk.crcOk = crc == Be32(Crc32(&file[at + 4], length + 4));
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

std::string TypesOf(const std::vector<ChunkRecord>& chunks)
{
    std::string types;
    for (const ChunkRecord& chunk : chunks)
        types += (types.empty() ? "" : " ") + chunk.type;
    return types;
}

}  // namespace test_support
