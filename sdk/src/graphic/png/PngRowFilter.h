// Turns an image's rows, in Image's layout, into the rows of PNG image data: samples in PNG's
// order (G, G A, R G B, R G B A; 16-bit samples big-endian), each row behind the filter type
// the PNG writer would give it, filtered with the row above. The filter is the one libpng's own
// search picks among the layout's allowed filters (ChooseRowFilter); the first row filtered is
// taken as the image's top row, which has nothing above it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphic/png/PngDataLayout.h"

namespace sdk {
namespace graphic {

class PngRowFilter {
public:
    // layout must be valid.
    explicit PngRowFilter(const PngDataLayout& layout);

    // The bytes of a filtered row: the filter type byte, then the row.
    size_t FilteredBytes() const { return filtered_.size(); }
    // Takes row as the row above the next one without filtering it: a band that starts inside
    // an image starts its filters this way.
    void Seed(const uint8_t* row);
    // Filters the next row (RowBytes of the layout, in Image's layout). The result, FilteredBytes
    // long, stays valid until the next call.
    const uint8_t* Filter(const uint8_t* row);

private:
    PngDataLayout layout_;
    int allowed_;
    std::vector<uint8_t> current_;   // the row being filtered, in PNG's order
    std::vector<uint8_t> previous_;  // the row above it, in PNG's order; zero above the first
    std::vector<uint8_t> filtered_;
};

}  // namespace graphic
}  // namespace sdk
