#include "graphic/psd/PsdColorModes.h"

#include "graphic/psd/PsdSamples.h"

namespace sdk {
namespace graphic {

namespace {

// Inverse of the Lab companding function.
double LabInverse(double t)
{
    const double delta = 6.0 / 29.0;
    return t > delta ? t * t * t : 3.0 * delta * delta * (t - 4.0 / 29.0);
}

}  // namespace

namespace {

// Each colour value times black over the largest value, rounded.
template <class Sample, uint64_t Most>
void CmykRow(Sample* row, int32_t channels, int32_t width, const Sample* black)
{
    Sample* pixel = row + (channels == 4 ? 1 : 0);
    for (int32_t x = 0; x < width; ++x, pixel += channels) {
        const uint64_t k = black[x];
        for (int32_t i = 0; i < 3; ++i)
            pixel[i] = static_cast<Sample>((2 * pixel[i] * k + Most) / (2 * Most));
    }
}

}  // namespace

void CmykRowToRgb(uint8_t* row, int32_t channels, int32_t width, const uint8_t* black)
{
    CmykRow<uint8_t, 255>(row, channels, width, black);
}

namespace {

// Lab (L 0..100, a and b as they are) as linear sRGB.
void LinearSrgbOfLab(double lightness, double a, double b, float (&rgb)[3])
{
    const double fy = (lightness + 16.0) / 116.0;
    const double fx = fy + a / 500.0;
    const double fz = fy - b / 200.0;
    // The D50 white point.
    const double x = 0.96422 * LabInverse(fx);
    const double y = 1.00000 * LabInverse(fy);
    const double z = 0.82521 * LabInverse(fz);
    // XYZ (D50) to linear sRGB, with the Bradford adaptation to D65 folded in.
    rgb[0] = static_cast<float>(3.1338561 * x - 1.6168667 * y - 0.4906146 * z);
    rgb[1] = static_cast<float>(-0.9787684 * x + 1.9161415 * y + 0.0334540 * z);
    rgb[2] = static_cast<float>(0.0719453 * x - 0.2289914 * y + 1.4052427 * z);
}

}  // namespace

void LabToSrgb(uint8_t l, uint8_t a, uint8_t b, uint8_t& red, uint8_t& green, uint8_t& blue)
{
    float rgb[3];
    LinearSrgbOfLab(l * 100.0 / 255.0, a - 128.0, b - 128.0, rgb);
    red = EightBitFromFloat(rgb[0], true);
    green = EightBitFromFloat(rgb[1], true);
    blue = EightBitFromFloat(rgb[2], true);
}

void CmykRowToRgb16(uint16_t* row, int32_t channels, int32_t width, const uint16_t* black)
{
    CmykRow<uint16_t, 65535>(row, channels, width, black);
}

void LabRowToRgb16(uint16_t* row, int32_t channels, int32_t width)
{
    uint16_t* pixel = row + (channels == 4 ? 1 : 0);
    for (int32_t x = 0; x < width; ++x, pixel += channels) {
        float rgb[3];
        LinearSrgbOfLab(pixel[2] * 100.0 / 65535.0, pixel[1] / 257.0 - 128.0,
                        pixel[0] / 257.0 - 128.0, rgb);
        pixel[2] = SixteenBitFromFloat(rgb[0], true);
        pixel[1] = SixteenBitFromFloat(rgb[1], true);
        pixel[0] = SixteenBitFromFloat(rgb[2], true);
    }
}

void LabRowToRgb(uint8_t* row, int32_t channels, int32_t width)
{
    uint8_t* pixel = row + (channels == 4 ? 1 : 0);
    for (int32_t x = 0; x < width; ++x, pixel += channels)
        LabToSrgb(pixel[2], pixel[1], pixel[0], pixel[2], pixel[1], pixel[0]);
}

}  // namespace graphic
}  // namespace sdk
