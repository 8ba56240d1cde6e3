// The picture a layer's PNG shows, made row by row from the layer's own rows as they come:
// without alpha when asked, and cut to the document's frame when asked (a picture of the
// document's size, the layer in its place, 0 everywhere else). Also the record written with it:
// the layer's offset only when asked, and never for a picture cut to the frame. Any other
// rectangle of the document can be cut out the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "graphic/ImageInfo.h"

class LayerPicture {
public:
    // A row of the picture, handed on as soon as it is complete.
    using Emit = std::function<void(const uint8_t* row)>;

    // layer: the layer's record; layerChannels: samples per pixel of its rows, of sampleBytes
    // bytes each (2: 16 bits, see RowSource), as the picture's are. The document's size and the
    // samples per pixel of its merged image set the frame and its layout.
    LayerPicture(const sdk::graphic::ImageInfo& layer, int32_t layerChannels, int32_t documentWidth,
                 int32_t documentHeight, int32_t documentChannels, int32_t sampleBytes = 1);
    // The picture of the rectangle x, y, width, height of the document in channels bytes per
    // pixel: the layer's pixels where they fall inside it, 0 elsewhere. Its record is the layer's
    // with the rectangle's offset.
    LayerPicture(const sdk::graphic::ImageInfo& layer, int32_t layerChannels, int32_t x, int32_t y,
                 int32_t width, int32_t height, int32_t channels);

    int32_t Channels() const { return channels_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const sdk::graphic::ImageInfo& Info() const { return info_; }

    // Takes the layer's next row (top to bottom); emits the picture rows it completes.
    void Add(const uint8_t* layerRow, const Emit& emit);
    // After the layer's last row: emits the picture rows still to come.
    void Finish(const Emit& emit);

    // Whether the picture is the layer's rows as they are, every one of them and nothing else.
    bool LayerAsItIs() const;

    // The picture rows a picture made from the layer's first row on has emitted before it takes
    // layer row layerRow.
    int32_t RowsBefore(int32_t layerRow) const;
    // Makes a new picture go on from layer row layerRow as one that took the rows before it
    // would: the next Add takes that row. Emits nothing.
    void SkipTo(int32_t layerRow);

private:
    void Cut(int32_t x, int32_t y, int32_t width, int32_t height, int32_t channels);
    // Pixels of the layer's row into the picture's row, from the layer's column from on.
    void Place(const uint8_t* layerRow, int64_t from, int64_t to);
    void EmitBlankRowsUpTo(int32_t row, const Emit& emit);

    sdk::graphic::ImageInfo info_;
    const int32_t layerChannels_;
    int32_t sampleBytes_ = 1;
    const int32_t layerX_, layerY_, layerWidth_, layerHeight_;
    // The picture's rectangle in the document, and its layout.
    int32_t x_ = 0, y_ = 0, channels_ = 0, width_ = 0, height_ = 0;
    bool layerRowsAsTheyAre_ = false;  // the layer's rows are the picture's rows
    int32_t layerRow_ = 0;  // the layer row Add takes next
    int32_t emitted_ = 0;   // the picture rows emitted so far
    std::vector<uint8_t> row_;
};
