#include "conversion/LayerPicture.h"

#include <algorithm>
#include <cstring>

#include "conversion/Option.h"
#include "graphic/Draw.h"

LayerPicture::LayerPicture(const sdk::graphic::ImageInfo& layer, int32_t layerChannels,
                           int32_t documentWidth, int32_t documentHeight, int32_t documentChannels)
    : info_(layer),
      layerChannels_(layerChannels),
      layerX_(layer.x),
      layerY_(layer.y),
      layerWidth_(layer.width),
      trim_(option.pngTrim)
{
    const bool layerAlpha = layerChannels % 2 == 0;
    if (trim_) {
        // Gray or colour as the document, with alpha unless alpha is dropped.
        channels_ = (option.pngNoAlpha ? 1 : 2) + (documentChannels >= 3 ? 2 : 0);
        width_ = documentWidth;
        height_ = documentHeight;
        info_.x = 0;
        info_.y = 0;
    } else {
        channels_ = option.pngNoAlpha && layerAlpha ? layerChannels - 1 : layerChannels;
        width_ = layer.width;
        height_ = layer.height;
    }
    if (!option.pngOffset) {
        info_.x = 0;
        info_.y = 0;
    }
    row_.assign(static_cast<size_t>(width_) * static_cast<size_t>(channels_), 0);
}

void LayerPicture::Add(const uint8_t* layerRow, const Emit& emit)
{
    const int32_t index = layerRow_++;
    if (!trim_) {
        if (channels_ == layerChannels_) {
            emit(layerRow);
        } else {
            sdk::graphic::ConvertRow(row_.data(), channels_, layerRow, layerChannels_, width_);
            emit(row_.data());
        }
        ++emitted_;
        return;
    }
    // The layer row's place on the frame; rows above or below the frame are cut off.
    const int64_t y = static_cast<int64_t>(layerY_) + index;
    if (y < 0 || y >= height_)
        return;
    EmitBlankRowsUpTo(static_cast<int32_t>(y), emit);
    const int64_t left = std::max<int64_t>(layerX_, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(layerX_) + layerWidth_, width_);
    std::fill(row_.begin(), row_.end(), 0);
    if (left < right) {
        sdk::graphic::ConvertRow(row_.data() + left * channels_, channels_,
                                 layerRow + (left - layerX_) * layerChannels_, layerChannels_,
                                 static_cast<int32_t>(right - left));
    }
    emit(row_.data());
    ++emitted_;
}

void LayerPicture::Finish(const Emit& emit)
{
    EmitBlankRowsUpTo(height_, emit);
}

void LayerPicture::EmitBlankRowsUpTo(int32_t row, const Emit& emit)
{
    if (emitted_ >= row)
        return;
    std::fill(row_.begin(), row_.end(), 0);
    for (; emitted_ < row; ++emitted_)
        emit(row_.data());
}
