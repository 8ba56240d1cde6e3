#include "render/OnDemandRows.h"

#include <algorithm>
#include <utility>

namespace sdk {
namespace render {

OnDemandRows::OnDemandRows(Open open, int64_t height, int32_t start)
    : open_(std::move(open)), height_(height), start_(start), read_(start)
{
}

int32_t OnDemandRows::StartOf(int32_t firstRow, int32_t top, int32_t height)
{
    if (firstRow <= 0 || height <= 0)
        return 0;
    return static_cast<int32_t>(
        std::min<int64_t>(std::max<int64_t>(int64_t{firstRow} - top, 0), height));
}

const uint8_t* OnDemandRows::Row(int64_t index)
{
    if (!opened_) {
        opened_ = true;
        source_ = open_(start_);
        if (source_) {
            channels_ = source_->Channels();
            sampleBytes_ = source_->SampleBytes();
        }
    }
    const uint8_t* row = nullptr;
    while (source_ && read_ <= index) {
        row = source_->NextRow();
        ++read_;
    }
    if (row && read_ >= height_) {
        last_.assign(row, row + static_cast<size_t>(source_->Width()) * channels_ * sampleBytes_);
        source_.reset();
        row = last_.data();
    }
    return row;
}

}  // namespace render
}  // namespace sdk
