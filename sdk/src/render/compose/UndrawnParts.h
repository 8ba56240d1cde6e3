// What the renderer leaves out when it draws a document: adjustment layers it cannot draw (a
// color lookup through a colour profile, say), and fill layers and layer effects whose gradient
// or pattern it cannot paint. Callers say so, so that nothing is drawn wrong in silence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/PatternTile.h"

namespace sdk {
namespace render {

// The parts of layer index that are not drawn, in words ("pattern overlay", "gradient fill",
// "color lookup"); empty when the renderer draws all of it ("layer effects" when their
// settings cannot be read, which drawing them raises). Raises what reading the layer's
// adjustment and fill settings raises.
std::vector<std::string> UndrawnParts(graphic::ImageLoaderPSD& loader, int32_t index);
// The same with the patterns that the fills asked about before left decoded in tiles.
std::vector<std::string> UndrawnParts(graphic::ImageLoaderPSD& loader, int32_t index,
                                      PatternTiles& tiles);

struct UndrawnLayer {
    int32_t layer = -1;
    std::vector<std::string> parts;
};

// The layers shown (visible, in visible groups) of which something is not drawn, in record
// order. Raises what the loader's LayerTree raises, and what UndrawnParts raises.
std::vector<UndrawnLayer> UndrawnLayers(graphic::ImageLoaderPSD& loader);

}  // namespace render
}  // namespace sdk
