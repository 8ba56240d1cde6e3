// Where a placed layer (a smart object) puts the file it shows: its "SoLd" or "SoLE" block, or
// the older "PlLd" ("plLd") that the editor keeps beside them for older readers.
//
// "SoLd" and "SoLE" hold "soLD", a version (4 or 5) and a versioned descriptor: "Idnt" (the
// unique id of the linked file, see PsdLinkedFiles.h), "placed" (the placement's own id), "PgNm"
// and "totalPages", "Type", "Trnf" (a list of eight numbers: the x and y of the content's top
// left, top right, bottom right and bottom left corners in the document),
// "nonAffineTransform", "warp", "Sz  " (the content's own width and height, "Wdth" and
// "Hght"), "Rslt" (its resolution) and more. "PlLd" holds "plcL", a version (3), the unique id
// as a Pascal string, the page, the total pages, the anti-aliasing, the layer type, the eight
// numbers of the corners as doubles, a warp version and a versioned descriptor of the warp,
// whose "bounds" are the content's rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sdk {
namespace graphic {

class ImageLoaderPSD;

struct PsdPlacement {
    std::string id;        // the unique id of the linked file placed
    std::string placedId;  // the placement's own id ("placed"); empty in "PlLd"
    int32_t page = 1;
    int32_t totalPages = 1;
    int32_t type = 0;  // 0 unknown, 1 vector, 2 raster, 3 image stack
    // The content's corners in the document: x and y of the top left, top right, bottom right
    // and bottom left ones.
    double corners[8] = {};
    // The content's own size, in its pixels; 0 where the block says none.
    double width = 0;
    double height = 0;
    double resolution = 0;  // pixels per inch; 0 where the block says none
};

// Reads a placement block of key "SoLd", "SoLE", "PlLd" or "plLd" from size bytes at data.
// Raises "ImageLoaderPSD::PlacedLayer:600" for another key, identifier or version, ":610" for a
// block that ends inside its fields, ":620" for a damaged descriptor, ":630" for a placement
// without the linked file's id or four corners.
PsdPlacement ReadPsdPlacement(const char (&key)[4], const uint8_t* data, size_t size);

// The placement of the layer at index: from its "SoLd" or "SoLE" block, else from its "PlLd" or
// "plLd"; false when it has none of them (it is no placed layer). Raises what ReadPsdPlacement
// and LayerBlock raise.
bool ReadPsdLayerPlacement(ImageLoaderPSD& psd, int32_t index, PsdPlacement& placement);

// What a damage tag of ReadPsdPlacement means, in words ("the block ends inside its fields");
// empty for another tag.
std::string PsdPlacementDamage(const std::string& tag);

}  // namespace graphic
}  // namespace sdk
