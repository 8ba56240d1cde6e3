// The size limits of images, readers and writers, in one place.
#pragma once

#include <cstdint>
#include <limits>

namespace sdk {
namespace graphic {

// Largest raster in bytes (channels x width x height): sizes and positions are signed 32-bit
// throughout. A larger image is refused before anything is allocated ("Image::Create:61").
const int64_t kMaxImageBytes = std::numeric_limits<int32_t>::max();

// Largest width and height a PNG is read or written with. libpng's customary limit; a larger
// side cannot pass the image size limit with a sensible other side, and the writer never
// produces a file that the reader would refuse.
const uint32_t kMaxPngSide = 1000000;

// Widest image decoded row by row (the merged image and the layers of a PSD document): the PNG
// writer's side limit. Such an image is never held whole, so its bytes have no limit of their
// own, but its rows must be: a wider image is refused before anything is allocated for it.
const int32_t kMaxRowWidth = static_cast<int32_t>(kMaxPngSide);

// Ancillary PNG chunks libpng keeps (texts, unknown chunks): its customary count.
const uint32_t kMaxPngChunkCache = 1000;

// Largest single ancillary PNG chunk (or decompressed text or profile) libpng allocates. Real
// texts and colour profiles stay far below; a larger chunk is dropped by libpng as a benign
// error.
const uint64_t kMaxPngChunkBytes = 8u << 20;

// Deflate expands at most about 1032:1. A PNG datastream whose pixel bytes could not come out
// of the bytes left in the stream is refused before anything is allocated for it; the extra MiB
// lets every small image through whatever the shape of its file.
const uint64_t kMaxPngInflation = 1100;
const uint64_t kPngInflationSlack = 1u << 20;

}  // namespace graphic
}  // namespace sdk
