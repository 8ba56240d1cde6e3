// Layer effects: the box blur their shadows and glows are made of, and each effect drawn on
// built layers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "graphic/RowSource.h"
#include "render/compose/ComposedRows.h"
#include "render/compose/LayerAsShown.h"
#include "render/compose/UndrawnParts.h"
#include "render/effects/BoxBlurRows.h"
#include "support/ErrorTag.h"
#include "support/HeldCoverageRows.h"
#include "support/PsdReader.h"

namespace {

using sdk::render::BoxBlurRows;
using sdk::render::CoverageRows;
using test_support::ByteWriter;
using test_support::Bytes;
using test_support::DescriptorWriter;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::PsdReader;
using test_support::RawChannel;

// A single covered pixel at (centre, 0) of a row width wide.
std::unique_ptr<CoverageRows> Dot(int32_t width, int32_t centre)
{
    std::vector<float> row(static_cast<size_t>(width), 0.0f);
    row[centre] = 1;
    return std::unique_ptr<CoverageRows>(new test_support::HeldCoverageRows({row}));
}

TEST(BoxBlur, WholeAndFractionalWidthsSpreadADotByTheirWeights)
{
    // Width 3: a third on each of three pixels, along the row and down the column.
    BoxBlurRows three(Dot(7, 3), 3);
    for (int64_t y = -2; y <= 2; ++y) {
        const float* row = three.Row(y);
        const float expected = std::abs(y) <= 1 ? 1.0f / 9 : 0.0f;
        EXPECT_NEAR(expected, row[2], 1e-6) << y;
        EXPECT_NEAR(expected, row[3], 1e-6) << y;
        EXPECT_NEAR(0, row[1], 1e-6) << y;
    }
    // Width 2: the centre and half of each neighbour, a quarter, a half and a quarter.
    BoxBlurRows two(Dot(5, 2), 2);
    const float* row = two.Row(0);
    EXPECT_NEAR(0.25 * 0.5, row[1], 1e-6);
    EXPECT_NEAR(0.5 * 0.5, row[2], 1e-6);
    EXPECT_NEAR(0.25 * 0.25, two.Row(1)[1], 1e-6);
    // Two passes of width 3: the triangle 1 2 3 2 1 over 9 on each axis.
    BoxBlurRows twice(std::unique_ptr<CoverageRows>(new BoxBlurRows(Dot(9, 4), 3)), 3);
    const float* middle = twice.Row(0);
    const float weights[] = {1, 2, 3, 2, 1};
    for (int x = 0; x < 5; ++x)
        EXPECT_NEAR(weights[x] * 3 / 81, middle[2 + x], 1e-6) << x;
}

TEST(BoxBlur, GrowAndShrinkMoveAStraightEdgeByHalfTheWidth)
{
    // Columns 0 .. 4 covered, 5 .. 11 empty, on every row.
    std::vector<std::vector<float>> rows(20, std::vector<float>(12, 0.0f));
    for (std::vector<float>& row : rows)
        std::fill(row.begin(), row.begin() + 5, 1.0f);
    BoxBlurRows grow(std::unique_ptr<CoverageRows>(new test_support::HeldCoverageRows(rows)), 5,
                     BoxBlurRows::Shape::Grow);
    const float* grown = grow.Row(10);
    EXPECT_FLOAT_EQ(1, grown[6]);
    EXPECT_FLOAT_EQ(0, grown[7]);
    BoxBlurRows shrink(std::unique_ptr<CoverageRows>(new test_support::HeldCoverageRows(rows)), 5,
                       BoxBlurRows::Shape::Shrink);
    const float* shrunk = shrink.Row(10);
    EXPECT_FLOAT_EQ(1, shrunk[2]);
    EXPECT_NEAR(0, shrunk[3], 1e-6);
}

TEST(BoxBlur, RowsPassedOverGiveWhatAskingEveryRowGives)
{
    std::vector<std::vector<float>> rows;
    for (int y = 0; y < 60; ++y) {
        std::vector<float> row(8);
        for (int x = 0; x < 8; ++x)
            row[x] = static_cast<float>((x * 7 + y * 13) % 10) / 10;
        rows.push_back(row);
    }
    auto blur = [&] {
        return std::unique_ptr<BoxBlurRows>(new BoxBlurRows(
            std::unique_ptr<CoverageRows>(new BoxBlurRows(
                std::unique_ptr<CoverageRows>(new test_support::HeldCoverageRows(rows, 5)), 4.5)),
            4.5));
    };
    std::unique_ptr<BoxBlurRows> every = blur(), some = blur();
    std::vector<std::vector<float>> all;
    for (int64_t y = 0; y < 80; ++y) {
        const float* row = every->Row(y);
        all.emplace_back(row, row + 8);
    }
    // Small steps move the box; a long jump starts it afresh.
    for (int64_t y : {3, 4, 9, 10, 40, 41, 79}) {
        const float* row = some->Row(y);
        for (int x = 0; x < 8; ++x)
            EXPECT_NEAR(all[y][x], row[x], 1e-5) << y << " " << x;
    }
}

// A square layer of one colour, size x size at left, top, with alpha (an edge of alpha edge
// all round when given).
PsdLayer Square(int32_t left, int32_t top, int32_t size, uint8_t red, uint8_t green,
                uint8_t blue, int edge = -1)
{
    const size_t n = static_cast<size_t>(size) * size;
    Bytes alpha(n, 255);
    if (edge >= 0) {
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size; ++x)
                if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
                    alpha[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(edge);
    }
    PsdLayer layer(top, left, top + size, left + size);
    layer.Add(RawChannel(-1, alpha)).Add(RawChannel(0, Bytes(n, red)));
    layer.Add(RawChannel(1, Bytes(n, green))).Add(RawChannel(2, Bytes(n, blue)));
    return layer;
}

DescriptorWriter Colour(double red, double green, double blue)
{
    return DescriptorWriter("RGBC").Double("Rd  ", red).Double("Grn ", green).Double("Bl  ", blue);
}

// An effect of class key in normal mode at full opacity, of colour red, green, blue.
DescriptorWriter Effect(const std::string& key, double red, double green, double blue)
{
    return DescriptorWriter(key)
        .Bool("enab", true)
        .Enum("Md  ", "BlnM", "Nrml")
        .Object("Clr ", Colour(red, green, blue))
        .Unit("Opct", "#Prc", 100);
}

DescriptorWriter Shadow(double distance, double size, bool conceals = true)
{
    return Effect("DrSh", 0, 0, 0)
        .Bool("uglg", false)
        .Unit("lagl", "#Ang", 90)
        .Unit("Dstn", "#Pxl", distance)
        .Unit("Ckmt", "#Pxl", 0)
        .Unit("blur", "#Pxl", size)
        .Bool("layerConceals", conceals);
}

DescriptorWriter Stroke(double width, const std::string& position)
{
    return Effect("FrFX", 0, 255, 0)
        .Enum("Styl", "FStl", position)
        .Enum("PntT", "FrFl", "SClr")
        .Unit("Sz  ", "#Pxl", width);
}

// The layer with an effects block holding effects (key, settings).
PsdLayer WithEffects(PsdLayer layer,
                     const std::vector<std::pair<std::string, DescriptorWriter>>& effects,
                     const Bytes& more = {})
{
    DescriptorWriter block("null");
    block.Unit("Scl ", "#Prc", 100).Bool("masterFXSwitch", true);
    for (const auto& effect : effects)
        block.Object(effect.first, effect.second);
    layer.additional = test_support::LayerBlock(
                           "lfx2", ByteWriter().U32(0).Append(block.Versioned()).Data());
    layer.additional.insert(layer.additional.end(), more.begin(), more.end());
    return layer;
}

Bytes Document(int32_t size, const std::vector<PsdLayer>& layers)
{
    PsdBuilder psd;
    psd.width = size;
    psd.height = size;
    psd.planes.assign(3, Bytes(static_cast<size_t>(size) * size, 0));
    psd.layers = layers;
    return psd.Build();
}

// The composed document: rows of A B G R bytes.
std::vector<Bytes> Composed(const Bytes& file)
{
    PsdReader reader(file);
    sdk::render::ComposedRows rows(reader.psd);
    std::vector<Bytes> picture;
    for (int32_t y = 0; y < rows.Height(); ++y) {
        const uint8_t* row = rows.NextRow();
        picture.emplace_back(row, row + rows.Width() * 4);
    }
    return picture;
}

// Pixel x, y of a picture: alpha, blue, green, red.
Bytes At(const std::vector<Bytes>& picture, int32_t x, int32_t y)
{
    return Bytes(picture[y].begin() + x * 4, picture[y].begin() + x * 4 + 4);
}

}  // namespace

