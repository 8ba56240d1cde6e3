// What a PNG says about the meaning of its colours: nothing (a viewer takes them as it likes,
// usually as sRGB), sRGB (an sRGB chunk, with the gAMA and cHRM that older viewers read instead),
// or an ICC profile (an iCCP chunk; gray profiles for gray images, RGB ones for colour images).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sdk {
namespace graphic {

struct PngColorTag {
    enum class Kind { None, Srgb, Icc };
    Kind kind = Kind::None;
    std::string name;              // Icc: the profile's name, 1 to 79 printable Latin-1 bytes
    std::vector<uint8_t> profile;  // Icc: the profile
};

// The chunks that say what tag says, in a datastream this library frames itself (libpng writes
// them for ImageSaverPNG): gAMA, cHRM and sRGB for sRGB; iCCP, its profile compressed, for a
// profile; none for nothing.
struct PngChunk {
    char type[5];
    std::vector<uint8_t> body;
};
std::vector<PngChunk> ColorTagChunks(const PngColorTag& tag);

}  // namespace graphic
}  // namespace sdk
