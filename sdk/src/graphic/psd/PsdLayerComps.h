// The layer comps of a PSD document: named states of its layers that the editor switches between.
//
// Image resource 1065 lists them: a descriptor version (16) and a descriptor whose "list" holds a
// "Comp" object per comp, with its name ("Nm  "), its id ("compID"), what it captured of the
// layers ("capturedInfo": bit 0 their visibility, bit 1 their position, bit 2 their appearance)
// and a comment ("comment").
//
// What a comp makes of a layer is kept with the layer, in its metadata block ("shmd"): a count of
// items, each a signature ("8BIM"), a key, a byte that says whether the item goes with a
// duplicate of the layer, 3 bytes of padding, a length and the data. The item "cmls" holds a
// descriptor version (16) and a descriptor whose "layerSettings" list holds the layer's records,
// each naming the comps it belongs to ("compList") and holding what the layer is in them:
//  - "enab": whether it is visible;
//  - "Ofst" ("Hrzn", "Vrtc"): how far it lies right and down of where the document keeps it,
//    in pixels; "imageMask" and "vectorMask" may hold their own "Ofst" for the masks;
//  - "blendOptions": its opacity ("Opct") and fill opacity ("fillOpacity") in percent and its
//    blend mode ("Md  ", an enumeration of the "BlnM" type);
//  - "Lefx": its layer style, a descriptor as an effects block ("lfx2", "lmfx") holds; a record
//    of the layer's appearance without one says the layer has no style in its comps.
// A layer the comps were made without has no records; a comp without a record for a layer
// leaves the layer as the document keeps it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphic/psd/PsdDescriptor.h"

namespace sdk {
namespace graphic {

struct PsdLayerComp {
    std::u16string name;
    int32_t id = 0;
    // What the comp captured of the layers: which parts of their records it applies.
    bool visibility = false;
    bool position = false;
    bool appearance = false;
    std::u16string comment;
};

// A distance in whole pixels, right and down; present when the record holds one.
struct PsdCompOffset {
    bool present = false;
    int32_t x = 0;
    int32_t y = 0;
};

// One record of a layer's comps: each part present only where the record holds it.
struct PsdLayerCompRecord {
    // The ids of the comps the record belongs to.
    std::vector<int32_t> comps;

    bool hasVisible = false;
    bool visible = true;

    // How far the layer lies from where the document keeps it; its pixel mask's and its vector
    // mask's own distances, where the record says them apart.
    PsdCompOffset offset;
    PsdCompOffset maskOffset;
    PsdCompOffset vectorMaskOffset;

    // The record holds the layer's appearance ("blendOptions" or "Lefx").
    bool appearance = false;
    bool hasOpacity = false;
    uint8_t opacity = 255;
    bool hasFillOpacity = false;
    uint8_t fillOpacity = 255;
    bool hasBlendKey = false;
    char blendKey[4] = {'n', 'o', 'r', 'm'};
    // The layer style ("Lefx"); null when the record holds none.
    std::shared_ptr<const PsdDescriptorValue> effects;
};

// A layer whose comp records could not be read, and the tag of what is wrong with them.
struct PsdLayerCompDamage {
    int32_t layer = 0;
    std::string tag;
};

// The comps of the data of image resource 1065 (size bytes at data), in the order it lists them.
// Raises tag when the data is not a descriptor of version 16 or is cut short; an entry without an
// id is left out.
std::vector<PsdLayerComp> ReadPsdLayerComps(const uint8_t* data, size_t size, const char* tag);

// The comp records of the data of a layer's "shmd" block (size bytes at data); none when the
// block has no "cmls" item. Raises tag when an item runs past the block, the block ends inside
// one, the records are not a descriptor of version 16, or a record moves the layer farther than
// any document reaches.
std::vector<PsdLayerCompRecord> ReadPsdLayerCompRecords(const uint8_t* data, size_t size,
                                                        const char* tag);

}  // namespace graphic
}  // namespace sdk