TEST(Effects, DropShadowFallsAwayFromTheLightUnderTheLayer)
{
    // A red square 4 x 4 at 8, 8; light from above, 3 pixels: the shadow's rows 11 .. 14.
    const std::vector<Bytes> picture =
        Composed(Document(20, {WithEffects(Square(8, 8, 4, 255, 0, 0), {{"DrSh", Shadow(3, 0)}})}));
    EXPECT_EQ(Bytes({255, 0, 0, 0}), At(picture, 9, 13));     // shadow below the square
    EXPECT_EQ(Bytes({255, 0, 0, 0}), At(picture, 9, 14));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), At(picture, 9, 15));       // and no further
    EXPECT_EQ(Bytes({0, 0, 0, 0}), At(picture, 9, 7));        // nothing above it
    EXPECT_EQ(Bytes({255, 0, 0, 255}), At(picture, 9, 11));   // the layer over its shadow
}

TEST(Effects, ShadowBlurIsTwoBoxesOfItsSize)
{
    // Past the lower edge of a wide square, a shadow of size 4 without offset fades as two
    // boxes of width 4 (each a half pixel at its ends) fade a step: 100, 52, 20, 4, then 0.
    const std::vector<Bytes> picture = Composed(Document(
        24, {WithEffects(Square(0, 0, 15, 255, 255, 255), {{"DrSh", Shadow(0, 4)}})}));
    const int expected[] = {100, 52, 20, 4, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(expected[i], At(picture, 6, 15 + i)[0], 1) << i;
        EXPECT_EQ(At(picture, 6, 15 + i), At(picture, 15 + i, 6)) << "the same to the right";
    }
}

