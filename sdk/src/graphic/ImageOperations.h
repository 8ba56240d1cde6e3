// Whole-image operations: copying, layout conversion and alpha handling.
//
// Each operation checks first that its input images are valid and raises debug::logic_error
// otherwise, before anything is changed or allocated. Alpha is never premultiplied.
#pragma once

#include <cstdint>

#include "graphic/Image.h"

namespace sdk {
namespace graphic {

// Copies src into dst's raster. dst is re-created in src's layout first unless the two already
// share a format; otherwise the copy lands in dst's existing raster, seen by every handle on it.
void Copy(Image& dst, const Image& src);

// alpha = 255 - alpha on every pixel of a 2- or 4-channel image; other images are left alone.
void InvertAlpha(Image& image);

// Takes a white matte out of a 2- or 4-channel image whose colour was stored blended with white:
// colour = (stored - (255 - alpha)) * 255 / alpha, rounded and clamped to 0..255, on every pixel
// with alpha above 0. Fully transparent pixels and images without alpha are left alone.
void RemoveMatte(Image& image);
// The same on one row of width pixels of a 2- or 4-channel layout; other layouts are left alone.
void RemoveMatteRow(uint8_t* row, int32_t channels, int32_t width);
// The same on a row of 16-bit samples, with 65535 for 255.
void RemoveMatteRow16(uint16_t* row, int32_t channels, int32_t width);

// A new gray image of the alpha of every pixel (255 for images without alpha).
Image ExtractAlpha(const Image& image);

// A new image of the colour part alone: gray or colour, without alpha.
Image ExtractColor(const Image& image);

// Sets the alpha of every pixel of a 2- or 4-channel image from alpha. A gray alpha image of the
// same size is used as it is; any other is first drawn onto an all-255 gray image of image's
// size (colour contributes its luminance, parts not covered stay 255). Images without alpha are
// left alone.
void ChangeAlpha(Image& image, const Image& alpha);

// A new image of color's colour with alpha taken from alpha (see ChangeAlpha).
Image Merge(const Image& color, const Image& alpha);

// A new image of the given channel count holding image's pixels converted as Draw does.
Image Convert(const Image& image, int32_t channels);

}  // namespace graphic
}  // namespace sdk
