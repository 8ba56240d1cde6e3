// The MNG reader. An MNG is taken as a flat list of layers: every embedded PNG datastream
// (IHDR ... IEND) is one layer, with the offset of the DEFI, the delay of the FRAM and the
// "title" and "comment" texts (tEXt, or uncompressed iTXt) before it or inside it. Frames are
// not composed; loops and every other MNG chunk are ignored. The constructor scans the file
// once; pixels are decoded on demand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderMNG : public ImageLoader {
public:
    struct info_t : ImageInfo {
        int32_t offset = 0;  // stream position of the layer's IHDR chunk; 0: no IHDR seen
    };

    // Scans the file; raises "ImageLoaderMNG::Scan:96/101/102" for a file that is no MNG.
    explicit ImageLoaderMNG(stream::stream_in& stream);
    ~ImageLoaderMNG() override;
    const char* FormatName() const override;
    // An MNG has no single picture: empties image and describes the whole file.
    void Load(Image& image, ImageInfo& info) override;
    int32_t LayerCount() override;
    void LayerLoad(int32_t index, Image& image) override;
    void LayerInfo(int32_t index, ImageInfo& info) override;

private:
    void Scan();
    // Reads the 8 bytes of a chunk header; false when the stream cannot supply them whole.
    bool ReadChunkHeader();
    // The body of the chunk whose header was read last, which lies whole in the stream.
    std::vector<uint8_t> ReadBody();
    void LoadImage(const info_t& record, Image& image);

    stream::stream_in& stream;
    ImageInfo document;
    info_t current;
    std::vector<info_t> layers;
    int32_t chunkLength = 0;  // negative for a length above 2^31 - 1, which PNG forbids
    std::string chunkType;
};

// True when the stream starts with the 8 bytes of the MNG signature; false for a shorter
// stream. Leaves the stream after the bytes read.
bool IsMNGSignature(stream::stream_in& stream);

}  // namespace graphic
}  // namespace sdk
