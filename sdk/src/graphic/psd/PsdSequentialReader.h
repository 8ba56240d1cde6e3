// Bytes of a PSD file from a start position up to an end position, taken in order through a
// buffer that is filled a large piece at a time: one cursor's reads, which other cursors of the
// same file do not disturb.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/psd/PsdInput.h"

namespace sdk {
namespace graphic {

class PsdSequentialReader {
public:
    PsdSequentialReader(PsdInput& input, int64_t start, int64_t end);
    // The next count bytes, valid until the next call. Bytes beyond end are not read: such a
    // request gives what lies before end, followed by bytes of no defined value.
    const uint8_t* Take(uint32_t count);

private:
    PsdInput& input_;
    int64_t position_;  // the file position of the next byte taken
    int64_t end_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0;   // the next byte taken, in buffer_
    size_t filled_ = 0;  // bytes of buffer_ that hold file data
};

}  // namespace graphic
}  // namespace sdk
