// One pattern of the document's pattern blocks, decoded for the renderer: a tile of straight
// RGBA pixels (gray repeated) that pattern fills repeat over the document.
//
// A pattern block holds patterns one after another, each a length and its data padded to 4
// bytes: a version (1), the image mode, the height and width, a Unicode name, the identifier
// (a Pascal string), an indexed pattern's colour table, and a list of channels: a version (3),
// a length, the rectangle, a channel count and then that many channels and two more (a user
// mask and, last, the transparency), each written or not, raw or PackBits rows of 8 or 16
// bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphic/color/ColorTransform.h"
#include "graphic/psd/ImageLoaderPSD.h"

namespace sdk {
namespace render {

struct PatternTile {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // width x height pixels of 4 bytes, rows top first

    const uint8_t* At(int32_t x, int32_t y) const
    {
        return &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
    }
};

// The pattern of the document's pattern blocks with identifier id (trailing zeros aside), its
// CMYK made colour as the document's images are, or
// nullptr when none has it or its pixels are of a kind not drawn (bitmap, 32 bits, duotone,
// multichannel). Raises kDamagedSettings for a block whose patterns do not fit it, or a pattern
// whose pixels its data cannot hold, before anything is sized by them;
// "ImageLoaderPSD::LayerBlock:470" for a pattern larger than real ones are (64 MiB, stored or
// decoded).
std::unique_ptr<PatternTile> FindPatternTile(graphic::ImageLoaderPSD& loader,
                                             const std::string& id);

// The patterns one drawing uses, each decoded once however many fills name it; together they
// hold at most kMostBytes, so that fills naming large patterns cannot multiply the memory.
class PatternTiles {
public:
    static const size_t kMostBytes = size_t(256) << 20;
    // As FindPatternTile, kept for the next fill that names it; raises
    // "ImageLoaderPSD::LayerBlock:470" once the patterns found hold more than kMostBytes.
    std::shared_ptr<const PatternTile> Find(graphic::ImageLoaderPSD& loader, const std::string& id);

private:
    std::map<std::string, std::shared_ptr<const PatternTile>> tiles_;
    size_t bytes_ = 0;
};

// Decodes the data of one pattern (after its length). Raises as FindPatternTile. The ink of a
// CMYK pattern is made colour through ink (ink in, B G R out) where given, else by the simple
// formula.
std::unique_ptr<PatternTile> DecodePatternTile(const std::vector<uint8_t>& data,
                                               const graphic::ColorTransform* ink = nullptr);

}  // namespace render
}  // namespace sdk
