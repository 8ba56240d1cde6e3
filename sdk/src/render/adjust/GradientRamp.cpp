#include "render/adjust/GradientRamp.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdDescriptorValue;

float Clamp(double value, double low, double high)
{
    return static_cast<float>(value < low ? low : value > high ? high : value);
}

// sRGB's curve, 0 .. 1 both ways.
float ToLinear(float v)
{
    return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
}

float FromLinear(float v)
{
    return v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
}

// How far (0 .. 1) between the stops before and after location the mix lies: the midpoint
// shifts where it is half and half, the smoothness eases both ends.
template <typename Stop>
float Between(const std::vector<Stop>& stops, double location, float ease, size_t& before)
{
    before = 0;
    if (location <= stops.front().location)
        return 0;
    if (location >= stops.back().location) {
        before = stops.size() - 1;
        return 0;
    }
    while (before + 1 < stops.size() && stops[before + 1].location <= location)
        ++before;
    const Stop& after = stops[before + 1];
    const double span = after.location - stops[before].location;
    const double p = span > 0 ? (location - stops[before].location) / span : 1;
    const double m = Clamp(after.midpoint / 100.0, 0.01, 0.99);
    double f = p < m ? 0.5 * p / m : 0.5 + 0.5 * (p - m) / (1 - m);
    f += ease * (f * f * (3 - 2 * f) - f);
    return static_cast<float>(f);
}

template <typename Stop>
void SortStops(std::vector<Stop>& stops)
{
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.location < b.location; });
}

int32_t Location(const PsdDescriptorValue& stop)
{
    return static_cast<int32_t>(Clamp(stop.Number("Lctn", 0), 0, 4096));
}

int32_t Midpoint(const PsdDescriptorValue& stop)
{
    return static_cast<int32_t>(Clamp(stop.Number("Mdpn", 50), 0, 100));
}

const PsdDescriptorValue* ListItem(const PsdDescriptorValue& object, const char* key)
{
    const PsdDescriptorValue* list = object.Find(key);
    return list && list->type == PsdDescriptorValue::Type::List ? list : nullptr;
}

void HsbToRgb(double hue, double saturation, double brightness, float (&rgb)[3])
{
    const double h = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0) / 60.0;
    const double s = Clamp(saturation / 100, 0, 1), v = Clamp(brightness / 100, 0, 1);
    const int sector = std::min(static_cast<int>(h), 5);
    const double f = h - sector;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    for (int i = 0; i < 3; ++i)
        rgb[i] = static_cast<float>(table[sector][i] * 255);
}

void LabToRgb(double l, double a, double b, float (&rgb)[3])
{
    // Lab of the D50 white to XYZ, adapted to D65 (Bradford), to sRGB.
    const double fy = (l + 16) / 116, fx = fy + a / 500, fz = fy - b / 200;
    auto inverse = [](double f) { return f > 6.0 / 29 ? f * f * f : 3 * 0.0428061831 * (f - 4.0 / 29); };
    const double x = 0.9642 * inverse(fx), y = inverse(fy), z = 0.8249 * inverse(fz);
    const double x65 = 0.9555766 * x - 0.0230393 * y + 0.0631636 * z;
    const double y65 = -0.0282895 * x + 1.0099416 * y + 0.0210077 * z;
    const double z65 = 0.0122982 * x - 0.0204830 * y + 1.3299098 * z;
    const double linear[3] = {3.2404542 * x65 - 1.5371385 * y65 - 0.4985314 * z65,
                              -0.9692660 * x65 + 1.8760108 * y65 + 0.0415560 * z65,
                              0.0556434 * x65 - 0.2040259 * y65 + 1.0572252 * z65};
    for (int i = 0; i < 3; ++i)
        rgb[i] = FromLinear(Clamp(linear[i], 0, 1)) * 255;
}

}  // namespace

