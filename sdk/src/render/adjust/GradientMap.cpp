#include "render/adjust/GradientMap.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/adjust/SettingsBytes.h"
#include "render/adjust/Threshold.h"

namespace sdk {
namespace render {

namespace {

// A colour of four 16-bit components in the editor's colour space: 0 RGB, 1 HSB, 2 CMYK, 8
// gray (0 .. 10000, of black). Others read as black.
void StopColour(uint16_t space, const uint16_t (&value)[4], float (&rgb)[3])
{
    rgb[0] = rgb[1] = rgb[2] = 0;
    if (space == 0) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = value[i] / 257.0f;
    } else if (space == 1) {
        graphic::PsdDescriptorValue hsb;
        hsb.classId = "HSBC";
        const char* keys[3] = {"H   ", "Strt", "Brgh"};
        const double scale[3] = {360.0 / 65536, 100.0 / 65535, 100.0 / 65535};
        for (int i = 0; i < 3; ++i) {
            hsb.items.emplace_back();
            hsb.items.back().key = keys[i];
            hsb.items.back().type = graphic::PsdDescriptorValue::Type::Number;
            hsb.items.back().number = value[i] * scale[i];
        }
        ReadDescriptorColour(hsb, rgb);
    } else if (space == 2) {
        // Inks stored inverted (65535 no ink), without a colour profile.
        for (int i = 0; i < 3; ++i)
            rgb[i] = value[i] / 65535.0f * value[3] / 257.0f;
    } else if (space == 8) {
        rgb[0] = rgb[1] = rgb[2] = 255 - std::min<uint16_t>(value[0], 10000) * 0.0255f;
    }
}

}  // namespace

GradientMap::GradientMap(const GradientRamp& ramp, bool reverse, bool gray)
{
    for (int v = 0; v < 256; ++v) {
        const float t = (reverse ? 255 - v : v) / 255.0f;
        const float* colour = ramp.At(t);
        for (int c = 0; c < 3; ++c)
            colours_[v][c] = ToLevel(colour[c] * 255.0);
        if (gray) {
            const uint8_t value = static_cast<uint8_t>(Threshold::Luminance(colours_[v]));
            colours_[v][0] = colours_[v][1] = colours_[v][2] = value;
        }
    }
}

void GradientMap::Apply(uint8_t* rgb, int32_t count) const
{
    for (int32_t x = 0; x < count; ++x) {
        uint8_t* pixel = rgb + x * 3;
        const uint8_t* colour = colours_[Threshold::Luminance(pixel)];
        pixel[0] = colour[0];
        pixel[1] = colour[1];
        pixel[2] = colour[2];
    }
}

GradientMapSettings ReadGradientMapSettings(const std::vector<uint8_t>& block)
{
    GradientMapSettings settings;
    GradientRamp& ramp = settings.ramp;
    SettingsBytes bytes(block);
    const uint16_t version = bytes.U16();
    if (version != 1 && version != 3)
        SettingsBytes::Fail();
    settings.reverse = bytes.U8() != 0;
    settings.dither = bytes.U8() != 0;
    if (version == 3) {
        std::string method(4, ' ');
        for (char& c : method)
            c = static_cast<char>(bytes.U8());
        ramp.method = GradientMethodOf(method);
    }
    const uint32_t nameUnits = bytes.U32();
    if (nameUnits > bytes.Left() / 2)
        SettingsBytes::Fail();
    bytes.Skip(static_cast<size_t>(nameUnits) * 2);
    // Colour stops of 20 bytes, transparency stops of 10: the counts are checked against the
    // bytes left before any stop is kept.
    const uint16_t colours = bytes.U16();
    if (colours == 0 || colours > GradientRamp::kMostStops || colours > bytes.Left() / 20)
        SettingsBytes::Fail();
    for (uint16_t i = 0; i < colours; ++i) {
        GradientRamp::ColourStop stop;
        stop.location = static_cast<int32_t>(std::min<uint32_t>(bytes.U32(), 4096));
        stop.midpoint = static_cast<int32_t>(std::min<uint32_t>(bytes.U32(), 100));
        const uint16_t space = bytes.U16();
        uint16_t value[4];
        for (uint16_t& component : value)
            component = bytes.U16();
        bytes.Skip(2);
        StopColour(space, value, stop.rgb);
        ramp.colours.push_back(stop);
    }
    const uint16_t opacities = bytes.U16();
    if (opacities > GradientRamp::kMostStops || opacities > bytes.Left() / 10)
        SettingsBytes::Fail();
    bytes.Skip(static_cast<size_t>(opacities) * 10);
    bytes.U16();  // expansion
    ramp.smoothness = std::min<int32_t>(bytes.U16(), 4096);
    bytes.U16();  // length
    ramp.noise = bytes.U16() != 0;  // the gradient's form: 0 custom stops, 1 noise
    if (!ramp.noise)
        ramp.Build();
    return settings;
}

std::unique_ptr<Adjustment> MakeGradientMap(const GradientMapSettings& settings, bool gray)
{
    if (settings.ramp.noise)
        return nullptr;
    return std::unique_ptr<Adjustment>(new GradientMap(settings.ramp, settings.reverse, gray));
}

std::unique_ptr<Adjustment> ReadGradientMap(const std::vector<uint8_t>& block, bool gray)
{
    return MakeGradientMap(ReadGradientMapSettings(block), gray);
}

}  // namespace render
}  // namespace sdk
