#include "render/OnDemandRows.h"

#include <utility>

namespace sdk {
namespace render {

OnDemandRows::OnDemandRows(Open open, int64_t height) : open_(std::move(open)), height_(height) {}

const uint8_t* OnDemandRows::Row(int64_t index)
{
    if (!opened_) {
        opened_ = true;
        source_ = open_();
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
