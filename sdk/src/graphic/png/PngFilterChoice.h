// The row filter that libpng would choose with all five filters allowed, found without
// producing the filtered rows: the smallest sum of the filtered bytes read as signed magnitudes
// (v < 128 ? v : 256 - v), the first of None, Sub, Up, Average and Paeth on a tie. Handing
// libpng that one filter for a row gives the bytes its own search would give, with less work.
// The sums do not depend on the order of the bytes within a pixel, so the rows can be given in
// the image's own layout before libpng reorders them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdk {
namespace graphic {

// row and previous hold bytes each (previous is all zero for the first row); bpp is the bytes
// per pixel. allowed is a mask of PNG_FILTER_NONE/SUB/UP/AVG/PAETH and must hold NONE.
// Returns the chosen filter's mask bit.
int ChooseRowFilter(const uint8_t* row, const uint8_t* previous, size_t bytes, size_t bpp,
                    int allowed);

}  // namespace graphic
}  // namespace sdk
