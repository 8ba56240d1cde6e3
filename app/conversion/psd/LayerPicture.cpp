#include "conversion/psd/LayerPicture.h"

#include <algorithm>
#include <cstring>

#include "conversion/Option.h"
#include "graphic/Draw.h"

LayerPicture::LayerPicture(const sdk::graphic::ImageInfo& layer, int32_t layerChannels,
                           int32_t documentWidth, int32_t documentHeight, int32_t documentChannels,
                           int32_t sampleBytes)
    : info_(layer), layerChannels_(layerChannels), sampleBytes_(sampleBytes), layerX_(layer.x),
      layerY_(layer.y), layerWidth_(layer.width), layerHeight_(layer.height)
{
    const bool layerAlpha = layerChannels % 2 == 0;
    if (option.pngTrim) {
        // Gray or colour as the document, with alpha unless alpha is dropped.
        Cut(0, 0, documentWidth, documentHeight,
            (option.pngNoAlpha ? 1 : 2) + (documentChannels >= 3 ? 2 : 0));
    } else {
        Cut(layer.x, layer.y, layer.width, layer.height,
            option.pngNoAlpha && layerAlpha ? layerChannels - 1 : layerChannels);
    }
    info_.x = option.pngOffset ? x_ : 0;
    info_.y = option.pngOffset ? y_ : 0;
}

LayerPicture::LayerPicture(const sdk::graphic::ImageInfo& layer, int32_t layerChannels, int32_t x,
                           int32_t y, int32_t width, int32_t height, int32_t channels)
    : info_(layer), layerChannels_(layerChannels), layerX_(layer.x), layerY_(layer.y),
      layerWidth_(layer.width), layerHeight_(layer.height)
{
    Cut(x, y, width, height, channels);
    info_.x = x;
    info_.y = y;
}

void LayerPicture::Cut(int32_t x, int32_t y, int32_t width, int32_t height, int32_t channels)
{
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    channels_ = channels;
    layerRowsAsTheyAre_ = x == layerX_ && width == layerWidth_ && channels == layerChannels_;
    row_.assign(static_cast<size_t>(width_) * static_cast<size_t>(channels_) * sampleBytes_, 0);
}

void LayerPicture::Add(const uint8_t* layerRow, const Emit& emit)
{
    // The layer row's place in the picture; rows above or below it are cut off.
    const int64_t y = static_cast<int64_t>(layerY_) + layerRow_++ - y_;
    if (y < 0 || y >= height_)
        return;
    EmitBlankRowsUpTo(static_cast<int32_t>(y), emit);
    if (layerRowsAsTheyAre_) {
        emit(layerRow);
    } else {
        const int64_t left = std::max<int64_t>(layerX_, x_);
        const int64_t right = std::min<int64_t>(static_cast<int64_t>(layerX_) + layerWidth_,
                                                static_cast<int64_t>(x_) + width_);
        if (left > x_ || right < static_cast<int64_t>(x_) + width_)
            std::fill(row_.begin(), row_.end(), 0);
        if (left < right)
            Place(layerRow, left, right);
        emit(row_.data());
    }
    ++emitted_;
}

void LayerPicture::Place(const uint8_t* layerRow, int64_t from, int64_t to)
{
    const int32_t count = static_cast<int32_t>(to - from);
    if (sampleBytes_ == 1) {
        sdk::graphic::ConvertRow(row_.data() + (from - x_) * channels_, channels_,
                                 layerRow + (from - layerX_) * layerChannels_, layerChannels_,
                                 count);
        return;
    }
    // Rows of 16-bit samples are aligned to them (vectors of bytes are aligned for any value).
    sdk::graphic::ConvertRow16(reinterpret_cast<uint16_t*>(row_.data()) + (from - x_) * channels_,
                               channels_,
                               reinterpret_cast<const uint16_t*>(layerRow) +
                                   (from - layerX_) * layerChannels_,
                               layerChannels_, count);
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

bool LayerPicture::LayerAsItIs() const
{
    return layerRowsAsTheyAre_ && y_ == layerY_ && height_ == layerHeight_;
}

int32_t LayerPicture::RowsBefore(int32_t layerRow) const
{
    // Blank rows above the layer go out with its first row that the picture shows, and none at
    // all before Finish when the layer lies wholly below the picture.
    const int64_t first = static_cast<int64_t>(layerY_) - y_;  // the layer's first row's place
    if (layerRow <= 0 || first >= height_)
        return 0;
    return static_cast<int32_t>(std::min<int64_t>(height_, std::max<int64_t>(0, first + layerRow)));
}

void LayerPicture::SkipTo(int32_t layerRow)
{
    emitted_ = RowsBefore(layerRow);
    layerRow_ = layerRow;
}
