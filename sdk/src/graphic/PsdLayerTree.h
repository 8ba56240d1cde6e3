// The group structure of a PSD document's layers. The file keeps its layers as one list, bottom
// first: a group is a hidden divider record, then its children, then the group's own record (the
// folder, carrying the group's name, visibility, opacity, blend mode and masks).
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/ImageLoaderPSD.h"

namespace sdk {
namespace graphic {

struct PsdLayerNode {
    // The layer's record, or the group's folder record; -1 for the document itself.
    int32_t layer = -1;
    bool group = false;
    // A group's children, bottom first as the file keeps them.
    std::vector<PsdLayerNode> children;
};

// The deepest nesting of groups the tree takes.
const int32_t kMaxPsdGroupDepth = 24;

// Builds the tree of the loader's layers: the document's node, whose children are the layers
// and groups outside any group. A folder without a divider below it is a group without
// children; a divider never closed leaves its children to the group around it. Groups nested
// deeper than kMaxPsdGroupDepth raise "ImageLoaderPSD::LayerTree:450".
PsdLayerNode BuildPsdLayerTree(ImageLoaderPSD& loader);

}  // namespace graphic
}  // namespace sdk
