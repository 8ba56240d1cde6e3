// Rows of coverage (how much of each pixel a shape covers, 0 .. 1) over a fixed span of
// columns, handed from one stage of an effect to the next: the layer's coverage, then blurred,
// spread, measured for a stroke. Each stage keeps only the window of rows it needs around the
// row asked for, so memory grows with the width and the effect's size, never with the height.
#pragma once

#include <cstdint>

namespace sdk {
namespace render {

class CoverageRows {
public:
    virtual ~CoverageRows() = default;
    // Document row y, width() floats; valid until the next call. Rows are asked in ascending
    // order (the same row may be asked again; rows may be passed over). Rows beyond what the
    // shape reaches are all zero.
    virtual const float* Row(int64_t y) = 0;
    // The columns of every row, and the document column of the first.
    virtual int32_t Width() const = 0;
    virtual int32_t Left() const = 0;
};

}  // namespace render
}  // namespace sdk
