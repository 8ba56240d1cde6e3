// The additional information blocks of a PSD document: a signature ("8BIM" or "8B64"), a
// 4-character key, a length (8 bytes for some keys in the large document format, 4 otherwise)
// and the data, found after the layer information and at the end of each layer record.
#pragma once

#include <cstdint>
#include <string>

#include "graphic/psd/PsdFormat.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// Reads the header of the block at the stream's position, which must end by end, leaving the
// position at its data. False when the bytes there (if 12 are left) do not start a block; a
// length that runs past end raises tag, or without a tag (nullptr) ends the blocks as well.
bool ReadPsdBlockHeader(stream::stream_in& stream, const PsdFormat& format, int64_t end,
                        char (&key)[4], int64_t& length, const char* tag);

// The layer name of a "luni" block whose data, length bytes, starts at the stream's position: a
// count of UTF-16 code units, then the units, big-endian; the name ends at a terminating zero
// that some writers count. False when the block is too short for its count (the name is then
// what the block holds) or for the count itself (the name is empty).
bool ReadPsdUnicodeName(stream::stream_in& stream, int64_t length, std::u16string& name);

}  // namespace graphic
}  // namespace sdk
