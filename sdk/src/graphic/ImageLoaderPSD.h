// The reader of layered PSD documents (version 1, 8 bits per channel, grayscale, indexed or RGB).
//
// The constructor scans the whole file once and builds a table of records: one for the merged
// image and one per layer, each with its rectangle, name, blend-mode key and, per channel, where
// the channel's data lies and whether it is raw or PackBits-compressed. Pixels are decoded only
// when Load or LayerLoad asks for them, from the positions recorded by the scan.
//
// Files that are cut short or whose lengths and counts do not fit the file are refused with a
// runtime error before anything is sized by the numbers they declare.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderPSD : public ImageLoader {
public:
    // One image of the document: the merged image or a layer.
    struct info_t : ImageInfo {
        struct channel_t {
            // 0 .. colorChannels - 1: colour components in file order; 0xFFFF: transparency;
            // -1: ignored (layer masks, extra channels). A layer channel may also carry
            // colorChannels itself.
            int32_t id = 0;
            // Layer channel: its length from the layer record, compression field included.
            // Merged channel: the byte count of its data.
            int32_t length = 0;
            int32_t countsOffset = 0;  // position of the RLE row counts; 0 when raw
            int32_t dataOffset = 0;    // position of the first data byte
        };
        std::vector<channel_t> channels;
        // Records of layer masks (ids -2 and -3) among the channels: they hold no pixels of
        // the layer and do not count toward its alpha.
        int32_t masks = 0;
    };

    explicit ImageLoaderPSD(stream::stream_in& stream);

    const char* FormatName() const override { return "PSD"; }
    void Load(Image& image, ImageInfo& info) override;
    int32_t LayerCount() override { return static_cast<int32_t>(layers.size()); }
    void LayerLoad(int32_t index, Image& image) override;
    void LayerInfo(int32_t index, ImageInfo& info) override;

    // The records the scan built, for callers that report on the document's structure.
    uint8_t ColorMode() const { return colorMode; }
    const info_t& MergedRecord() const { return merged; }
    const info_t& LayerRecord(int32_t index) const;

private:
    void Scan();
    void ScanLayer();
    void ScanLayerInfo(info_t& layer);
    void LoadImage(const info_t& record, Image& image);
    void StoreChannelRow(uint8_t* rowStart, const uint8_t* source, int32_t channels,
                         int32_t width, int32_t id) const;
    static void UnpackBits(uint8_t* destination, int32_t width, const uint8_t* source,
                           int32_t count);

    stream::stream_in& stream;
    int64_t fileSize = 0;
    uint8_t colorMode = 0xFF;
    int32_t colorChannels = 0;
    int32_t outputColors = 0;
    info_t merged;
    std::vector<info_t> layers;
    std::vector<uint8_t> paletteR, paletteG, paletteB;
};

}  // namespace graphic
}  // namespace sdk
