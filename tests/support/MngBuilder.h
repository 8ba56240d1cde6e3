// Test support: PNG and MNG chunk sequences put together byte by byte (for hostile files whose
// lengths, CRCs and bodies are whatever a test says), and taken apart again (to check what a
// writer produced). CRCs and the zlib wrapping are computed here, independently of libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

Bytes Be16(uint16_t value);
Bytes Be32(uint32_t value);
Bytes Text(const std::string& text);  // the bytes of text, no terminator
Bytes operator+(Bytes left, const Bytes& right);

uint32_t Crc32(const uint8_t* data, size_t size);
// A zlib stream of stored (uncompressed) deflate blocks holding raw.
Bytes ZlibStored(const Bytes& raw);
// The 13-byte IHDR body.
Bytes Ihdr(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
           uint8_t interlace = 0);

class MngBuilder {
public:
    MngBuilder& MngSignature();
    MngBuilder& PngSignature();
    MngBuilder& Raw(const Bytes& bytes);
    // A chunk with its true length and CRC.
    MngBuilder& Chunk(const char* type, const Bytes& body);
    // A chunk whose length field says length, whatever the body holds (CRC over the body).
    MngBuilder& ChunkClaiming(uint32_t length, const char* type, const Bytes& body);
    MngBuilder& Mhdr(uint32_t width, uint32_t height, uint32_t ticksPerSecond = 10);
    // A PNG datastream without signature: width x height 8-bit grey pixels of value.
    MngBuilder& GreyDatastream(uint32_t width, uint32_t height, uint8_t value);

    const Bytes& Data() const { return data_; }

private:
    Bytes data_;
};

struct ChunkRecord {
    std::string type;
    Bytes body;
    bool crcOk = false;
};

// The chunks from offset start (after the signature) up to the end of file; a chunk cut short
// ends the list.
std::vector<ChunkRecord> ParseChunks(const Bytes& file, size_t start = 8);
// Their types, space-separated: "MHDR TERM IHDR IDAT IEND MEND".
std::string TypesOf(const std::vector<ChunkRecord>& chunks);

}  // namespace test_support