bool ReadDescriptorColour(const PsdDescriptorValue& colour, float (&rgb)[3])
{
    const std::string& kind = colour.classId;
    if (kind == "RGBC") {
        if (colour.Find("Rd  ")) {
            rgb[0] = Clamp(colour.Number("Rd  ", 0), 0, 255);
            rgb[1] = Clamp(colour.Number("Grn ", 0), 0, 255);
            rgb[2] = Clamp(colour.Number("Bl  ", 0), 0, 255);
        } else {
            // Newer documents keep 0 .. 1 values.
            rgb[0] = Clamp(colour.Number("redFloat", 0) * 255, 0, 255);
            rgb[1] = Clamp(colour.Number("greenFloat", 0) * 255, 0, 255);
            rgb[2] = Clamp(colour.Number("blueFloat", 0) * 255, 0, 255);
        }
        return true;
    }
    if (kind == "Grsc") {
        // Gray as a percentage of black.
        rgb[0] = rgb[1] = rgb[2] = Clamp(255 - colour.Number("Gry ", 0) * 2.55, 0, 255);
        return true;
    }
    if (kind == "HSBC") {
        HsbToRgb(colour.Number("H   ", 0), colour.Number("Strt", 0), colour.Number("Brgh", 0), rgb);
        return true;
    }
    if (kind == "CMYC") {
        // Inks as percentages, without a colour profile.
        const double black = 1 - Clamp(colour.Number("Blck", 0) / 100, 0, 1);
        const char* inks[3] = {"Cyn ", "Mgnt", "Ylw "};
        for (int i = 0; i < 3; ++i)
            rgb[i] = Clamp(255 * (1 - colour.Number(inks[i], 0) / 100) * black, 0, 255);
        return true;
    }
    if (kind == "LbCl") {
        LabToRgb(colour.Number("Lmnc", 0), colour.Number("A   ", 0), colour.Number("B   ", 0), rgb);
        return true;
    }
    return false;
}

GradientRamp::Method GradientMethodOf(const std::string& value)
{
    if (value == "Lnr ")
        return GradientRamp::Method::Linear;
    if (value == "Perc")
        return GradientRamp::Method::Perceptual;
    if (value == "Smoo")
        return GradientRamp::Method::Smooth;
    return GradientRamp::Method::Classic;
}

GradientRamp ReadGradientRamp(const PsdDescriptorValue& gradient, GradientRamp::Method method)
{
    GradientRamp ramp;
    ramp.method = method;
    if (gradient.Text("GrdF") == "ClNs") {
        ramp.noise = true;
        ramp.Build();
        return ramp;
    }
    ramp.smoothness = static_cast<int32_t>(Clamp(gradient.Number("Intr", 4096), 0, 4096));
    const PsdDescriptorValue* colours = ListItem(gradient, "Clrs");
    const PsdDescriptorValue* opacities = ListItem(gradient, "Trns");
    if (!colours || colours->items.empty() || colours->items.size() > GradientRamp::kMostStops ||
        (opacities && opacities->items.size() > GradientRamp::kMostStops))
        SettingsBytes::Fail();
    for (const PsdDescriptorValue& item : colours->items) {
        GradientRamp::ColourStop stop;
        stop.location = Location(item);
        stop.midpoint = Midpoint(item);
        const PsdDescriptorValue* colour = item.Find("Clr ");
        if (colour && colour->type == PsdDescriptorValue::Type::Object)
            ReadDescriptorColour(*colour, stop.rgb);
        ramp.colours.push_back(stop);
    }
    if (opacities) {
        for (const PsdDescriptorValue& item : opacities->items) {
            GradientRamp::OpacityStop stop;
            stop.location = Location(item);
            stop.midpoint = Midpoint(item);
            stop.opacity = Clamp(item.Number("Opct", 100) / 100, 0, 1);
            ramp.opacities.push_back(stop);
        }
    }
    ramp.Build();
    return ramp;
}

void GradientRamp::Build()
{
    table_.assign(static_cast<size_t>(kSteps + 1) * 4, 0.0f);
    if (noise || colours.empty())
        return;
    SortStops(colours);
    SortStops(opacities);
    const float ease = 0.5f * static_cast<float>(smoothness) / 4096.0f;
    const bool linear = method == Method::Linear;
    for (int32_t i = 0; i <= kSteps; ++i) {
        const double location = i * 4096.0 / kSteps;
        float* entry = &table_[static_cast<size_t>(i) * 4];
        size_t before = 0;
        float f = Between(colours, location, ease, before);
        const ColourStop& a = colours[before];
        const ColourStop& b = colours[std::min(before + 1, colours.size() - 1)];
        for (int c = 0; c < 3; ++c) {
            float from = a.rgb[c] / 255, to = b.rgb[c] / 255;
            if (linear) {
                from = ToLinear(from);
                to = ToLinear(to);
            }
            const float mixed = from + (to - from) * f;
            entry[c] = Clamp(linear ? FromLinear(mixed) : mixed, 0, 1);
        }
        entry[3] = 1;
        if (!opacities.empty()) {
            f = Between(opacities, location, ease, before);
            const float from = opacities[before].opacity;
            const float to = opacities[std::min(before + 1, opacities.size() - 1)].opacity;
            entry[3] = from + (to - from) * f;
        }
    }
}

void GradientRamp::MakeGray()
{
    for (size_t i = 0; i + 3 < table_.size(); i += 4) {
        const float gray = 0.30f * table_[i] + 0.59f * table_[i + 1] + 0.11f * table_[i + 2];
        table_[i] = table_[i + 1] = table_[i + 2] = gray;
    }
}

}  // namespace render
}  // namespace sdk
