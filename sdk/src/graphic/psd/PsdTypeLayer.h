// The text of a type layer: its "TySh" block.
//
// The block holds a version (1), the transform from the text's own space to the document (six
// doubles: xx, xy, yx, yy, tx, ty; a point (x, y) goes to (xx x + yx y + tx, xy x + yy y + ty)),
// the text settings' version (50) and their descriptor (with its version, 16), the warp's
// version (1) and its descriptor, and the text's bounds (four 32-bit values: left, top, right,
// bottom). The text settings keep the characters ("Txt "), the orientation ("Ornt"), the
// anti-aliasing ("AntA") and the engine data ("EngineData", see PsdEngineData.h), which holds
// the paragraphs and the style runs: each run a number of characters and the style sheet data
// that differs from the document's style sheet.
//
// Damaged blocks raise one of these tags:
//   "ImageLoaderPSD::TypeLayer:510"  the block ends before a fixed field (a version, the
//                                    transform, the bounds)
//   "ImageLoaderPSD::TypeLayer:515"  a version other than those above
//   "ImageLoaderPSD::TypeLayer:520"  the text or warp settings are damaged (a size or count
//                                    beyond the block among them), or hold no text or no
//                                    engine data
//   "ImageLoaderPSD::TypeLayer:530"  the engine data is malformed
//   "ImageLoaderPSD::TypeLayer:535"  the engine data is nested without end
//   "ImageLoaderPSD::TypeLayer:540"  the engine data holds more values than any text has
//   "ImageLoaderPSD::TypeLayer:550"  the style runs do not fit: no runs, not as many lengths as
//                                    runs, a length that is negative, not whole or beyond
//                                    32 bits, or a font the document's font set does not have
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sdk {
namespace graphic {

extern const char kPsdTypeLayerCutShort[];   // "ImageLoaderPSD::TypeLayer:510"
extern const char kPsdTypeLayerVersion[];    // "ImageLoaderPSD::TypeLayer:515"
extern const char kPsdTypeLayerSettings[];   // "ImageLoaderPSD::TypeLayer:520"
extern const char kPsdTypeLayerStyleRuns[];  // "ImageLoaderPSD::TypeLayer:550"

// One style run: the characters it covers and their style, the run's own style sheet data over
// the default run's and over the document's style sheet that its paragraph names.
struct PsdTextStyle {
    // The characters, in UTF-16 units of the text. The editor's runs cover the line end it keeps
    // after the text as well; here they end with the text (the first run is kept, of length 0,
    // for an empty text).
    int32_t start = 0;
    int32_t length = 0;
    // The font's PostScript name, from the document's font set; empty when no style names one.
    std::u16string font;
    // The size in document pixels: the font size times the transform's vertical scale (the
    // length of (yx, yy)), which the editor multiplies it by to draw it.
    double size = 0;
    // The fill colour (red, green, blue, alpha), when the style gives it as RGB.
    bool hasColor = false;
    uint8_t color[4] = {0, 0, 0, 255};
    bool fauxBold = false;
    bool fauxItalic = false;
    // In thousandths of an em.
    double tracking = 0;
    // The leading, in document pixels as size is, when it is not automatic.
    bool autoLeading = true;
    double leading = 0;
};

struct PsdTypeLayer {
    // The characters, as the text settings keep them: paragraphs end with "\r" (the last
    // without one), a line break within a paragraph is U+0003.
    std::u16string text;
    double transform[6] = {1, 0, 0, 1, 0, 0};
    std::vector<PsdTextStyle> styles;
    // The first paragraph's: "left", "right", "center", "justifyLeft", "justifyRight",
    // "justifyCenter" or "justifyAll".
    std::string justification = "left";
    // "horizontal" or "vertical".
    std::string orientation = "horizontal";
    // "none", "sharp", "crisp", "strong", "smooth", "platformLcd", "platformGray"; the stored
    // value for others; empty when the block says none.
    std::string antiAlias;
    // The warp's style as stored ("warpNone", "warpArc", ...); empty when it has none.
    std::string warpStyle;
    // The bounds the block ends with, as stored (left, top, right, bottom).
    int32_t bounds[4] = {0, 0, 0, 0};
};

// Reads the data of a "TySh" block (after its length). Raises the tags above.
PsdTypeLayer ReadPsdTypeLayer(const uint8_t* data, size_t size);

}  // namespace graphic
}  // namespace sdk
