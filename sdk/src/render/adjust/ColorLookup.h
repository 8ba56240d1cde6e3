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

struct ColorLookupSettings {
    // What the layer looks colours up in: no table chosen (it changes nothing), the text of a
    // .cube or .3dl file, or what is not drawn (a colour profile, a table of another kind).
    enum class Table { None, Cube, ThreeDL, Other };
    Table table = Table::None;
    std::string text;     // the table's file
    std::u16string name;  // the file's name ("LUT3DFileName"), where the block keeps it
};

// The settings of a "clrL" block: a version, a descriptor version and a descriptor whose
// "LUT3DFileData" holds the table's file and "LUTFormat" its kind. Raises kDamagedSettings for
// a damaged block.
ColorLookupSettings ReadColorLookupSettings(const std::vector<uint8_t>& block);
// The adjustment of the settings: nullptr for a table that is not drawn or whose text holds no
// whole table.
std::unique_ptr<Adjustment> MakeColorLookup(const ColorLookupSettings& settings);

}  // namespace render
}  // namespace sdk
