#include "graphic/color/ColorTables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graphic/color/LittleCms.h"

namespace sdk {
namespace graphic {

namespace {

// Steps of the table of sRGB's curve: fine enough that a step near black, where the curve is
// steepest, moves the byte by less than a fifth of a level.
const int32_t kEncodeBits = 14;
const int32_t kEncodeSteps = 1 << kEncodeBits;
// The fixed point of linear light and of the matrix.
const int32_t kLightBits = 16;
const int32_t kMatrixBits = 14;

// The 3 x 3 matrix of a profile's colorants (columns R, G, B; rows X, Y, Z); false without them.
bool Colorants(cmsHPROFILE profile, double (&matrix)[3][3])
{
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                     cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
        if (xyz == nullptr)
            return false;
        matrix[0][c] = xyz->X;
        matrix[1][c] = xyz->Y;
        matrix[2][c] = xyz->Z;
    }
    return true;
}

bool Invert(const double (&m)[3][3], double (&inverse)[3][3])
{
    const double determinant = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!(std::fabs(determinant) > 1e-9))
        return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / determinant;
        }
    return true;
}

// A grid of colours with every gray, in layout (alpha opaque), for comparing conversions.
std::vector<uint8_t> Samples(ColorLayout layout, int32_t& pixels)
{
    std::vector<uint8_t> samples;
    const bool alpha = HasAlpha(layout);
    auto add = [&](uint8_t b, uint8_t g, uint8_t r) {
        if (alpha)
            samples.push_back(255);
        if (IsGray(layout)) {
            samples.push_back(g);
        } else {
            samples.insert(samples.end(), {b, g, r});
        }
    };
    for (int32_t v = 0; v < 256; ++v)
        add(static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v));
    if (!IsGray(layout))
        for (int32_t b = 0; b < 256; b += 15)
            for (int32_t g = 0; g < 256; g += 15)
                for (int32_t r = 0; r < 256; r += 15)
                    add(static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r));
    pixels = static_cast<int32_t>(samples.size()) / SamplesPerPixel(layout);
    return samples;
}

}  // namespace

std::unique_ptr<ColorTables> ColorTables::For(const IccProfile& profile, void* handle,
                                              ColorLayout in, ColorLayout out)
{
    if (in != out || in == ColorLayout::Ink)
        return nullptr;
    std::unique_ptr<ColorTables> tables(new ColorTables(in));
    const bool made = IsGray(in) ? tables->MakeGray(handle) : tables->MakeRgb(profile);
    if (!made || !tables->AgreeWith(handle))
        return nullptr;
    return tables;
}

bool ColorTables::MakeGray(void* handle)
{
    uint8_t in[2 * 256], out[2 * 256];
    const int32_t step = HasAlpha(in_) ? 2 : 1;
    for (int32_t v = 0; v < 256; ++v) {
        in[v * step] = 255;
        in[v * step + step - 1] = static_cast<uint8_t>(v);
    }
    cmsDoTransform(handle, in, out, 256);
    for (int32_t v = 0; v < 256; ++v)
        gray_[v] = out[v * step + step - 1];
    return true;
}

bool ColorTables::MakeRgb(const IccProfile& profile)
{
    ProfileHandle source(cmsOpenProfileFromMemTHR(
        ColorContext(), profile.bytes.data(), static_cast<cmsUInt32Number>(profile.bytes.size())));
    ProfileHandle srgb(cmsCreate_sRGBProfileTHR(ColorContext()));
    if (!source || !srgb || !cmsIsMatrixShaper(source.get()))
        return false;
    double from[3][3], to[3][3], toInverse[3][3];
    if (!Colorants(source.get(), from) || !Colorants(srgb.get(), to) || !Invert(to, toInverse))
        return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += toInverse[r][k] * from[k][c];
            matrix_[r][c] = std::llround(sum * (1 << kMatrixBits));
        }
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source.get(), curves[c]));
        if (curve == nullptr)
            return false;
        for (int32_t v = 0; v < 256; ++v)
            linear_[c][v] = std::llround(
                cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(v / 255.0)) *
                (1 << kLightBits));
    }
    encode_.resize(kEncodeSteps + 1);
    for (int32_t i = 0; i <= kEncodeSteps; ++i) {
        const double light = static_cast<double>(i) / kEncodeSteps;
        const double value =
            light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
        encode_[i] = static_cast<uint8_t>(std::lround(std::min(std::max(value, 0.0), 1.0) * 255));
    }
    rgb_ = true;
    return true;
}

bool ColorTables::AgreeWith(void* handle) const
{
    int32_t pixels = 0;
    const std::vector<uint8_t> samples = Samples(in_, pixels);
    std::vector<uint8_t> engine(samples.size()), ours(samples.size());
    cmsDoTransform(handle, samples.data(), engine.data(), static_cast<cmsUInt32Number>(pixels));
    Convert(samples.data(), ours.data(), pixels);
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(engine[i] - ours[i]) > 1)
            return false;
    return true;
}

void ColorTables::Convert(const uint8_t* in, uint8_t* out, int32_t pixels) const
{
    const int32_t bytes = SamplesPerPixel(in_);
    const int32_t first = HasAlpha(in_) ? 1 : 0;
    if (!rgb_) {
        for (int32_t x = 0; x < pixels; ++x, in += bytes, out += bytes) {
            if (first)
                out[0] = in[0];
            out[first] = gray_[in[first]];
        }
        return;
    }
    // Runs of one colour, as layers have, are worked out once.
    uint32_t last = 0xFFFFFFFFu;
    uint8_t made[3] = {};
    const int32_t shift = kLightBits + kMatrixBits - kEncodeBits;
    for (int32_t x = 0; x < pixels; ++x, in += bytes, out += bytes) {
        if (first)
            out[0] = in[0];
        // B, G, R bytes.
        const uint32_t colour =
            static_cast<uint32_t>(in[first]) | in[first + 1] << 8 | in[first + 2] << 16;
        if (colour != last) {
            last = colour;
            const int64_t red = linear_[0][in[first + 2]];
            const int64_t green = linear_[1][in[first + 1]];
            const int64_t blue = linear_[2][in[first]];
            for (int c = 0; c < 3; ++c) {
                const int64_t light = (matrix_[c][0] * red + matrix_[c][1] * green +
                                       matrix_[c][2] * blue + (int64_t{1} << (shift - 1))) >>
                                      shift;
                made[2 - c] = encode_[light < 0 ? 0 : light > kEncodeSteps ? kEncodeSteps : light];
            }
        }
        out[first] = made[0];
        out[first + 1] = made[1];
        out[first + 2] = made[2];
    }
}

}  // namespace graphic
}  // namespace sdk
