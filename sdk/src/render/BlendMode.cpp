#include "render/BlendMode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace sdk {
namespace render {

namespace {

// In this order the two compile to vector operations (a NaN gives 1).
inline float Clamp01(float v)
{
    return std::max(0.0f, std::min(1.0f, v));
}

// The separable formulas: one colour component of the backdrop (cb) and of the source (cs), both
// straight and in 0 .. 1, give the blended component.

// The normal step (ComposeNormal) works this one into its arithmetic rather than calling it.
[[maybe_unused]] inline float Normal(float, float cs)
{
    return cs;
}

inline float Darken(float cb, float cs)
{
    return std::min(cb, cs);
}

inline float Multiply(float cb, float cs)
{
    return cb * cs;
}

inline float ColorBurn(float cb, float cs)
{
    // A white backdrop stays white even under black; otherwise black burns to black.
    if (cb >= 1.0f)
        return 1.0f;
    if (cs <= 0.0f)
        return 0.0f;
    return 1.0f - std::min(1.0f, (1.0f - cb) / cs);
}

inline float LinearBurn(float cb, float cs)
{
    return std::max(0.0f, cb + cs - 1.0f);
}

inline float Lighten(float cb, float cs)
{
    return std::max(cb, cs);
}

inline float Screen(float cb, float cs)
{
    return cb + cs - cb * cs;
}

inline float ColorDodge(float cb, float cs)
{
    // A black backdrop stays black even under white; otherwise white dodges to white.
    if (cb <= 0.0f)
        return 0.0f;
    if (cs >= 1.0f)
        return 1.0f;
    return std::min(1.0f, cb / (1.0f - cs));
}

inline float LinearDodge(float cb, float cs)
{
    return std::min(1.0f, cb + cs);
}

inline float HardLight(float cb, float cs)
{
    return cs <= 0.5f ? Multiply(cb, 2.0f * cs) : Screen(cb, 2.0f * cs - 1.0f);
}

// Hard light with the roles swapped: the backdrop decides between multiply and screen.
inline float Overlay(float cb, float cs)
{
    return HardLight(cs, cb);
}

// A dark source darkens by cb - (1 - 2cs) cb (1 - cb), a light one lightens towards a curve over
// the backdrop: its square root, bent below a quarter into the cubic that leaves 0 at slope 4
// and meets the root at 1/4 with the same value and slope. That cubic is what the editor shows
// on dark backdrops; the plain root (the older published form) lightens them up to 17 steps of
// 255 more.
inline float SoftLight(float cb, float cs)
{
    if (cs <= 0.5f)
        return cb - (1.0f - 2.0f * cs) * cb * (1.0f - cb);
    const float curve = cb <= 0.25f ? ((16.0f * cb - 12.0f) * cb + 4.0f) * cb : std::sqrt(cb);
    return cb + (2.0f * cs - 1.0f) * (curve - cb);
}

// Colour burn by 2cs for a dark source, colour dodge by 2cs - 1 for a light one. Unlike the two
// modes on their own, the source's extremes win here: black gives 0 on a white backdrop and white
// gives 1 on a black one, as the editor shows.
inline float VividLight(float cb, float cs)
{
    if (cs <= 0.5f)
        return cs <= 0.0f ? 0.0f : 1.0f - std::min(1.0f, (1.0f - cb) / (2.0f * cs));
    return cs >= 1.0f ? 1.0f : std::min(1.0f, cb / (2.0f * (1.0f - cs)));
}

inline float LinearLight(float cb, float cs)
{
    return Clamp01(cb + 2.0f * cs - 1.0f);
}

inline float PinLight(float cb, float cs)
{
    return cs <= 0.5f ? std::min(cb, 2.0f * cs) : std::max(cb, 2.0f * cs - 1.0f);
}

// 1 where the two add up to more than 1, 0 where less. On the line between (200 and 55 of 255,
// say) the editor gives 1 only where the backdrop is the larger: a backdrop of 128 under a
// source of 127 gives white, 127 under 128 black. A sum within a few float steps of 1 counts as
// on the line, as straight colours got back from premultiplied ones are that far off; 16-bit
// sums lie 8 times further apart.
inline float HardMix(float cb, float cs)
{
    constexpr float kTie = 1.0f / (1 << 19);
    const float sum = cb + cs;
    if (sum > 1.0f + kTie)
        return 1.0f;
    if (sum < 1.0f - kTie)
        return 0.0f;
    return cb > cs ? 1.0f : 0.0f;
}

inline float Difference(float cb, float cs)
{
    return std::fabs(cb - cs);
}

inline float Exclusion(float cb, float cs)
{
    return cb + cs - 2.0f * cb * cs;
}

inline float Subtract(float cb, float cs)
{
    return std::max(0.0f, cb - cs);
}

// Black divides anything but black to white.
inline float Divide(float cb, float cs)
{
    if (cs <= 0.0f)
        return cb <= 0.0f ? 0.0f : 1.0f;
    return std::min(1.0f, cb / cs);
}

// The whole-colour helpers: a colour is 3 straight components, red, green and blue.

inline float Lum(const float* c)
{
    return 0.3f * c[0] + 0.59f * c[1] + 0.11f * c[2];
}

// Draws a colour whose components left 0 .. 1 towards the gray of its own luminosity until they
// are back in range; the luminosity stays.
inline void ClipColor(float* c)
{
    const float l = Lum(c);
    const float low = std::min(std::min(c[0], c[1]), c[2]);
    const float high = std::max(std::max(c[0], c[1]), c[2]);
    // l lies in 0 .. 1 here, so l - low > 0 when low < 0 and high - l > 0 when high > 1.
    if (low < 0.0f) {
        const float k = l / (l - low);
        for (int i = 0; i < 3; ++i)
            c[i] = l + (c[i] - l) * k;
    }
    if (high > 1.0f) {
        const float k = (1.0f - l) / (high - l);
        for (int i = 0; i < 3; ++i)
            c[i] = l + (c[i] - l) * k;
    }
}

// Moves a colour to luminosity l (in 0 .. 1), hue and saturation kept as far as the range lets.
inline void SetLum(float* c, float l)
{
    const float d = l - Lum(c);
    for (int i = 0; i < 3; ++i)
        c[i] += d;
    ClipColor(c);
}

inline float Sat(const float* c)
{
    return std::max(std::max(c[0], c[1]), c[2]) - std::min(std::min(c[0], c[1]), c[2]);
}

// Gives a colour saturation s with its hue kept: the largest component becomes s, the smallest
// 0, the middle one keeps its place between them; a gray becomes black.
inline void SetSat(float* c, float s)
{
    int low = 0, mid = 1, high = 2;
    if (c[low] > c[mid])
        std::swap(low, mid);
    if (c[mid] > c[high])
        std::swap(mid, high);
    if (c[low] > c[mid])
        std::swap(low, mid);
    const float range = c[high] - c[low];
    if (range > 0.0f) {
        c[mid] = (c[mid] - c[low]) * s / range;
        c[high] = s;
    } else {
        c[mid] = 0.0f;
        c[high] = 0.0f;
    }
    c[low] = 0.0f;
}

// The whole-colour formulas: the backdrop's colour cb and the source's cs give the blended one.

// The whole colour of the darker of the two by luminosity; the backdrop on a tie.
inline void DarkerColor(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, Lum(cs) < Lum(cb) ? cs : cb, 3 * sizeof(float));
}

inline void LighterColor(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, Lum(cs) > Lum(cb) ? cs : cb, 3 * sizeof(float));
}

