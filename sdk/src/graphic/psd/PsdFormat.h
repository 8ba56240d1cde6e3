// What decoding any image of a PSD document takes from the document as a whole: its version,
// depth and colour mode, the channels a pixel has in the file and after decoding, the size of
// the file and the palette of an indexed document; and the document's global light, which
// layer effects may follow.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/color/ColorTransform.h"

namespace sdk {
namespace graphic {

struct PsdFormat {
    // Colour modes of the header.
    enum : uint8_t {
        kBitmap = 0,
        kGrayscale = 1,
        kIndexed = 2,
        kRgb = 3,
        kCmyk = 4,
        kMultichannel = 7,
        kDuotone = 8,
        kLab = 9,
    };

    uint16_t version = 1;  // 2: the large document format
    int32_t depth = 8;     // bits per sample: 1, 8, 16 or 32
    uint8_t colorMode = 0xFF;
    int32_t colorChannels = 0;  // colour channels stored in the file
    int32_t outputColors = 0;   // colour bytes of a decoded pixel: 1 gray, 3 colour
    int64_t fileSize = 0;
    std::vector<uint8_t> paletteR, paletteG, paletteB;  // 256 each in an indexed document
    // The global light (image resources 1037 and 1049), in degrees: the angle counter-clockwise
    // from the right, the altitude above the plane. The editor's defaults where the document
    // says nothing or something out of range.
    double globalAngle = 30;
    double globalAltitude = 30;
    // How a CMYK document's ink becomes colour: through these transforms (ink in, B G R out; of
    // 8-bit samples, and of 16-bit ones for rows of 16 bits), or by the simple formula (each
    // colour value times black) where null.
    std::shared_ptr<const ColorTransform> inkToColor, inkToColor16;
    // Pictures drawn from the layers (composed, as shown) take the layers' 16-bit samples and
    // give 16-bit ones (a document of 16 or 32 bits whose outputs keep 16 bits).
    bool drawSixteen = false;

    // The bytes of a PackBits row count: 4 in the large document format, 2 otherwise.
    int32_t RowCountSize() const { return version == 2 ? 4 : 2; }
    // In a colour document (RGB, CMYK, Lab) a channel with the id colorChannels is taken as
    // transparency.
    bool IsExtraColourId(int32_t id) const { return colorChannels > 1 && id == colorChannels; }
    // Whether an additional information block of this 4-character key has an 8-byte length.
    bool BlockHasWideLength(const char* key) const;
};

}  // namespace graphic
}  // namespace sdk
