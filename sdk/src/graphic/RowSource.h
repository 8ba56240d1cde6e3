// A picture handed out one row at a time, top to bottom, in the pixel layout of Image (1 to 4
// bytes per pixel: G, A G, B G R or A B G R). A source decodes or computes each row when it is
// asked for, so that a picture of any height passes through in the memory of a few rows.
#pragma once

#include <cstdint>

namespace sdk {
namespace graphic {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int32_t Channels() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // The bytes of a sample: 1, or 2 for a source of 16-bit samples (each in the machine's byte
    // order).
    virtual int32_t SampleBytes() const { return 1; }
    // The next row, Width() x Channels() x SampleBytes() bytes, valid until the next call or
    // until the source goes. Raises what producing it raises; asking for more than Height()
    // rows is a logic error.
    virtual const uint8_t* NextRow() = 0;

protected:
    RowSource() = default;
    RowSource(const RowSource&) = delete;
    RowSource& operator=(const RowSource&) = delete;
};

}  // namespace graphic
}  // namespace sdk
