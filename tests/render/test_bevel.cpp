// The light and shade of a bevel around a square: which edges the light from above lights and
// which it shades, the side of the edge each style draws on, a chisel's facets, and rows passed
// over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/effects/BevelRows.h"

namespace {

using sdk::render::BevelRows;
using sdk::render::BevelSettings;
using sdk::render::CoverageRows;
using sdk::render::EffectKind;
using sdk::render::LayerEffect;

constexpr int32_t kSide = 80;            // the picture's columns and rows
constexpr int32_t kFrom = 20, kTo = 60;  // the square's columns and rows, kTo excluded

// A full square in an empty picture, as a stage's input, with a row of coverage rim above it;
// rows must be asked in ascending order.
class SquareRows : public CoverageRows {
public:
    explicit SquareRows(float rim) : row_(kSide, 0.0f), rim_(kSide, 0.0f), zero_(kSide, 0.0f)
    {
        std::fill(row_.begin() + kFrom, row_.begin() + kTo, 1.0f);
        std::fill(rim_.begin() + kFrom, rim_.begin() + kTo, rim);
    }
    const float* Row(int64_t y) override
    {
        EXPECT_GE(y, asked_) << "rows asked out of order";
        asked_ = y;
        if (y == kFrom - 1)
            return rim_.data();
        return y >= kFrom && y < kTo ? row_.data() : zero_.data();
    }
    int32_t Width() const override { return kSide; }
    int32_t Left() const override { return 0; }

private:
    std::vector<float> row_;
    std::vector<float> rim_;
    std::vector<float> zero_;
    int64_t asked_ = INT64_MIN;
};

bool InSquare(int32_t x, int32_t y)
{
    return x >= kFrom && x < kTo && y >= kFrom && y < kTo;
}

LayerEffect Bevel(BevelSettings::Style style, BevelSettings::Technique technique, bool up = true)
{
    LayerEffect e;
    e.kind = EffectKind::Bevel;
    e.size = 8;
    e.angle = 90;  // from above
    e.bevel.altitude = 30;
    e.bevel.style = style;
    e.bevel.technique = technique;
    e.bevel.up = up;
    return e;
}

struct Light {
    std::vector<std::vector<float>> highlight, shadow;  // rows of columns
};

// The bevel's rows, the ones listed (ascending) or every one.
Light Draw(const LayerEffect& e, std::vector<int64_t> rows = {}, float rim = 0)
{
    if (rows.empty()) {
        for (int64_t y = 0; y < kSide; ++y)
            rows.push_back(y);
    }
    BevelRows bevel(std::unique_ptr<CoverageRows>(new SquareRows(rim)), e);
    EXPECT_EQ(kSide, bevel.Width());
    Light light;
    for (int64_t y : rows) {
        const float* highlight = nullptr;
        const float* shadow = nullptr;
        bevel.Row(y, highlight, shadow);
        light.highlight.emplace_back(highlight, highlight + kSide);
        light.shadow.emplace_back(shadow, shadow + kSide);
    }
    return light;
}

using Style = BevelSettings::Style;
using Technique = BevelSettings::Technique;

// The top edge inside the square is lit (or shaded, lit is false) and the bottom edge the other
// way, the flat middle and everything outside untouched.
void ExpectInnerEdges(const Light& light, bool lit)
{
    const int32_t x = (kFrom + kTo) / 2;
    const auto& top = lit ? light.highlight : light.shadow;
    const auto& topOther = lit ? light.shadow : light.highlight;
    const auto& bottom = lit ? light.shadow : light.highlight;
    const auto& bottomOther = lit ? light.highlight : light.shadow;
    for (int32_t y = kFrom; y < kFrom + 3; ++y) {
        EXPECT_GT(top[y][x], 0.2f) << "row " << y;
        EXPECT_EQ(0.0f, topOther[y][x]) << "row " << y;
    }
    for (int32_t y = kTo - 3; y < kTo; ++y) {
        EXPECT_GT(bottom[y][x], 0.2f) << "row " << y;
        EXPECT_EQ(0.0f, bottomOther[y][x]) << "row " << y;
    }
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) {
            // The ramp reaches the size in from the edge, the slope a pixel further.
            const bool flat = x >= kFrom + 9 && x < kTo - 9 && y >= kFrom + 9 && y < kTo - 9;
            if (flat || !InSquare(x, y)) {
                EXPECT_EQ(0.0f, light.highlight[y][x]) << x << ", " << y;
                EXPECT_EQ(0.0f, light.shadow[y][x]) << x << ", " << y;
            }
        }
    }
}

