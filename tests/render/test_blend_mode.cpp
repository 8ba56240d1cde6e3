// The blend formulas at their edges and break points, and the compositing step's alpha algebra.
#include <gtest/gtest.h>

#include <cstring>

#include "render/BlendMode.h"

using sdk::render::BlendMode;
using sdk::render::ComposeRow;

namespace {

struct Rgb {
    float r, g, b;
};

// Both pixels opaque: the step then gives B(Cb, Cs) itself.
Rgb Blend(BlendMode mode, Rgb cb, Rgb cs)
{
    const float source[4] = {cs.r, cs.g, cs.b, 1.0f};
    float backdrop[4] = {cb.r, cb.g, cb.b, 1.0f};
    ComposeRow(mode, source, backdrop, 1);
    return {backdrop[0], backdrop[1], backdrop[2]};
}

// Gray over gray: one component.
float Blend(BlendMode mode, float cb, float cs)
{
    return Blend(mode, Rgb{cb, cb, cb}, Rgb{cs, cs, cs}).r;
}

float Lum(Rgb c)
{
    return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

constexpr float kEps = 1e-5f;

}  // namespace

TEST(BlendFormulas, PlainModesOnOnePair)
{
    const struct {
        BlendMode mode;
        float expected;
    } cases[] = {
        {BlendMode::Normal, 0.6f},   {BlendMode::Dissolve, 0.6f},   {BlendMode::PassThrough, 0.6f},
        {BlendMode::Darken, 0.2f},   {BlendMode::Multiply, 0.12f},  {BlendMode::Lighten, 0.6f},
        {BlendMode::Screen, 0.68f},  {BlendMode::Difference, 0.4f}, {BlendMode::Exclusion, 0.56f},
        {BlendMode::Subtract, 0.0f}, {BlendMode::LinearBurn, 0.0f}, {BlendMode::LinearDodge, 0.8f}};
    for (const auto& c : cases)
        EXPECT_NEAR(Blend(c.mode, 0.2f, 0.6f), c.expected, kEps) << BlendModeName(c.mode);
    EXPECT_NEAR(Blend(BlendMode::Subtract, 0.6f, 0.2f), 0.4f, kEps);
    EXPECT_NEAR(Blend(BlendMode::LinearDodge, 0.7f, 0.6f), 1.0f, kEps);
}

TEST(BlendFormulas, DodgeBurnAndDivideAtBlackAndWhite)
{
    EXPECT_EQ(Blend(BlendMode::ColorDodge, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::ColorDodge, 1 / 255.0f, 1.0f), 1.0f);
    EXPECT_NEAR(Blend(BlendMode::ColorDodge, 0.25f, 0.5f), 0.5f, kEps);
    EXPECT_EQ(Blend(BlendMode::ColorBurn, 1.0f, 0.0f), 1.0f);
    EXPECT_EQ(Blend(BlendMode::ColorBurn, 254 / 255.0f, 0.0f), 0.0f);
    EXPECT_NEAR(Blend(BlendMode::ColorBurn, 0.75f, 0.5f), 0.5f, kEps);
    EXPECT_EQ(Blend(BlendMode::Divide, 0.0f, 0.0f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::Divide, 1 / 255.0f, 0.0f), 1.0f);
    EXPECT_NEAR(Blend(BlendMode::Divide, 0.2f, 0.4f), 0.5f, kEps);
    EXPECT_EQ(Blend(BlendMode::Divide, 0.6f, 0.3f), 1.0f);
}

TEST(BlendFormulas, LightModesSwitchAtHalf)
{
    // Overlay switches on the backdrop, hard light on the source.
    EXPECT_NEAR(Blend(BlendMode::Overlay, 0.25f, 0.75f), 0.375f, kEps);
    EXPECT_NEAR(Blend(BlendMode::HardLight, 0.25f, 0.75f), 0.625f, kEps);
    EXPECT_NEAR(Blend(BlendMode::Overlay, 0.5f, 0.3f), 0.3f, kEps);
    EXPECT_NEAR(Blend(BlendMode::PinLight, 0.2f, 0.75f), 0.5f, kEps);
    EXPECT_NEAR(Blend(BlendMode::PinLight, 0.8f, 0.25f), 0.5f, kEps);
    EXPECT_EQ(Blend(BlendMode::LinearLight, 0.5f, 1.0f), 1.0f);
    EXPECT_EQ(Blend(BlendMode::LinearLight, 0.3f, 0.25f), 0.0f);
    EXPECT_NEAR(Blend(BlendMode::LinearLight, 0.3f, 0.6f), 0.5f, kEps);
}

TEST(BlendFormulas, SoftLight)
{
    for (float cb : {0.0f, 0.1f, 0.7f, 1.0f})
        EXPECT_NEAR(Blend(BlendMode::SoftLight, cb, 0.5f), cb, kEps);
    EXPECT_NEAR(Blend(BlendMode::SoftLight, 0.5f, 0.0f), 0.25f, kEps);
    EXPECT_NEAR(Blend(BlendMode::SoftLight, 0.64f, 1.0f), 0.8f, kEps);
    // Below a quarter a light source follows the cubic, not the square root (0.316).
    EXPECT_NEAR(Blend(BlendMode::SoftLight, 0.1f, 1.0f), 0.296f, kEps);
}

TEST(BlendFormulas, VividLightLetsTheSourceExtremesWin)
{
    EXPECT_EQ(Blend(BlendMode::VividLight, 1.0f, 0.0f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::VividLight, 0.0f, 1.0f), 1.0f);
    EXPECT_NEAR(Blend(BlendMode::VividLight, 0.75f, 0.25f), 0.5f, kEps);
    EXPECT_NEAR(Blend(BlendMode::VividLight, 0.25f, 0.75f), 0.5f, kEps);
}

TEST(BlendFormulas, HardMixOnTheLineTakesTheLargerBackdrop)
{
    EXPECT_EQ(Blend(BlendMode::HardMix, 128 / 255.0f, 127 / 255.0f), 1.0f);
    EXPECT_EQ(Blend(BlendMode::HardMix, 127 / 255.0f, 128 / 255.0f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::HardMix, 0.5f, 0.5f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::HardMix, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Blend(BlendMode::HardMix, 0.5f, 130 / 255.0f), 1.0f);
    EXPECT_EQ(Blend(BlendMode::HardMix, 0.5f, 125 / 255.0f), 0.0f);
}

TEST(BlendFormulas, WholeColourModesKeepTheOtherComponents)
{
    const Rgb orange{0.8f, 0.4f, 0.2f};
    // Gray luminosity onto a colour: the colour's channel differences (hue, saturation) stay.
    const Rgb lum = Blend(BlendMode::Luminosity, orange, Rgb{0.3f, 0.3f, 0.3f});
    EXPECT_NEAR(Lum(lum), 0.3f, kEps);
    EXPECT_NEAR(lum.r - lum.g, 0.4f, kEps);
    EXPECT_NEAR(lum.g - lum.b, 0.2f, kEps);
    // Pushed below 0 or above 1, a colour is drawn back towards its gray, luminosity kept.
    const Rgb dark = Blend(BlendMode::Luminosity, orange, Rgb{0.1f, 0.1f, 0.1f});
    EXPECT_NEAR(Lum(dark), 0.1f, kEps);
    EXPECT_NEAR(dark.b, 0.0f, kEps);
    const Rgb color = Blend(BlendMode::Color, Rgb{0.5f, 0.5f, 0.5f}, Rgb{1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(color.r, 1.0f, kEps);
    EXPECT_NEAR(color.g, 2 / 7.0f, kEps);
    EXPECT_NEAR(color.b, 2 / 7.0f, kEps);
    // A gray source's saturation grays the colour; a colour's hue leaves a gray backdrop gray.
    const Rgb sat = Blend(BlendMode::Saturation, orange, Rgb{0.9f, 0.9f, 0.9f});
    EXPECT_NEAR(sat.r, Lum(orange), kEps);
    EXPECT_NEAR(sat.b, Lum(orange), kEps);
    EXPECT_NEAR(Blend(BlendMode::Hue, Rgb{0.4f, 0.4f, 0.4f}, orange).g, 0.4f, kEps);
    // Blue-green's hue onto orange: its channels spread to orange's saturation (0.6), the middle
    // one in proportion, at orange's luminosity.
    const Rgb hue = Blend(BlendMode::Hue, orange, Rgb{0.1f, 0.5f, 0.7f});
    EXPECT_NEAR(Lum(hue), Lum(orange), kEps);
    EXPECT_NEAR(hue.b - hue.r, 0.6f, kEps);
    EXPECT_NEAR(hue.g - hue.r, 0.4f, kEps);
}

TEST(BlendFormulas, DarkerAndLighterColourPickWholeColours)
{
    // Red (luminosity 0.3) is darker than this green (0.354), though its red channel is lighter.
    const Rgb red{1.0f, 0.0f, 0.0f}, green{0.0f, 0.6f, 0.0f};
    EXPECT_EQ(Blend(BlendMode::DarkerColor, red, green).r, 1.0f);
    EXPECT_EQ(Blend(BlendMode::DarkerColor, green, red).g, 0.0f);
    EXPECT_EQ(Blend(BlendMode::LighterColor, red, green).g, 0.6f);
    EXPECT_EQ(Blend(BlendMode::LighterColor, red, green).r, 0.0f);
}

TEST(BlendCompositing, HalfTransparentNormalOverOpaque)
{
    const float source[12] = {0.5f, 0.0f, 0.0f, 0.5f, 0.1f, 0.2f, 0.3f, 1.0f, 1, 1, 1, 1};
    float backdrop[12] = {0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.2f, 0.1f, 0.25f, 0, 0, 0, 0};
    ComposeRow(BlendMode::Normal, source, backdrop, 2);
    const float expected[12] = {0.5f, 0.0f, 0.5f, 1.0f, 0.1f, 0.2f, 0.3f, 1.0f, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(backdrop[i], expected[i], kEps) << i;
}

TEST(BlendCompositing, BothHalfTransparentBlendStraightColours)
{
    // Straight 0.4 at alpha 0.5 multiplied onto straight 0.6 at alpha 0.5:
    // 0.5 * 0.2 + 0.5 * 0.3 + 0.25 * 0.24 = 0.31, alpha 0.75.
    const float source[4] = {0.2f, 0.2f, 0.2f, 0.5f};
    float backdrop[4] = {0.3f, 0.3f, 0.3f, 0.5f};
    ComposeRow(BlendMode::Multiply, source, backdrop, 1);
    EXPECT_NEAR(backdrop[0], 0.31f, kEps);
    EXPECT_NEAR(backdrop[3], 0.75f, kEps);
}

TEST(BlendCompositing, TransparentSourceOrBackdropInEveryMode)
{
    const float clear[4] = {0, 0, 0, 0};
    const float pixel[4] = {0.3f, 0.2f, 0.0f, 0.6f};
    for (int m = 0; m <= static_cast<int>(BlendMode::PassThrough); ++m) {
        const BlendMode mode = static_cast<BlendMode>(m);
        float backdrop[4] = {0.3f, 0.2f, 0.0f, 0.6f};
        ComposeRow(mode, clear, backdrop, 1);
        EXPECT_EQ(std::memcmp(backdrop, pixel, sizeof pixel), 0) << BlendModeName(mode);
        float empty[4] = {0, 0, 0, 0};
        ComposeRow(mode, pixel, empty, 1);
        EXPECT_EQ(std::memcmp(empty, pixel, sizeof pixel), 0) << BlendModeName(mode);
    }
}

TEST(BlendModeKeys, EveryKeyAndName)
{
    // In the order of the enumeration.
    const char keys[] =
        "normdissdarkmul idivlbrndkCllitescrndiv lddglgCloversLithLitvLitlLitpLit"
        "hMixdiffsmudfsubfdivhue sat colrlum pass";
    const char* const names[] = {
        "normal",       "dissolve",   "darken",     "multiply",    "color burn",   "linear burn",
        "darker color", "lighten",    "screen",     "color dodge", "linear dodge", "lighter color",
        "overlay",      "soft light", "hard light", "vivid light", "linear light", "pin light",
        "hard mix",     "difference", "exclusion",  "subtract",    "divide",       "hue",
        "saturation",   "color",      "luminosity", "pass through"};
    const int count = static_cast<int>(BlendMode::PassThrough) + 1;
    static_assert(sizeof names / sizeof names[0] == count, "one name a mode");
    ASSERT_EQ(sizeof keys, 4u * count + 1);
    for (int m = 0; m < count; ++m) {
        const char key[4] = {keys[4 * m], keys[4 * m + 1], keys[4 * m + 2], keys[4 * m + 3]};
        BlendMode mode = BlendMode::Dissolve;
        EXPECT_TRUE(sdk::render::BlendModeFromKey(key, mode)) << names[m];
        EXPECT_EQ(mode, static_cast<BlendMode>(m)) << names[m];
        EXPECT_STREQ(sdk::render::BlendModeName(static_cast<BlendMode>(m)), names[m]);
    }
}

TEST(BlendModeKeys, UnknownKeyIsRefused)
{
    BlendMode mode = BlendMode::Screen;
    for (const char* text : {"xxxx", "Norm", "mul\0"}) {
        const char key[4] = {text[0], text[1], text[2], text[3]};
        EXPECT_FALSE(sdk::render::BlendModeFromKey(key, mode)) << text;
    }
    EXPECT_EQ(mode, BlendMode::Screen);
}