// The source's hue with the backdrop's saturation and luminosity.
inline void Hue(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, cs, 3 * sizeof(float));
    SetSat(out, Sat(cb));
    SetLum(out, Lum(cb));
}

// The source's saturation with the backdrop's hue and luminosity.
inline void Saturation(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, cb, 3 * sizeof(float));
    SetSat(out, Sat(cs));
    SetLum(out, Lum(cb));
}

// The source's hue and saturation with the backdrop's luminosity.
inline void Color(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, cs, 3 * sizeof(float));
    SetLum(out, Lum(cb));
}

// The backdrop's hue and saturation with the source's luminosity.
inline void Luminosity(const float* cb, const float* cs, float* out)
{
    std::memcpy(out, cb, 3 * sizeof(float));
    SetLum(out, Lum(cs));
}

using ColorFormula = void (*)(const float* cb, const float* cs, float* out);

template <float (*Formula)(float, float)>
inline void PerComponent(const float* cb, const float* cs, float* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = Formula(cb[i], cs[i]);
}

// The straight colour of a premultiplied pixel of alpha a > 0, each component in 0 .. 1 (a
// premultiplied component may round a little above its alpha). The alpha is kept at least the
// smallest normal float, whose inverse is finite, so that no component turns into 0 * inf.
inline void Straight(const float* pixel, float a, float* c)
{
    const float inverse = 1.0f / std::max(a, std::numeric_limits<float>::min());
    for (int i = 0; i < 3; ++i)
        c[i] = Clamp01(pixel[i] * inverse);
}

