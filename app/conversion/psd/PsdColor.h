// What a document's colours become in its outputs, decided once per document from its colour
// mode, the profile it embeds and the colour asked for:
//
// - srgb: the numbers converted through the document's profile into sRGB, the PNGs marked sRGB.
//   A CMYK document's ink is converted as it is decoded (the layers are composed in sRGB); gray
//   and colour documents are composed in their own numbers and converted at the end.
// - keep: the numbers as they are, the document's gray or RGB profile carried in the PNGs; CMYK
//   and Lab, which PNG cannot carry, as with srgb.
// - none: the numbers as decoded (CMYK by the simple ink formula), nothing said about them.
// - auto: srgb where the numbers are not sRGB already (CMYK, Lab, gray whose profile is neither
//   sRGB's curve nor gamma 2.2, RGB of another profile), none elsewhere.
//
// A profile that is damaged, or that does not describe the document's colours, is left aside
// with a note; the document is then untagged. 32-bit documents, whose linear numbers are given
// sRGB's curve as they are made 8-bit, take their profile's primaries with that curve.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "conversion/Option.h"
#include "graphic/color/ColorTransform.h"
#include "graphic/png/PngColorTag.h"

namespace sdk {
namespace graphic {
class ImageLoaderPSD;
}
}  // namespace sdk

struct PsdColor {
    // The choice made: "srgb", "keep" or "none".
    std::string mode = "none";
    // The embedded profile's description, for the reports; empty without one.
    std::u16string profile;
    bool hasProfile = false;
    // What the PNGs say of their colours.
    sdk::graphic::PngColorTag tag;
    // The conversions of decoded rows at their end, without and with alpha, of 8-bit samples
    // and of 16-bit ones; null when the rows keep their numbers.
    std::shared_ptr<const sdk::graphic::ColorTransform> opaque, withAlpha, opaque16, withAlpha16;

    bool ConvertsRows() const { return opaque != nullptr; }
    // Converts a row of width pixels of channels samples (1 to 4) of sampleBytes bytes (1, or 2
    // for 16 bits) into out, which may be the row itself.
    void Convert(const uint8_t* row, uint8_t* out, int32_t channels, int32_t width,
                 int32_t sampleBytes = 1) const;
};

// Decides for psd, and sets its ink conversion where its CMYK is converted; notes gets what the
// user should know (a profile left aside, CMYK without a profile). sixteen: rows of 16-bit
// samples will be converted too.
PsdColor PlanPsdColor(sdk::graphic::ImageLoaderPSD& psd, ColorChoice asked,
                      const std::shared_ptr<const sdk::graphic::IccProfile>& cmykProfile,
                      std::vector<std::string>& notes, bool sixteen = false);
