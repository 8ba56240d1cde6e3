// The rows of a picture that a layer or mask decodes, asked for by their index as a document is
// composed top to bottom: the source is opened when the first row is asked for, at the row the
// drawing starts from (row 0 for a drawing from the document's top), rows passed over are
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
    // Makes the source opened at firstRow (its first NextRow gives that row), or nothing when
    // there are no rows to decode.
    using Open = std::function<std::unique_ptr<graphic::RowSource>(int32_t firstRow)>;

    // height is the source's rows; start (0 .. height) the row it is opened at: no row before it
    // is asked for.
    OnDemandRows(Open open, int64_t height, int32_t start = 0);

    // Row index (ascending from call to call), valid until the next call; null when there is
    // no source or the row was passed already (rows before start count as passed). Raises what
    // opening and decoding raise.
    const uint8_t* Row(int64_t index);
    // The row that a drawing from document row firstRow opens a picture at whose row 0 lies on
    // document row top: from the document's top, its row 0 (so that every row of it above the
    // document's bottom is decoded, as its own image's are); from further down, the first row the
    // drawing meets, or its height when it ends above.
    static int32_t StartOf(int32_t firstRow, int32_t top, int32_t height);

    // The source's samples per pixel and bytes per sample, once a row has been handed out.
    int32_t Channels() const { return channels_; }
    int32_t SampleBytes() const { return sampleBytes_; }

private:
    Open open_;
    const int64_t height_;
    const int32_t start_;
    std::unique_ptr<graphic::RowSource> source_;
    bool opened_ = false;
    int64_t read_ = 0;
    int32_t channels_ = 0;
    int32_t sampleBytes_ = 1;
    std::vector<uint8_t> last_;  // the last row, kept once the source is let go
};

}  // namespace render
}  // namespace sdk