TEST(Effects, StrokeBandsAtFractionalWidthsAndItsPlaceAboveTheShadow)
{
    // A 1.5 pixel outside stroke: the first ring whole, the second half; it lies over the
    // shadow, which shows beyond it.
    const std::vector<Bytes> picture = Composed(Document(
        20, {WithEffects(Square(6, 6, 6, 255, 0, 0),
                         {{"DrSh", Shadow(3, 0)}, {"FrFX", Stroke(1.5, "OutF")}})}));
    EXPECT_EQ(Bytes({255, 0, 0, 255}), At(picture, 8, 11));  // the layer
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(picture, 8, 5));   // the first ring, above
    EXPECT_EQ(Bytes({128, 0, 255, 0}), At(picture, 8, 4));   // half the second
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(picture, 8, 12));  // the stroke over the shadow
    EXPECT_EQ(Bytes({255, 0, 0, 0}), At(picture, 8, 14));    // the shadow beyond it
    // Inside, the band replaces the layer's own pixels.
    const std::vector<Bytes> inside = Composed(
        Document(20, {WithEffects(Square(6, 6, 6, 255, 0, 0), {{"FrFX", Stroke(1, "InsF")}})}));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(inside, 6, 8));
    EXPECT_EQ(Bytes({255, 0, 0, 255}), At(inside, 7, 8));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), At(inside, 5, 8));
}

TEST(Effects, InteriorEffectsAreClippedToTheLayerAndLeftAloneByItsFillOpacity)
{
    // A square whose border pixels are half covered, its fill opacity 0, under a blue overlay:
    // the overlay shows as far as the layer covers, the border at half.
    const Bytes fillNone = test_support::LayerBlock("iOpa", {0, 0, 0, 0});
    const PsdLayer layer = Square(4, 4, 6, 255, 0, 0, 128);
    const std::vector<Bytes> picture = Composed(Document(
        14, {WithEffects(layer, {{"SoFi", Effect("SoFi", 0, 0, 255)}}, fillNone)}));
    EXPECT_EQ(Bytes({255, 255, 0, 0}), At(picture, 6, 6));
    EXPECT_EQ(Bytes({128, 255, 0, 0}), At(picture, 4, 6));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), At(picture, 3, 6));
    // Blended with the layer as a group, the interior effects fade with its fill opacity.
    Bytes asGroup = fillNone;
    const Bytes infx = test_support::LayerBlock("infx", {1, 0, 0, 0});
    asGroup.insert(asGroup.end(), infx.begin(), infx.end());
    const std::vector<Bytes> faded = Composed(Document(
        14, {WithEffects(layer, {{"SoFi", Effect("SoFi", 0, 0, 255)}}, asGroup)}));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), At(faded, 6, 6));
}

