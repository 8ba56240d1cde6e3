// The vector mask of a layer: the path of a "vmsk" or "vsms" block.
//
// The block holds a version, flags and then records of 26 bytes: subpath length records that
// say how many knot records follow and how the subpath combines with those before it, knot
// records of three points each, and fill rule records. Points are stored as fractions of the
// document's height and width (fixed point, 8 bits before the binary point, 24 after), vertical
// first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sdk {
namespace graphic {

// A point as a fraction of the document: x of its width, y of its height.
struct PsdPathPoint {
    double x = 0;
    double y = 0;
};

// A knot: the anchor and its two control points (the one before it and the one after it).
struct PsdPathKnot {
    PsdPathPoint before;
    PsdPathPoint anchor;
    PsdPathPoint after;
};

struct PsdSubpath {
    // How the subpath combines with those before it. kNone: the subpath has no operation of its
    // own. Newer editors write it for the further subpaths of one shape (a letter and its holes),
    // which belong to the shape that comes before them; older editors store no operation at all
    // (the length record's other bytes are zero), and every subpath reads as kNone.
    enum Operation : int16_t { kNone = -1, kXor = 0, kUnion = 1, kSubtract = 2, kIntersect = 3 };
    // Open subpaths are read as they are; drawn as an area, they close with a straight line.
    bool closed = true;
    int16_t operation = kNone;
    std::vector<PsdPathKnot> knots;
};

struct PsdVectorMask {
    bool invert = false;
    bool notLinked = false;
    bool disabled = false;
    // The initial fill rule record: the path starts from a fully covered area.
    bool startsFilled = false;
    std::vector<PsdSubpath> subpaths;
};

// Reads the data of a "vmsk" or "vsms" block (after its length). A block too short for its
// version and flags, of a version other than 3, or a subpath that announces more knot records
// than follow (or records of another kind among them) raises tag. Records of unknown types,
// knots outside a subpath and a trailing partial record are skipped; an operation of an
// unknown value reads as kUnion, the editor's default.
PsdVectorMask ReadPsdVectorMask(const uint8_t* data, size_t length, const char* tag);

}  // namespace graphic
}  // namespace sdk