// The compositing step of the header in normal mode. With B(Cb, Cs) = Cs the term as * ab * Cs
// is ab times the premultiplied source, so each of the 4 floats, alpha included, becomes
//   source + (1 - as) * backdrop
// with no division and no branch: a source of alpha 0 (colour 0 too) leaves the backdrop as it
// is and a backdrop of alpha 0 gives the source, exactly. Worked out into a local pixel and
// stored whole, each pixel becomes a handful of 4-float vector operations.
void ComposeNormal(const float* source, float* backdrop, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, source += 4, backdrop += 4) {
        const float keep = 1.0f - source[3];
        float result[4];
        for (int c = 0; c < 4; ++c)
            result[c] = Clamp01(source[c] + keep * backdrop[c]);
        std::memcpy(backdrop, result, sizeof result);
    }
}

// The compositing step of the header for any formula, which is inlined into the loop.
template <ColorFormula Blend>
void ComposeBlended(const float* source, float* backdrop, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, source += 4, backdrop += 4) {
        const float as = source[3];
        if (as <= 0.0f)
            continue;
        const float ab = backdrop[3];
        if (ab <= 0.0f) {
            for (int c = 0; c < 4; ++c)
                backdrop[c] = Clamp01(source[c]);
            continue;
        }
        float cb[3], cs[3], blended[3];
        Straight(backdrop, ab, cb);
        Straight(source, as, cs);
        Blend(cb, cs, blended);
        const float both = as * ab;
        for (int c = 0; c < 3; ++c)
            backdrop[c] =
                Clamp01((1.0f - ab) * source[c] + (1.0f - as) * backdrop[c] + both * blended[c]);
        backdrop[3] = Clamp01(as + ab - both);
    }
}

using RowFunction = void (*)(const float* source, float* backdrop, int32_t count);

