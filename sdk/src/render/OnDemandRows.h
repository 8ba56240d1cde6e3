// The rows of a picture that a layer or mask decodes, asked for by their index as a document is
// composed top to bottom: the source is opened at the first row asked for, rows passed over are
// decoded and dropped, and the source is let go with its last row, so that a finished layer
// holds nothing while the rows below it are composed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphic/RowSource.h"

namespace sdk {
namespace render {

class OnDemandRows {
public:
    using Open = std::function<std::unique_ptr<graphic::RowSource>()>;

    // open makes the source (or nothing, when there are no rows to decode); height is its rows.
    OnDemandRows(Open open, int64_t height);

    // Row index (ascending from call to call), valid until the next call; null when there is
    // no source or the row was passed already. Raises what opening and decoding raise.
    const uint8_t* Row(int64_t index);
    // The source's samples per pixel and bytes per sample, once a row has been handed out.
    int32_t Channels() const { return channels_; }
    int32_t SampleBytes() const { return sampleBytes_; }

private:
    Open open_;
    const int64_t height_;
    std::unique_ptr<graphic::RowSource> source_;
    bool opened_ = false;
    int64_t read_ = 0;
    int32_t channels_ = 0;
    int32_t sampleBytes_ = 1;
    std::vector<uint8_t> last_;  // the last row, kept once the source is let go
};

}  // namespace render
}  // namespace sdk
