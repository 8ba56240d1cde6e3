// The colour of a solid colour fill layer: the descriptor of its "SoCo" block, which holds one
// colour object ("Clr ") of red, green and blue values ("RGBC") or a gray value ("Grsc").
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdk {
namespace graphic {

// Reads the data of a "SoCo" block into rgb (0 .. 255 each). False when the block holds no
// colour of those kinds or its descriptor is not one this reader follows.
bool ReadPsdFillColour(const uint8_t* data, size_t size, uint8_t (&rgb)[3]);

}  // namespace graphic
}  // namespace sdk
