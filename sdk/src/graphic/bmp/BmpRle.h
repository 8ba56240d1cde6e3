// Run-length coded BMP pixels, BI_RLE8 and BI_RLE4. The data is a series of two-byte codes: a
// count and an index (RLE4: two indices that alternate, high nibble first) for a run, or 0 and
// an escape: 0 ends the line, 1 ends the picture, 2 moves by the next two bytes (right, then
// rows on), 3 to 255 is the number of indices that follow as they are, padded to an even byte
// count.
//
// Decoding follows a pixel position counted from the start of the raster in the file's row
// order, as ImageMagick decodes: a run that passes the end of a row goes on at the start of the
// next, an end of line goes to the start of the row after the one the line began on, a move
// may land beyond the row. It ends at the end of the picture, at the end of the data (a run
// that the data cuts off keeps the pixels it has), or once the position has passed the last
// pixel. Pixels that no code reaches keep index 0.
#pragma once

#include <cstdint>

#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// Decodes the codes from the stream's position to its end into indices, width x height bytes
// that start zero-filled, in the file's row order. bitCount is 8 (RLE8) or 4 (RLE4).
void DecodeBmpRle(stream::stream_in& stream, uint16_t bitCount, int32_t width, int32_t height,
                  uint8_t* indices);

}  // namespace graphic
}  // namespace sdk
