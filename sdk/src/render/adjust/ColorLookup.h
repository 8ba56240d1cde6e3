// Color Lookup ("clrL"): colours looked up in a 3D table that the document embeds (the text of
// a .cube or .3dl file), between its entries by trilinear interpolation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

class ColorLookup : public Adjustment {
public:
    // size entries per axis; table: size^3 entries of red, green, blue in 0 .. 1, red's index
    // changing fastest.
    ColorLookup(int32_t size, std::vector<float> table);
    void Apply(uint8_t* rgb, int32_t count) const override;

private:
    const float* Entry(int32_t r, int32_t g, int32_t b) const;
    int32_t size_;
    std::vector<float> table_;
};

// The table of a .cube file's text (LUT_3D_SIZE, DOMAIN_MIN, DOMAIN_MAX, then the entries), or
// nullptr when the text holds no whole table of 2 .. 256 entries per axis.
std::unique_ptr<Adjustment> ParseCubeTable(const std::string& text);
// The table of a .3dl file's text (a line of input levels, then integer entries, blue's index
// changing fastest), or nullptr likewise.
std::unique_ptr<Adjustment> Parse3dlTable(const std::string& text);

// The adjustment of a "clrL" block: a version, a descriptor version and a descriptor whose
// "LUT3DFileData" holds the table's file and "LUTFormat" its kind. nullptr when the layer
// uses a colour profile or a table of a kind that is not read (it is then not drawn); an
// empty descriptor (no table chosen) changes nothing. Raises kDamagedSettings for a damaged
// block.
std::unique_ptr<Adjustment> ReadColorLookup(const std::vector<uint8_t>& block);

}  // namespace render
}  // namespace sdk
