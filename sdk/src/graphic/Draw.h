// Block transfer between images of any two layouts.
//
// Draw replaces the destination pixels of the clipped rectangle by the source pixels converted
// to the destination layout; it never blends. Invalid images and rectangles that clip to nothing
// are ignored. Draw allocates nothing.
//
// Conversions (L = (R*76 + G*150 + B*30) >> 8):
//   gray        <- gray: G          grayA: G          colour: L         colourA: L
//   grayA       <- gray: 255,G      grayA: A,G        colour: 255,L     colourA: A,L
//   colour      <- gray: G,G,G      grayA: G,G,G      colour: B,G,R     colourA: B,G,R
//   colourA     <- gray: 255,G,G,G  grayA: A,G,G,G    colour: 255,B,G,R colourA: A,B,G,R
#pragma once

#include <cstdint>

#include "graphic/Image.h"

namespace sdk {
namespace graphic {

// Copies the w x h block at (sx, sy) of src to (dx, dy) of dst, clipped to both images.
void Draw(Image& dst, const Image& src, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
          int32_t sy);
// The whole of src at (dx, dy).
void Draw(Image& dst, const Image& src, int32_t dx, int32_t dy);
// The whole of src at (0, 0).
void Draw(Image& dst, const Image& src);

// One row of width pixels in the layout of srcChannels, converted into the layout of
// dstChannels as Draw converts (the same layout is copied). Channel counts are 1 to 4.
void ConvertRow(uint8_t* dst, int32_t dstChannels, const uint8_t* src, int32_t srcChannels,
                int32_t width);
// The same for rows of 16-bit samples (65535 opaque).
void ConvertRow16(uint16_t* dst, int32_t dstChannels, const uint16_t* src, int32_t srcChannels,
                  int32_t width);

}  // namespace graphic
}  // namespace sdk