RowFunction RowFunctionOf(BlendMode mode)
{
    switch (mode) {
        case BlendMode::Normal:
        case BlendMode::Dissolve:
        case BlendMode::PassThrough:
            return ComposeNormal;
        case BlendMode::Darken:
            return ComposeBlended<PerComponent<Darken>>;
        case BlendMode::Multiply:
            return ComposeBlended<PerComponent<Multiply>>;
        case BlendMode::ColorBurn:
            return ComposeBlended<PerComponent<ColorBurn>>;
        case BlendMode::LinearBurn:
            return ComposeBlended<PerComponent<LinearBurn>>;
        case BlendMode::DarkerColor:
            return ComposeBlended<DarkerColor>;
        case BlendMode::Lighten:
            return ComposeBlended<PerComponent<Lighten>>;
        case BlendMode::Screen:
            return ComposeBlended<PerComponent<Screen>>;
        case BlendMode::ColorDodge:
            return ComposeBlended<PerComponent<ColorDodge>>;
        case BlendMode::LinearDodge:
            return ComposeBlended<PerComponent<LinearDodge>>;
        case BlendMode::LighterColor:
            return ComposeBlended<LighterColor>;
        case BlendMode::Overlay:
            return ComposeBlended<PerComponent<Overlay>>;
        case BlendMode::SoftLight:
            return ComposeBlended<PerComponent<SoftLight>>;
        case BlendMode::HardLight:
            return ComposeBlended<PerComponent<HardLight>>;
        case BlendMode::VividLight:
            return ComposeBlended<PerComponent<VividLight>>;
        case BlendMode::LinearLight:
            return ComposeBlended<PerComponent<LinearLight>>;
        case BlendMode::PinLight:
            return ComposeBlended<PerComponent<PinLight>>;
        case BlendMode::HardMix:
            return ComposeBlended<PerComponent<HardMix>>;
        case BlendMode::Difference:
            return ComposeBlended<PerComponent<Difference>>;
        case BlendMode::Exclusion:
            return ComposeBlended<PerComponent<Exclusion>>;
        case BlendMode::Subtract:
            return ComposeBlended<PerComponent<Subtract>>;
        case BlendMode::Divide:
            return ComposeBlended<PerComponent<Divide>>;
        case BlendMode::Hue:
            return ComposeBlended<Hue>;
        case BlendMode::Saturation:
            return ComposeBlended<Saturation>;
        case BlendMode::Color:
            return ComposeBlended<Color>;
        case BlendMode::Luminosity:
            return ComposeBlended<Luminosity>;
    }
    return ComposeNormal;
}

struct ModeEntry {
    char key[5];
    BlendMode mode;
    const char* name;
};

const ModeEntry kModes[] = {
    {"pass", BlendMode::PassThrough, "pass through"},
    {"norm", BlendMode::Normal, "normal"},
    {"diss", BlendMode::Dissolve, "dissolve"},
    {"dark", BlendMode::Darken, "darken"},
    {"mul ", BlendMode::Multiply, "multiply"},
    {"idiv", BlendMode::ColorBurn, "color burn"},
    {"lbrn", BlendMode::LinearBurn, "linear burn"},
    {"dkCl", BlendMode::DarkerColor, "darker color"},
    {"lite", BlendMode::Lighten, "lighten"},
    {"scrn", BlendMode::Screen, "screen"},
    {"div ", BlendMode::ColorDodge, "color dodge"},
    {"lddg", BlendMode::LinearDodge, "linear dodge"},
    {"lgCl", BlendMode::LighterColor, "lighter color"},
    {"over", BlendMode::Overlay, "overlay"},
    {"sLit", BlendMode::SoftLight, "soft light"},
    {"hLit", BlendMode::HardLight, "hard light"},
    {"vLit", BlendMode::VividLight, "vivid light"},
    {"lLit", BlendMode::LinearLight, "linear light"},
    {"pLit", BlendMode::PinLight, "pin light"},
    {"hMix", BlendMode::HardMix, "hard mix"},
    {"diff", BlendMode::Difference, "difference"},
    {"smud", BlendMode::Exclusion, "exclusion"},
    {"fsub", BlendMode::Subtract, "subtract"},
    {"fdiv", BlendMode::Divide, "divide"},
    {"hue ", BlendMode::Hue, "hue"},
    {"sat ", BlendMode::Saturation, "saturation"},
    {"colr", BlendMode::Color, "color"},
    {"lum ", BlendMode::Luminosity, "luminosity"},
};

}  // namespace

bool BlendModeFromKey(const char (&key)[4], BlendMode& mode)
{
    for (const ModeEntry& entry : kModes)
        if (std::memcmp(entry.key, key, 4) == 0) {
            mode = entry.mode;
            return true;
        }
    return false;
}

const char* BlendModeName(BlendMode mode)
{
    for (const ModeEntry& entry : kModes)
        if (entry.mode == mode)
            return entry.name;
    return "unknown";
}

const char* BlendModeKey(BlendMode mode)
{
    for (const ModeEntry& entry : kModes)
        if (entry.mode == mode)
            return entry.key;
    return "norm";
}

void ComposeRow(BlendMode mode, const float* source, float* backdrop, int32_t count)
{
    RowFunctionOf(mode)(source, backdrop, count);
}

}  // namespace render
}  // namespace sdk
