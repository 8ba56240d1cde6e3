// The colours of a gradient from its start (0) to its end (1), as gradient fills and gradient
// maps share them: colour stops and transparency stops, each at a location (0 .. 4096) with the
// midpoint (5 .. 95 % of the way from the stop before it) where the two colours mix half and
// half; between stops the mix eases in and out by the gradient's smoothness, and it mixes in the
// space of its interpolation method.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/psd/PsdDescriptor.h"

namespace sdk {
namespace render {

class GradientRamp {
public:
    // Classic mixes the stored (gamma-encoded) values, Linear mixes linear light; Perceptual
    // and Smooth are drawn as Classic.
    enum class Method { Classic, Linear, Perceptual, Smooth };

    struct ColourStop {
        int32_t location = 0;  // 0 .. 4096
        int32_t midpoint = 50;  // 0 .. 100
        float rgb[3] = {0, 0, 0};  // 0 .. 255
    };
    struct OpacityStop {
        int32_t location = 0;
        int32_t midpoint = 50;
        float opacity = 1;  // 0 .. 1
    };

    std::vector<ColourStop> colours;
    std::vector<OpacityStop> opacities;
    // 0 .. 4096: 4096 eases every transition in and out the most, 0 mixes evenly.
    int32_t smoothness = 4096;
    Method method = Method::Classic;
    // A noise gradient (random colours, not stops): it is not drawn.
    bool noise = false;

    // The table of the ramp's colours (straight red, green, blue, alpha in 0 .. 1) at
    // kSteps + 1 evenly spaced places, built once all stops are set. Without colour stops the
    // ramp is transparent black. Stops out of order are taken by their locations.
    void Build();
    // The colour at t (clamped to 0 .. 1): 4 floats of the table.
    const float* At(float t) const
    {
        const float place = t <= 0 ? 0 : t >= 1 ? kSteps : t * kSteps;
        return &table_[static_cast<size_t>(place + 0.5f) * 4];
    }
    // Makes every colour of the table gray: 0.30 R + 0.59 G + 0.11 B.
    void MakeGray();

    static const int32_t kSteps = 4096;
    // The most stops of either kind that a gradient may have; the editor allows far fewer.
    static const uint32_t kMostStops = 1024;

private:
    std::vector<float> table_;
};

// The interpolation method an enumerated value names ("Gcls", "Lnr ", "Perc", "Smoo"); Classic
// for any other.
GradientRamp::Method GradientMethodOf(const std::string& value);

// The ramp of a descriptor's gradient object ("Grad": its form "GrdF", smoothness "Intr",
// colour stops "Clrs" and transparency stops "Trns"), built. Colours are read from their RGBC,
// Grsc, HSBC, CMYC or LbCl objects. Raises kDamagedSettings for a gradient of custom stops
// without any colour stop, or with more than kMostStops of either kind.
GradientRamp ReadGradientRamp(const graphic::PsdDescriptorValue& gradient,
                              GradientRamp::Method method);

// The red, green and blue (0 .. 255) of a descriptor's colour object; false for a colour of an
// unknown kind.
bool ReadDescriptorColour(const graphic::PsdDescriptorValue& colour, float (&rgb)[3]);

}  // namespace render
}  // namespace sdk
