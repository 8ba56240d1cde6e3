// The fields of a PSD document's channel records as the scan reads them and the decode uses them:
// the channel ids and compression codes, and how a position read from the file is kept in a
// record.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "stream/ByteOrder.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// Channel ids as the file stores them (unsigned 16-bit): -1 transparency, -2 the layer mask,
// -3 the real user mask; and the id the scan gives a channel that is not decoded.
const int32_t kTransparency = 0xFFFF;
const int32_t kUserMask = 0xFFFE;
const int32_t kRealUserMask = 0xFFFD;
const int32_t kIgnored = -1;

// Compression of channel data.
enum : uint16_t { kRaw = 0, kRle = 1, kZip = 2, kZipPredicted = 3 };

inline int32_t ReadI32(stream::stream_in& stream)
{
    return static_cast<int32_t>(stream::ReadBigEndian32(stream));
}

// Positions and lengths are summed in 64 bits and kept in the 32-bit fields of the records.
// A value beyond the 32-bit range lies beyond the end of any file the streams can read, and is
// kept as the largest 32-bit value so that the decode's bounds checks refuse it.
inline int32_t Saturated(int64_t value)
{
    return static_cast<int32_t>(
        std::min<int64_t>(std::max<int64_t>(value, 0), std::numeric_limits<int32_t>::max()));
}

}  // namespace graphic
}  // namespace sdk
