// The group structure of a PSD document's layers. The file keeps its layers as one list, bottom
// first: a group is a hidden divider record, then its children, then the group's own record (the
// folder, carrying the group's name, visibility, opacity, blend mode and masks).
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"

namespace sdk {
namespace graphic {

// A rectangle of document coordinates; right and bottom are the first column and row outside.
// Wide enough for the union of any rectangles a file can give.
struct PsdLayerArea {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    int64_t Width() const { return Empty() ? 0 : right - left; }
    int64_t Height() const { return Empty() ? 0 : bottom - top; }
};

struct PsdLayerNode {
    // The layer's record, or the group's folder record; -1 for the document itself.
    int32_t layer = -1;
    bool group = false;
    // A group's children, bottom first as the file keeps them.
    std::vector<PsdLayerNode> children;
    // A layer's own rectangle (empty when it has no pixels); for a group, the union of its
    // children's (their own records' rectangles are not looked at).
    PsdLayerArea area;
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
