// The conversion of rows of pixels from a profile's colours into sRGB: relative colorimetric with
// black-point compensation, 8 bits a sample, through tables where they give what the engine gives
// (see ColorTables.h), else through the engine's optimised transforms.
// A transform is built once for a profile and layouts and shared by every thread and document
// that needs the same (a few are kept for the documents of a run that share a profile).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/color/IccProfile.h"

namespace sdk {
namespace graphic {

// The layouts of a row: gray (G), gray with alpha first (A G), colour (B G R), colour with alpha
// first (A B G R), and ink (C M Y K as a PSD stores them: 255 is no ink). Alpha is copied.
enum class ColorLayout { Gray, AlphaGray, Bgr, AlphaBgr, Ink };

// The samples of a pixel; whether one is alpha (the first); whether the colour is gray.
int32_t SamplesPerPixel(ColorLayout layout);
bool HasAlpha(ColorLayout layout);
bool IsGray(ColorLayout layout);

class ColorTables;

class ColorTransform {
public:
    ~ColorTransform();
    ColorTransform(const ColorTransform&) = delete;
    ColorTransform& operator=(const ColorTransform&) = delete;

    ColorLayout In() const { return in_; }
    ColorLayout Out() const { return out_; }
    // Converts pixels pixels of in into out (of the transform's sample size); in and out may be
    // the same row when the layouts take the same bytes.
    void Convert(const uint8_t* in, uint8_t* out, int32_t pixels) const;

private:
    friend std::shared_ptr<const ColorTransform> TransformToSrgb(const IccProfile&, ColorLayout,
                                                                 ColorLayout, std::string&,
                                                                 int32_t);
    ColorTransform(void* handle, ColorLayout in, ColorLayout out);

    void* handle_;
    ColorLayout in_, out_;
    std::unique_ptr<ColorTables> tables_;  // null: every pixel through the engine
};

// From profile's colours in layout in to sRGB in layout out, of 8-bit samples, or of 16-bit ones
// (in the machine's byte order) when sampleBytes is 2: a gray layout out is gray with sRGB's tone
// curve (what a PNG marked sRGB means by gray), from a gray profile only. Null with the reason in
// problem when the profile does not describe the layout in's colours or the engine cannot join
// it to sRGB.
std::shared_ptr<const ColorTransform> TransformToSrgb(const IccProfile& profile, ColorLayout in,
                                                      ColorLayout out, std::string& problem,
                                                      int32_t sampleBytes = 1);

// How far, in 8-bit levels, a gray or colour profile's numbers lie from the same numbers taken as
// sRGB, over a grid of colours: 0 for sRGB itself. -1 when it cannot be worked out.
int32_t DistanceFromSrgb(const IccProfile& profile);
// How far a gray profile's numbers lie from gray of gamma 2.2 (which viewers take for sRGB gray).
int32_t DistanceFromGamma22(const IccProfile& profile);

// A profile with profile's primaries and white (of an RGB matrix profile) or white (of a gray
// one) and sRGB's tone curves: what the numbers of a linear document mean once they have been
// given sRGB's curve. Null with the reason in problem for a profile of another kind.
std::shared_ptr<const IccProfile> WithSrgbCurves(const IccProfile& profile, std::string& problem);

}  // namespace graphic
}  // namespace sdk
