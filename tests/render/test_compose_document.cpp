// The layer properties and tree of built documents, and what the renderer composes of them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphic/psd/PsdLayerTree.h"
#include "render/compose/ComposedRows.h"
#include "render/FeatheredRows.h"
#include "render/compose/LayerAsShown.h"
#include "render/Span.h"
#include "render/compose/UndrawnParts.h"
#include "support/ErrorTag.h"
#include "support/PsdReader.h"

namespace {

using sdk::graphic::PsdLayerNode;
using sdk::graphic::PsdLayerProperties;
using test_support::Bytes;
using test_support::ByteWriter;
using test_support::PsdBuilder;
using test_support::PsdLayer;
using test_support::PsdReader;
using test_support::RawChannel;
using test_support::TagOf;

using test_support::LayerBlock;
Bytes Section(uint32_t type, const std::string& mode = "")
{
    return test_support::SectionBlock(type, mode);
}

// A layer of one row: its colour planes (one value per pixel each) and its alpha.
PsdLayer RowLayer(int32_t left, const Bytes& red, const Bytes& green, const Bytes& blue,
                  const Bytes& alpha)
{
    PsdLayer layer(0, left, 1, left + static_cast<int32_t>(red.size()));
    layer.Add(RawChannel(-1, alpha)).Add(RawChannel(0, red)).Add(RawChannel(1, green));
    layer.Add(RawChannel(2, blue));
    return layer;
}

PsdLayer Solid(int32_t width, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
{
    const size_t n = static_cast<size_t>(width);
    return RowLayer(0, Bytes(n, red), Bytes(n, green), Bytes(n, blue), Bytes(n, alpha));
}

// Group records: the divider below the children and the folder above them.
PsdLayer Divider()
{
    PsdLayer layer;
    layer.additional = Section(3);
    return layer;
}

PsdLayer Folder(const std::string& mode)
{
    PsdLayer layer;
    layer.additional = Section(1, mode);
    return layer;
}

Bytes Document(int32_t width, const std::vector<PsdLayer>& layers)
{
    PsdBuilder psd;
    psd.width = width;
    psd.planes.assign(3, Bytes(static_cast<size_t>(width), 0));
    psd.layers = layers;
    return psd.Build();
}

// The composed row as A B G R bytes.
Bytes Composed(const Bytes& file)
{
    PsdReader reader(file);
    sdk::render::ComposedRows rows(reader.psd);
    const uint8_t* row = rows.NextRow();
    return Bytes(row, row + rows.Width() * rows.Channels());
}

Bytes AsShown(const Bytes& file, int32_t index)
{
    PsdReader reader(file);
    std::unique_ptr<sdk::graphic::RowSource> rows = sdk::render::LayerAsShown(reader.psd, index);
    const uint8_t* row = rows->NextRow();
    return Bytes(row, row + rows->Width() * rows->Channels());
}

TEST(Spans, MergeSortsJoinsAndDropsEmptyOnes)
{
    sdk::render::Spans spans = {{8, 9}, {0, 2}, {5, 5}, {2, 4}, {3, 6}, {10, 12}};
    sdk::render::Merge(spans);
    ASSERT_EQ(3u, spans.size());
    EXPECT_EQ(0, spans[0].from);
    EXPECT_EQ(6, spans[0].to);
    EXPECT_EQ(8, spans[1].from);
    EXPECT_EQ(9, spans[1].to);
    EXPECT_EQ(10, spans[2].from);
}

TEST(LayerProperties, RecordFieldsAndBlocks)
{
    PsdLayer layer = Solid(1, 9, 9, 9);
    layer.opacity = 200;
    layer.clipping = 1;
    layer.flags = 0x02;  // hidden
    // A mask beside one made from a vector mask: the user's own one is taken.
    ByteWriter mask;
    mask.I32(0).I32(0).I32(1).I32(1).U8(0).U8(0x08);
    mask.U8(0x02).U8(255).I32(1).I32(2).I32(3).I32(5);
    layer.mask = mask.Data();
    layer.blendingRanges = {0, 10, 200, 255, 0, 0, 255, 255};
    layer.additional = LayerBlock("iOpa", {77, 0, 0, 0});
    const Bytes more = LayerBlock("TySh", {0, 0, 0, 0});
    layer.additional.insert(layer.additional.end(), more.begin(), more.end());
    PsdReader reader(Document(1, {layer}));

    const PsdLayerProperties& read = reader.psd.LayerRecord(0).properties;
    EXPECT_TRUE(read.damage.empty());
    EXPECT_EQ(200, read.opacity);
    EXPECT_EQ(77, read.fillOpacity);
    EXPECT_TRUE(read.clipping);
    EXPECT_FALSE(read.visible);
    EXPECT_EQ(PsdLayerProperties::Kind::Type, read.kind);
    EXPECT_TRUE(read.mask.real);
    EXPECT_TRUE(read.mask.disabled);
    EXPECT_EQ(255, read.mask.defaultColor);
    EXPECT_EQ(2, read.mask.x);
    EXPECT_EQ(1, read.mask.y);
    EXPECT_EQ(3, read.mask.width);
    EXPECT_EQ(2, read.mask.height);
    ASSERT_EQ(1u, read.sourceRanges.size());
    EXPECT_EQ(10, read.sourceRanges[0].black[1]);
    EXPECT_TRUE(read.destinationRanges[0].IsFull());
}

TEST(LayerProperties, DamagedBlockIsKeptNotRaisedByTheScan)
{
    PsdLayer layer = Solid(1, 9, 9, 9);
    layer.additional = LayerBlock("iOpa", {1, 0, 0, 0});
    layer.additional[11] = 99;  // the block's length runs past the record
    const Bytes file = Document(1, {layer});
    EXPECT_EQ(Bytes({255, 9, 9, 9}), test_support::LayerRaster(file, 0));
    PsdReader reader(file);
    EXPECT_EQ("ImageLoaderPSD::LayerProperties:400",
              TagOf([&] { reader.psd.CheckLayerProperties(); }));
    EXPECT_EQ("ImageLoaderPSD::LayerProperties:400", TagOf([&] { Composed(file); }));
}

TEST(LayerTree, GroupsNestAndUnclosedDividersLeaveTheirChildren)
{
    // File order, bottom first: [divider, A, [divider, B, folder], folder], C, divider, D.
    PsdReader reader(Document(1, {Divider(), Solid(1, 1, 1, 1), Divider(), Solid(1, 2, 2, 2),
                                  Folder("pass"), Folder("norm"), Solid(1, 3, 3, 3), Divider(),
                                  Solid(1, 4, 4, 4)}));
    const PsdLayerNode root = sdk::graphic::BuildPsdLayerTree(reader.psd);
    ASSERT_EQ(3u, root.children.size());
    const PsdLayerNode& outer = root.children[0];
    EXPECT_TRUE(outer.group);
    EXPECT_EQ(5, outer.layer);
    ASSERT_EQ(2u, outer.children.size());
    EXPECT_EQ(1, outer.children[0].layer);
    EXPECT_EQ(4, outer.children[1].layer);
    ASSERT_EQ(1u, outer.children[1].children.size());
    EXPECT_EQ(6, root.children[1].layer);
    EXPECT_EQ(8, root.children[2].layer);

    // A group's area is the union of its children's rectangles, its own record's left out.
    EXPECT_EQ(0, outer.area.left);
    EXPECT_EQ(1, outer.area.Width());
    EXPECT_TRUE(root.children[1].area.Width() == 1 && !root.children[1].area.Empty());

    std::vector<PsdLayer> deep(sdk::graphic::kMaxPsdGroupDepth + 1, Divider());
    PsdReader tooDeep(Document(1, deep));
    EXPECT_EQ("ImageLoaderPSD::LayerTree:450",
              TagOf([&] { sdk::graphic::BuildPsdLayerTree(tooDeep.psd); }));
}

TEST(Compose, GroupPictureIsBoundedByWhatTheFileDescribes)
{
    // Two one-pixel layers 900,000 columns apart in a one-pixel document.
    PsdLayer far = Solid(1, 9, 9, 9);
    far.left = 900000;
    far.right = 900001;
    PsdReader reader(Document(1, {Divider(), Solid(1, 1, 1, 1), far, Folder("pass")}));
    EXPECT_EQ("GroupAsShown:140", TagOf([&] { sdk::render::GroupAsShown(reader.psd, 3); }));

    // A hidden layer that widens the picture counts once its pixels are decoded.
    PsdLayer hidden = Solid(5, 9, 9, 9);
    hidden.left = 2;
    hidden.right = 7;
    hidden.flags = 2;
    PsdReader wide(Document(1, {Divider(), Solid(1, 1, 1, 1), hidden, Folder("pass")}));
    EXPECT_EQ(7, sdk::render::GroupAsShown(wide.psd, 3)->Width());
    hidden.channels[1].body.pop_back();  // its red row a byte short
    PsdReader damaged(Document(1, {Divider(), Solid(1, 1, 1, 1), hidden, Folder("pass")}));
    const std::string tag = TagOf([&] { sdk::render::GroupAsShown(damaged.psd, 3); });
    EXPECT_EQ(0u, tag.find("ImageLoaderPSD::")) << tag;

    PsdLayer near = Solid(1, 200, 100, 50, 128);
    near.left = 1;
    near.right = 2;
    near.opacity = 255;
    PsdReader group(Document(3, {Divider(), Solid(1, 1, 1, 1), near, Folder("pass")}));
    std::unique_ptr<sdk::graphic::RowSource> rows = sdk::render::GroupAsShown(group.psd, 3);
    ASSERT_EQ(2, rows->Width());
    const uint8_t* row = rows->NextRow();
    EXPECT_EQ(Bytes({255, 1, 1, 1, 128, 50, 100, 200}), Bytes(row, row + 8));
}

TEST(Compose, OpacityFillAndHiddenLayers)
{
    PsdLayer faded = Solid(2, 255, 0, 0);
    faded.opacity = 128;
    faded.additional = LayerBlock("iOpa", {128, 0, 0, 0});
    PsdLayer hidden = Solid(2, 0, 255, 0);
    hidden.flags = 0x02;
    // A B G R: alpha 128 x 128 / 255, red.
    EXPECT_EQ(Bytes({64, 0, 0, 255, 64, 0, 0, 255}), Composed(Document(2, {faded, hidden})));
}

TEST(Compose, MaskTakesItsDefaultColourOutsideItsRectangle)
{
    for (uint8_t outside : {0, 255}) {
        PsdLayer layer = Solid(4, 0, 0, 255);
        ByteWriter mask;  // over columns 1 and 2: 0, then 255
        mask.I32(0).I32(1).I32(1).I32(3).U8(outside).U8(0).U16(0);
        layer.mask = mask.Data();
        layer.Add(RawChannel(-2, {0, 255}));
        const Bytes row = Composed(Document(4, {layer}));
        EXPECT_EQ(outside, row[0]);
        EXPECT_EQ(0, row[4]);
        EXPECT_EQ(255, row[8]);
        EXPECT_EQ(outside, row[12]);
    }
}

TEST(Compose, ClippedLayerShowsOnlyWhereItsBaseShows)
{
    const PsdLayer base = RowLayer(0, {255, 255}, {0, 0}, {0, 0}, {255, 0});
    PsdLayer clipped = Solid(2, 0, 255, 0);
    clipped.clipping = 1;
    clipped.mode = "mul ";
    // Green multiplied onto the red base: black where the base is, nothing beside it.
    EXPECT_EQ(Bytes({255, 0, 0, 0, 0, 0, 0, 0}), Composed(Document(2, {base, clipped})));
    // Alone, the clipped layer keeps its own colour (not its mode) where its base shows.
    EXPECT_EQ(Bytes({255, 0, 255, 0, 0, 0, 0, 0}), AsShown(Document(2, {base, clipped}), 1));

    PsdLayer hiddenBase = base;
    hiddenBase.flags = 0x02;
    EXPECT_EQ(Bytes(8, 0), Composed(Document(2, {hiddenBase, clipped})));
}

TEST(Compose, SolidFillWithoutPixelsIsDrawnFromItsColourThroughItsMask)
{
    // A "SoCo" descriptor: version, name, class "null", one item "Clr " of class "RGBC".
    ByteWriter colour;
    colour.U32(16).U32(1).U16(0).U32(0).Text("null").U32(1);
    colour.U32(0).Text("Clr ").Text("Objc").U32(1).U16(0).U32(0).Text("RGBC").U32(3);
    for (const char* key : {"Rd  ", "Grn ", "Bl  "})
        colour.U32(0).Text(key).Text("doub").U64(key[0] == 'G' ? 0x4060000000000000 : 0);
    PsdLayer fill(0, 0, 0, 0);  // no rectangle and no pixels
    fill.Add(RawChannel(-1, {})).Add(RawChannel(0, {})).Add(RawChannel(1, {})).Add(RawChannel(2, {}));
    fill.additional = LayerBlock("SoCo", colour.Data());
    ByteWriter mask;  // column 1 only
    mask.I32(0).I32(1).I32(1).I32(2).U8(0).U8(0).U16(0);
    fill.mask = mask.Data();
    fill.Add(RawChannel(-2, {255}));
    // Green 128 (the double 128.0) where the mask lets it through.
    const Bytes file = Document(3, {fill});
    EXPECT_EQ(Bytes({0, 0, 0, 0, 255, 0, 128, 0, 0, 0, 0, 0}), Composed(file));
    // As shown, it covers the canvas (it has no vector mask to bound it).
    PsdReader reader(file);
    const sdk::graphic::PsdLayerArea area = sdk::render::LayerAreaAsShown(reader.psd, 0);
    EXPECT_EQ(0, area.left);
    EXPECT_EQ(3, area.right);
    EXPECT_EQ(Bytes({0, 0, 0, 0, 255, 0, 128, 0, 0, 0, 0, 0}), AsShown(file, 0));
}

TEST(Compose, GroupMaskAppliesToEveryRunOfColumnsOnARow)
{
    // Two one-pixel layers far apart in a group whose mask hides the right one.
    PsdLayer group = Folder("norm");
    ByteWriter mask;
    mask.I32(0).I32(0).I32(1).I32(4).U8(255).U8(0).U16(0);
    group.mask = mask.Data();
    group.Add(RawChannel(-2, {255, 255, 255, 0}));
    const Bytes row = Composed(Document(4, {Divider(), RowLayer(0, {9}, {9}, {9}, {255}),
                                            RowLayer(3, {9}, {9}, {9}, {255}), group}));
    EXPECT_EQ(255, row[0]);
    EXPECT_EQ(0, row[12]);
}

TEST(Compose, PassThroughGroupBlendsWithWhatLiesBelowAnIsolatedOneDoesNot)
{
    PsdLayer gray = Solid(1, 128, 128, 128);
    gray.mode = "mul ";
    const PsdLayer red = Solid(1, 255, 0, 0);
    // Pass-through: the gray multiplies the red below the group.
    EXPECT_EQ(Bytes({255, 0, 0, 128}),
              Composed(Document(1, {red, Divider(), gray, Folder("pass")})));
    // Isolated: the gray has nothing below it inside its group and covers the red.
    EXPECT_EQ(Bytes({255, 128, 128, 128}),
              Composed(Document(1, {red, Divider(), gray, Folder("norm")})));
}

// An adjustment layer: no rectangle, no pixels, its settings block; masked to the columns whose
// mask value is 255 when mask is given (over columns 0 .. mask size - 1, hidden beyond).
PsdLayer AdjustmentLayer(const std::string& key, const Bytes& settings, const Bytes& mask = {})
{
    PsdLayer layer(0, 0, 0, 0);
    layer.Add(RawChannel(-1, {})).Add(RawChannel(0, {})).Add(RawChannel(1, {}));
    layer.Add(RawChannel(2, {}));
    layer.additional = LayerBlock(key, settings);
    if (!mask.empty()) {
        ByteWriter data;
        data.I32(0).I32(0).I32(1).I32(static_cast<int32_t>(mask.size())).U8(0).U8(0).U16(0);
        layer.mask = data.Data();
        layer.Add(RawChannel(-2, mask));
    }
    return layer;
}

PsdLayer Invert(const Bytes& mask = {})
{
    return AdjustmentLayer("nvrt", {}, mask);
}

TEST(Adjust, ChangesWhatLiesBelowThroughOpacityAndMaskButNotTransparency)
{
    const PsdLayer below = RowLayer(0, {255, 255, 9}, {0, 0, 9}, {0, 0, 9}, {255, 255, 0});
    PsdLayer half = Invert({255, 0, 255});
    half.opacity = 128;
    // Red half inverted is gray; the masked column keeps its red; transparency stays empty.
    EXPECT_EQ(Bytes({255, 128, 128, 127, 255, 0, 0, 255, 0, 0, 0, 0}),
              Composed(Document(3, {below, half})));
}

TEST(Adjust, ClippedToALayerItChangesOnlyThatLayer)
{
    const PsdLayer blue = RowLayer(0, {0}, {0}, {255}, {255});
    const PsdLayer red = RowLayer(1, {255}, {0}, {0}, {255});
    PsdLayer clipped = Invert();
    clipped.clipping = 1;
    const Bytes file = Document(2, {blue, red, clipped});
    EXPECT_EQ(Bytes({255, 255, 0, 0, 255, 255, 255, 0}), Composed(file));
    // The layer's own picture takes the adjustment clipped above it.
    EXPECT_EQ(Bytes({255, 255, 255, 0}), AsShown(file, 1));
}

TEST(Adjust, LayersClippedToItComposeOntoItsResultWithinItsMask)
{
    const PsdLayer red = Solid(2, 255, 0, 0);
    PsdLayer green = Solid(2, 0, 255, 0);
    green.clipping = 1;
    green.opacity = 128;
    // Column 0: half green over inverted red (cyan); column 1: the mask keeps the red.
    EXPECT_EQ(Bytes({255, 127, 255, 0, 255, 0, 0, 255}),
              Composed(Document(2, {red, Invert({255, 0}), green})));
    // Over half transparency the alpha stays what it was.
    const PsdLayer faint = Solid(2, 255, 0, 0, 128);
    const Bytes row = Composed(Document(2, {faint, Invert({255, 0}), green}));
    EXPECT_EQ(128, row[0]);
    EXPECT_EQ(128, row[4]);
}

TEST(Adjust, InAGroupItChangesWhatTheGroupHoldsOrPassesThrough)
{
    const PsdLayer red = RowLayer(0, {255}, {0}, {0}, {255});
    const PsdLayer gray = RowLayer(1, {100}, {100}, {100}, {255});
    // Isolated: only the gray in the group is inverted; passing through, the red too.
    EXPECT_EQ(Bytes({255, 0, 0, 255, 255, 155, 155, 155}),
              Composed(Document(2, {red, Divider(), gray, Invert(), Folder("norm")})));
    EXPECT_EQ(Bytes({255, 255, 255, 0, 255, 155, 155, 155}),
              Composed(Document(2, {red, Divider(), gray, Invert(), Folder("pass")})));
    // A pass-through group of adjustments alone that a layer is clipped to changes nothing,
    // as the editor draws it.
    PsdLayer empty(0, 0, 0, 0);
    empty.clipping = 1;
    EXPECT_EQ(Bytes({255, 0, 0, 255, 255, 100, 100, 100}),
              Composed(Document(2, {red, gray, Divider(), Invert(), Folder("pass"), empty})));
}

TEST(Adjust, DamagedSettingsFailTheDrawingWithTheirTag)
{
    const Bytes file = Document(1, {Solid(1, 9, 9, 9), AdjustmentLayer("levl", {0, 2, 0})});
    PsdReader reader(file);
    EXPECT_EQ("ImageLoaderPSD::LayerBlock:480",
              TagOf([&] { sdk::render::ComposedRows rows(reader.psd); }));
}

TEST(Adjust, WhatIsNotDrawnIsNamed)
{
    // An effects block (a version, then the descriptor) holding a pattern overlay of a pattern
    // the document does not hold (not drawn) and a disabled stroke.
    using test_support::DescriptorWriter;
    ByteWriter effects;
    effects.U32(0).Append(DescriptorWriter()
                              .Object("patternFill",
                                      DescriptorWriter("patternFill")
                                          .Bool("enab", true)
                                          .Object("Ptrn", DescriptorWriter("Ptrn").Text("Idnt", "x")))
                              .Object("FrFX", DescriptorWriter("FrFX").Bool("enab", false))
                              .Versioned());
    PsdLayer layer = Solid(1, 9, 9, 9);
    layer.additional = LayerBlock("lfx2", effects.Data());
    // A color lookup through a colour profile is not drawn either.
    ByteWriter lookup;
    lookup.U16(1).Append(DescriptorWriter().Raw("profile", {0, 0}).Versioned());
    const Bytes file = Document(1, {layer, AdjustmentLayer("clrL", lookup.Data())});
    PsdReader reader(file);
    const std::vector<sdk::render::UndrawnLayer> undrawn = sdk::render::UndrawnLayers(reader.psd);
    ASSERT_EQ(2u, undrawn.size());
    EXPECT_EQ(std::vector<std::string>({"pattern overlay"}), undrawn[0].parts);
    EXPECT_EQ(std::vector<std::string>({"color lookup"}), undrawn[1].parts);
    // Effects whose settings cannot be read are not drawn either way: named, not failing.
    layer.additional = LayerBlock("lfx2", {0, 0, 0, 0, 0, 0, 0, 16, 0});
    PsdReader damaged(Document(1, {layer}));
    EXPECT_EQ(std::vector<std::string>({"layer effects"}),
              sdk::render::UndrawnParts(damaged.psd, 0));
}

TEST(Compose, KnockoutRevealsTheBottomOfItsGroupOrTheBackground)
{
    // An opaque red background, yellow over it, then a group of blue and a layer that knocks
    // out with no fill of its own: shallow, the group holds a hole and yellow shows; deep, the
    // background does.
    PsdLayer background(0, 0, 1, 1);
    background.Add(RawChannel(0, {255})).Add(RawChannel(1, {0})).Add(RawChannel(2, {0}));
    const PsdLayer yellow = Solid(1, 255, 255, 0);
    const PsdLayer blue = Solid(1, 0, 0, 255);
    for (uint8_t depth : {1, 2}) {
        PsdLayer knock = Solid(1, 9, 9, 9);
        knock.additional = LayerBlock("iOpa", {0, 0, 0, 0});
        const Bytes knko = LayerBlock("knko", {depth, 0, 0, 0});
        knock.additional.insert(knock.additional.end(), knko.begin(), knko.end());
        const Bytes row = Composed(
            Document(1, {background, yellow, Divider(), blue, knock, Folder("norm")}));
        EXPECT_EQ(depth == 1 ? Bytes({255, 0, 255, 255}) : Bytes({255, 0, 0, 255}), row)
            << int(depth);
    }
}

TEST(Compose, ClippedLayersNotBlendedAsAGroupGoOnOneByOne)
{
    const PsdLayer blue = Solid(1, 0, 0, 255);
    PsdLayer base = Solid(1, 255, 0, 0);
    base.mode = "scrn";
    PsdLayer gray = Solid(1, 128, 128, 128);
    gray.mode = "mul ";
    gray.clipping = 1;
    // As a group: red times gray, screened onto blue.
    EXPECT_EQ(Bytes({255, 255, 0, 128}), Composed(Document(1, {blue, base, gray})));
    // One by one: red screened onto blue, then the gray multiplies that.
    base.additional = LayerBlock("clbl", {0, 0, 0, 0});
    EXPECT_EQ(Bytes({255, 128, 0, 128}), Composed(Document(1, {blue, base, gray})));
}

TEST(Compose, AnArtboardCutsItsLayersToItsRectangleOverItsBackground)
{
    // "artb": a descriptor of the rectangle (columns 1 .. 2) and a black background.
    using test_support::DescriptorWriter;
    const DescriptorWriter rect = DescriptorWriter("classFloatRect")
                                      .Double("Top ", 0)
                                      .Double("Left", 1)
                                      .Double("Btom", 1)
                                      .Double("Rght", 3);
    const Bytes board =
        DescriptorWriter().Object("artboardRect", rect).Long("artboardBackgroundType", 2).Versioned();
    PsdLayer folder = Folder("pass");
    const Bytes artb = LayerBlock("artb", board);
    folder.additional.insert(folder.additional.end(), artb.begin(), artb.end());
    const Bytes file = Document(4, {Divider(), RowLayer(0, {255, 255}, {0, 0}, {0, 0}, {255, 255}),
                                    folder});
    EXPECT_EQ(Bytes({0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0}), Composed(file));
    PsdReader reader(file);
    const sdk::graphic::PsdLayerArea& area = reader.psd.LayerTree().children[0].area;
    EXPECT_EQ(1, area.left);
    EXPECT_EQ(3, area.right);
}

TEST(Compose, DissolveDrawsEachPixelWholeOrNotWithTheChanceOfItsAlpha)
{
    PsdLayer layer = Solid(1000, 0, 0, 255, 64);
    layer.mode = "diss";
    const Bytes file = Document(1000, {layer});
    const Bytes row = Composed(file);
    int whole = 0;
    for (size_t x = 0; x < 1000; ++x) {
        ASSERT_TRUE(row[x * 4] == 0 || row[x * 4] == 255) << x;
        whole += row[x * 4] == 255;
    }
    EXPECT_NEAR(250, whole, 50);  // a quarter, as alpha 64 says
    EXPECT_EQ(row, Composed(file));
}

TEST(Feather, AStepBlursAsAGaussianOfTheRadius)
{
    // A mask dark on the left half and light on the right, blurred: 0.5 at the step, and one
    // radius into the light side the Gaussian's share within radius + 0.5 (the step lies half a
    // pixel left of the first light pixel), the radius being its standard deviation. Small radii
    // take the Gaussian's own weights, large ones three boxes, close to them.
    for (double radius : {4.0, 40.0}) {
        const int32_t width = 400;
        int32_t reach = 0;
        sdk::render::FeatheredRows step(radius, width, [&](int32_t, float* row) {
            for (int32_t x = 0; x < width + 2 * reach; ++x)
                row[x] = x - reach >= width / 2 ? 1.0f : 0.0f;
        });
        reach = step.Reach();
        const float* row = nullptr;
        for (int32_t y = -5; y < 3; ++y)
            row = step.Row(y);
        const double tolerance = radius < 16 ? 0.005 : 0.02;
        EXPECT_NEAR(0.5, (row[width / 2 - 1] + row[width / 2]) / 2, tolerance) << radius;
        const double share = 0.5 * (1 + std::erf((radius + 0.5) / radius / std::sqrt(2.0)));
        EXPECT_NEAR(share, row[width / 2 + static_cast<int32_t>(radius)], tolerance) << radius;
        EXPECT_NEAR(1.0, row[width - 1], 1e-5) << radius;
    }
}

}  // namespace
