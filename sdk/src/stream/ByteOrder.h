// Byte order. Streams move raw bytes; the fields of PSD, PNG and MNG are big-endian and those of
// BMP little-endian, and they are read and written with these helpers, from byte arrays or at a
// stream's position.
#pragma once

#include <cstdint>

#include "stream/Stream.h"

namespace sdk {
namespace stream {

inline uint16_t ByteSwap16(uint16_t value)
{
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}

inline uint32_t ByteSwap32(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
           (value << 24);
}

// Fields in bytes already read.
inline uint16_t BigEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline uint32_t BigEndian32(const uint8_t* bytes)
{
    return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
           (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

inline uint16_t LittleEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t LittleEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// Fields stored into bytes.
inline void PutLittleEndian16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLittleEndian32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutBigEndian16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

inline void PutBigEndian32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Fields read at a stream's position. Bytes that a file stream does not hold (a short read at
// its end) count as 0; readers check what is left first (ExactRead.h).
inline uint8_t ReadByte(stream_in& stream)
{
    uint8_t value = 0;
    stream.Read(&value, 1);
    return value;
}

inline uint16_t ReadBigEndian16(stream_in& stream)
{
    uint8_t bytes[2] = {};
    stream.Read(bytes, 2);
    return BigEndian16(bytes);
}

inline uint32_t ReadBigEndian32(stream_in& stream)
{
    uint8_t bytes[4] = {};
    stream.Read(bytes, 4);
    return BigEndian32(bytes);
}

inline uint64_t ReadBigEndian64(stream_in& stream)
{
    const uint64_t high = ReadBigEndian32(stream);
    return high << 32 | ReadBigEndian32(stream);
}

// Fields written at a stream's position.
inline void WriteByte(stream_out& stream, uint8_t value)
{
    stream.Write(&value, 1);
}

inline void WriteBigEndian16(stream_out& stream, uint16_t value)
{
    uint8_t bytes[2];
    PutBigEndian16(bytes, value);
    stream.Write(bytes, 2);
}

inline void WriteBigEndian32(stream_out& stream, uint32_t value)
{
    uint8_t bytes[4];
    PutBigEndian32(bytes, value);
    stream.Write(bytes, 4);
}

inline void WriteLittleEndian32(stream_out& stream, uint32_t value)
{
    uint8_t bytes[4];
    PutLittleEndian32(bytes, value);
    stream.Write(bytes, 4);
}

}  // namespace stream
}  // namespace sdk