TEST(Bevel, LightFromAboveLightsAnInnerBevelsTopEdgeAndShadesItsBottom)
{
    ExpectInnerEdges(Draw(Bevel(Style::Inner, Technique::Smooth)), true);
    ExpectInnerEdges(Draw(Bevel(Style::Inner, Technique::ChiselHard)), true);
}

TEST(Bevel, DirectionDownSwapsTheLitAndShadedEdges)
{
    ExpectInnerEdges(Draw(Bevel(Style::Inner, Technique::Smooth, false)), false);
    ExpectInnerEdges(Draw(Bevel(Style::Inner, Technique::ChiselHard, false)), false);
}

TEST(Bevel, AnOuterBevelDrawsOutsideTheSquareOnly)
{
    for (Technique technique : {Technique::Smooth, Technique::ChiselSoft}) {
        const Light light = Draw(Bevel(Style::Outer, technique));
        const int32_t x = (kFrom + kTo) / 2;
        // Outside, the ground falls away from the square: towards the light above it.
        EXPECT_GT(light.highlight[kFrom - 2][x], 0.2f);
        EXPECT_GT(light.shadow[kTo + 1][x], 0.2f);
        for (int32_t y = 0; y < kSide; ++y) {
            for (int32_t x = 0; x < kSide; ++x) {
                if (InSquare(x, y)) {
                    EXPECT_EQ(0.0f, light.highlight[y][x]) << x << ", " << y;
                    EXPECT_EQ(0.0f, light.shadow[y][x]) << x << ", " << y;
                }
            }
        }
    }
}

TEST(Bevel, AHardChiselsFacetsAreFlatAndRiseAsDeepAsTheyAreWide)
{
    // The top facet of an inner chisel at depth 100 % faces up at 45 degrees: lit by
    // cos(45 - 30) against the flat sin(30). So also where the edge runs through a row of
    // pixels half covered.
    const double pi = 3.14159265358979323846;
    const float lit = static_cast<float>((std::cos(15 * pi / 180) - 0.5) / 0.5);
    for (float rim : {0.0f, 0.5f}) {
        const Light light = Draw(Bevel(Style::Inner, Technique::ChiselHard), {}, rim);
        for (int32_t y = kFrom; y < kFrom + 7; ++y) {
            for (int32_t x = kFrom + 9; x < kTo - 9; ++x)
                EXPECT_NEAR(lit, light.highlight[y][x], 1e-3) << x << ", " << y << ", " << rim;
        }
    }
}

TEST(Bevel, RowsPassedOverGiveWhatAskingEveryRowGives)
{
    const std::vector<int64_t> rows = {-40, 0, 1, 3, 17, 18, 19, 45, 46, 58, 75};
    for (Technique technique : {Technique::Smooth, Technique::ChiselHard}) {
        LayerEffect e = Bevel(Style::PillowEmboss, technique);
        e.bevel.soften = 3;
        const Light every = Draw(e);
        const Light some = Draw(e, rows);
        for (size_t i = 0; i < rows.size(); ++i) {
            for (int32_t x = 0; x < kSide; ++x) {
                const float highlight = rows[i] < 0 ? 0.0f : every.highlight[rows[i]][x];
                const float shadow = rows[i] < 0 ? 0.0f : every.shadow[rows[i]][x];
                EXPECT_NEAR(highlight, some.highlight[i][x], 1e-5) << x << ", " << rows[i];
                EXPECT_NEAR(shadow, some.shadow[i][x], 1e-5) << x << ", " << rows[i];
            }
        }
    }
}

}  // namespace