TEST(Effects, ALayerAsShownGrowsByWhatItsEffectsReach)
{
    // A 3-pixel shadow below and a 1-pixel stroke all round: one column each side, one row
    // above, three below.
    const Bytes file = Document(
        20, {WithEffects(Square(8, 8, 4, 255, 0, 0),
                         {{"DrSh", Shadow(3, 0)}, {"FrFX", Stroke(1, "OutF")}})});
    PsdReader reader(file);
    const sdk::graphic::PsdLayerArea area = sdk::render::LayerAreaWithEffects(reader.psd, 0);
    EXPECT_EQ(7, area.left);
    EXPECT_EQ(7, area.top);
    EXPECT_EQ(13, area.right);
    EXPECT_EQ(15, area.bottom);
    std::unique_ptr<sdk::graphic::RowSource> rows = sdk::render::LayerAsShown(reader.psd, 0);
    ASSERT_EQ(6, rows->Width());
    ASSERT_EQ(8, rows->Height());
    const uint8_t* top = rows->NextRow();
    EXPECT_EQ(255, top[1 * 4 + 0]);  // the stroke above the layer (alpha first)
    for (int y = 1; y < 8; ++y)
        rows->NextRow();
    // The stored rectangle is what the layer's own pixels cover.
    EXPECT_EQ(8, sdk::render::LayerAreaAsShown(reader.psd, 0).left);
}

TEST(Effects, AGroupsEffectsAreTracedFromWhatItsLayersCompose)
{
    // Two squares side by side in a group with a 1-pixel outside stroke: one ring round both,
    // none between them.
    PsdLayer divider;
    divider.additional = test_support::SectionBlock(3);
    const PsdLayer folder = WithEffects(PsdLayer(), {{"FrFX", Stroke(1, "OutF")}},
                                        test_support::SectionBlock(1, "pass"));
    const std::vector<Bytes> picture = Composed(Document(
        12, {divider, Square(2, 4, 3, 255, 0, 0), Square(5, 4, 3, 0, 0, 255), folder}));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(picture, 1, 5));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(picture, 8, 5));
    EXPECT_EQ(Bytes({255, 0, 255, 0}), At(picture, 5, 3));
    EXPECT_EQ(Bytes({255, 0, 0, 255}), At(picture, 4, 5));
    EXPECT_EQ(Bytes({255, 255, 0, 0}), At(picture, 5, 5));
}

TEST(Effects, DamagedSettingsFailTheDrawingWithTheirTag)
{
    PsdLayer damaged = Square(1, 1, 2, 9, 9, 9);
    damaged.additional = test_support::LayerBlock("lfx2", {0, 0, 0, 0, 0, 0, 0, 16, 0});
    PsdReader broken(Document(8, {damaged}));
    EXPECT_EQ("ImageLoaderPSD::LayerBlock:480",
              test_support::TagOf([&] { sdk::render::ComposedRows rows(broken.psd); }));
    EXPECT_EQ(std::vector<std::string>({"layer effects"}), sdk::render::UndrawnParts(broken.psd, 0));
}

TEST(Effects, AGroupsPictureCoversWhatItsLayersEffectsReach)
{
    // A group of a 2 x 2 square at 4, 4 with a 2-pixel shadow below: its picture reaches two
    // rows further down; a layer without effects grows nothing.
    PsdLayer divider;
    divider.additional = test_support::SectionBlock(3);
    PsdLayer folder;
    folder.additional = test_support::SectionBlock(1, "pass");
    PsdReader styled(Document(12, {divider, WithEffects(Square(4, 4, 2, 9, 9, 9), {{"DrSh", Shadow(2, 0)}}),
                                   folder}));
    const sdk::graphic::PsdLayerArea area = sdk::render::GroupAreaAsShown(styled.psd, 2);
    EXPECT_EQ(4, area.left);
    EXPECT_EQ(4, area.top);
    EXPECT_EQ(6, area.right);
    EXPECT_EQ(8, area.bottom);
    PsdReader plain(Document(12, {divider, Square(4, 4, 2, 9, 9, 9), folder}));
    EXPECT_EQ(6, sdk::render::GroupAreaAsShown(plain.psd, 2).bottom);
}
