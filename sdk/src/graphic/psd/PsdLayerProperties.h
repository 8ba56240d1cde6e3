// What a layer record says about how the layer is shown, beyond its pixels: visibility,
// opacities, clipping, blend mode, its place in the group structure, its masks, its blending
// ranges and what kind of layer it is. The scan reads these from the record and its additional
// information blocks; a block it does not know is skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdFormat.h"
#include "graphic/psd/PsdVectorMask.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// A layer's pixel mask: a rectangle of the document holding one 8-bit value per pixel, and the
// value of every pixel outside it.
struct PsdLayerMask {
    bool present = false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t defaultColor = 0;
    bool disabled = false;
    // The mask's position is relative to the layer (it moves with it).
    bool relativePosition = false;
    // The mask the editor made from the layer's vector mask, not one the user painted.
    bool fromVectorData = false;
    // The user's own mask, kept beside one made from the vector mask (in the channel with the id
    // -3 instead of -2).
    bool real = false;
    // The user mask's density, 255 when the mask applies in full.
    uint8_t density = 255;
    // The vector mask's density.
    uint8_t vectorDensity = 255;
    // How far the user mask and the vector mask are feathered (blurred), in pixels; 0 when not.
    double feather = 0;
    double vectorFeather = 0;
};

// A blending range ("blend if"): values below black[0] or above white[1] hide the pixel; between
// black[0] and black[1], and between white[0] and white[1], it fades.
struct PsdBlendRange {
    uint8_t black[2] = {0, 0};
    uint8_t white[2] = {255, 255};
    bool IsFull() const { return black[1] == 0 && white[0] == 255; }
};

// Where a block that the renderer reads lies in the file: its key, the position of its data and
// the data's length, which the scan has checked to lie within the record.
struct PsdBlockPlace {
    char key[4] = {};
    int64_t start = 0;
    int64_t length = 0;
};

// A document's resolution: pixels per inch across and down, and the unit the editor shows each
// in (1 pixels per inch, 2 pixels per centimetre).
struct PsdResolution {
    bool present = false;
    double horizontal = 72, vertical = 72;
    uint16_t horizontalUnit = 1, verticalUnit = 1;
};

// An artboard: a group with a rectangle of its own that cuts what it holds, and a background.
struct PsdArtboard {
    enum Background { White = 1, Black = 2, Transparent = 3, Colour = 4 };
    bool present = false;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t background = White;
    uint8_t colour[3] = {255, 255, 255};  // the background's red, green, blue when Colour
};

struct PsdLayerProperties {
    enum class Kind { Pixel, Type, Shape, SmartObject, Fill, Adjustment, Group };
    // The layer's role in the group structure: the record that opens a group in the layer list
    // (the folder, open or closed, kept above its children) or the hidden divider that bounds the
    // group below its children.
    enum class Section { None, OpenFolder, ClosedFolder, Divider };

    bool visible = true;
    uint8_t opacity = 255;
    uint8_t fillOpacity = 255;
    // Clipped to the layer below it (the base of its clipping group).
    bool clipping = false;
    char blendKey[4] = {'n', 'o', 'r', 'm'};
    Kind kind = Kind::Pixel;
    Section section = Section::None;
    // A layer whose pixels the editor ignores when it composes the document.
    bool pixelsIrrelevant = false;

    PsdLayerMask mask;
    bool hasVectorMask = false;
    PsdVectorMask vectorMask;

    // The gray range, then one per colour channel; source (this layer) and destination (what
    // lies below). Empty when the record has none.
    std::vector<PsdBlendRange> sourceRanges;
    std::vector<PsdBlendRange> destinationRanges;
    bool blendClippedAsGroup = true;
    bool blendInteriorAsGroup = false;
    uint8_t knockout = 0;  // 0 none, 1 shallow, 2 deep
    bool hasEffects = false;
    // The colour channels the layer does not blend into ("brst"): bit i for channel i (red,
    // green, blue; gray is 0). What lies below keeps them.
    uint8_t restrictedChannels = 0;
    // The point the layer's effects are anchored at ("fxrp"), in document pixels: a pattern
    // overlay linked with the layer starts its tiles there.
    bool hasEffectsOrigin = false;
    double effectsOrigin[2] = {0, 0};
    // A solid colour fill's colour (red, green, blue).
    bool hasFillColour = false;
    uint8_t fillColour[3] = {0, 0, 0};

    // The artboard a group is ("artb", "artd", "abdd"); a block that cannot be read leaves the
    // group a plain one.
    PsdArtboard artboard;

    // The blocks the renderer reads when it draws the layer: an adjustment's settings, a
    // gradient or pattern fill, the newer brightness and contrast ("CgEd"), the layer effects
    // ("lfx2", "lmfx").
    std::vector<PsdBlockPlace> drawingBlocks;

    // The layer style a layer comp gives the layer in place of its effects blocks (the descriptor
    // an "lfx2" block holds); null when the blocks, if any, hold it.
    std::shared_ptr<const PsdDescriptorValue> compEffects;

    // The blocks that say what the layer is without changing how it is drawn: the type tool's
    // text ("TySh"), a placed file's placement ("SoLd", "SoLE", "PlLd" or "plLd") and the
    // layer's metadata ("shmd", which keeps the layer comps' records). Read when a report asks
    // for them.
    std::vector<PsdBlockPlace> describingBlocks;

    // The layer's Unicode name ("luni"), as UTF-16 code units; empty when the record has none.
    std::u16string unicodeName;
    // The layer's id ("lyid"), unique within the document and kept when layers move.
    bool hasLayerId = false;
    uint32_t layerId = 0;
    // What is locked ("lspf"): bit 0 transparency, bit 1 pixels, bit 2 position, bit 3
    // artboard nesting; bit 31 everything.
    uint32_t locks = 0;
    // The layer panel's colour label ("lclr"): 0 none, 1 red, 2 orange, 3 yellow, 4 green,
    // 5 blue, 6 violet, 7 gray.
    uint16_t colorLabel = 0;

    // The tag of the first damage met in the record's mask data or blocks; empty when none.
    std::string damage;
};

// Where the parts of a layer record lie in the file: the four bytes of opacity, clipping, flags
// and filler (after the blend-mode key); the mask data and blending ranges (after their length
// fields); the additional information blocks; the record's end. The scan has checked that each
// lies within the record.
struct PsdLayerRecordSpan {
    int64_t fields = 0;
    int64_t maskData = 0;
    int64_t maskLength = 0;
    int64_t blending = 0;
    int64_t blendingLength = 0;
    int64_t blocks = 0;
    int64_t end = 0;
};

// Reads the properties of the record at span. Damage is kept in the result's damage field, not
// raised: the tags "ImageLoaderPSD::LayerProperties:400" (a block whose length runs past the
// record), ":410" (mask data), ":420" (a vector mask), ":430" (a section divider or other block
// too short for its fields).
PsdLayerProperties ReadPsdLayerProperties(stream::stream_in& stream, const PsdFormat& format,
                                          const PsdLayerRecordSpan& span);

}  // namespace graphic
}  // namespace sdk
