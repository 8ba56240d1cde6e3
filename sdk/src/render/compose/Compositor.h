// Composes planned layers one document row at a time, bottom to top, as the editor does:
//
// - A layer is its colour with alpha = coverage (pixel alpha times masks) x fill opacity x
//   opacity, put onto what lies below it in its blend mode (after its blending ranges).
// - Layers clipped to it are put onto its colour (taken with the fill opacity as alpha) in their
//   own modes; the result is cut by the base's coverage, faded by its opacity and put onto what
//   lies below in the base's mode.
// - An isolated group composes its children onto transparency and is then put on like a layer
//   (its masks and opacity applied). A pass-through group composes its children straight onto
//   what lies below, and its opacity and masks then mix that result with what lay below.
//
// - A layer or group that knocks out (shallow: to the bottom of its group; deep: to the
//   document's background) first replaces what lies below it, as far as its shape and opacity
//   reach, with what lay there at that bottom; its fill opacity then fades its own colour.
// - Clipped layers not blended as a group go onto what lies below one by one, each in its own
//   mode, cut by the base's shape and opacity.
// - An adjustment layer changes the colour composed below it in its group (or on its clipping
//   base), through its opacity, fill opacity, masks and blend mode; layers clipped to it are put
//   onto its result, which its masks and opacity then cut and fade.
//
// - A layer with effects is composed with them as LayerStyle.h says.
// - Dissolve draws each pixel whole or not at all, with the chance of its alpha; the pattern
//   is a hash of the pixel's place, not the editor's random one.
//
// Rows are premultiplied RGBA floats over the planned window's columns. The memory held is a few
// rows per level of nesting, whatever the document's height or number of layers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/AdjustRow.h"
#include "render/compose/RenderPlan.h"

namespace sdk {
namespace render {

class Compositor {
public:
    // Rows of width columns, the first being the document's column left (where dissolve's
    // pattern is taken from).
    explicit Compositor(int32_t width, int32_t left = 0);
    ~Compositor();

    // Composes nodes for document row y onto destination (4 floats per column). Every row of
    // the plan is composed once, top to bottom. Returns the columns that may have changed.
    Spans ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination);
    // Draws node alone onto transparent destination: its pixels or children, masks, fill and
    // opacity; not its blend mode nor what is clipped to it.
    void DrawAlone(PlanNode& node, int32_t y, float* destination);
    // The node's coverage times its opacity (not its fill opacity) into strength (1 float per
    // column, left as it is where the node has nothing): how much of what is clipped to it
    // shows.
    void ClipStrength(PlanNode& node, int32_t y, float* strength);
    // The node's coverage (its pixels' or children's alpha times its masks) into coverage,
    // left as it is where the node has nothing.
    void Coverage(PlanNode& node, int32_t y, float* coverage);

private:
    struct Scratch;
    Scratch& Level(size_t level);
    Spans ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination, size_t level);
    Spans ComposeNode(PlanNode& node, int32_t y, float* destination, size_t level);
    // ComposeNode without the channels a layer leaves alone.
    Spans ComposeFree(PlanNode& node, int32_t y, float* destination, size_t level);
    Spans ComposePassThrough(PlanNode& node, int32_t y, float* destination, size_t level);
    Spans ComposeAdjustment(PlanNode& node, int32_t y, float* destination, size_t level);
    // A layer with effects (see LayerStyle.h). Alone: in normal mode, without what is clipped
    // to it or knocked out below it.
    Spans ComposeStyled(PlanNode& node, int32_t y, float* destination, size_t level, bool alone);
    // An adjustment layer's masks times factor into scratch.coverage, over every column.
    void AdjustmentStrength(PlanNode& node, int32_t y, size_t level, float factor);
    // A group's children composed onto transparency in scratch.group; returns their columns.
    Spans ComposeGroup(PlanNode& node, int32_t y, size_t level);
    // Whether any node of the plan knocks out deep, worked out once per plan.
    bool KnocksOutDeep(const std::vector<PlanNode>& nodes);
    // What knocking out reveals below node on row y: what lay at the bottom of its group (or of
    // the document), as far as the node's shape and opacity (strength per column) reach.
    void KnockOut(const PlanNode& node, const Spans& spans, const float* strength,
                  float* destination, size_t level);
    // The node's content into scratch.content (premultiplied) and its coverage into
    // scratch.coverage; returns the columns it may cover. With cut, the content is cut by the
    // coverage and faded by strength, and the coverage is multiplied by strength. Otherwise the
    // content is the layer's colour with alpha = strength, or the group's colour at full alpha.
    Spans Content(PlanNode& node, int32_t y, size_t level, bool cut, float strength);

    // The editor blends the edges of type over an opaque backdrop in a space of this power.
    static constexpr float kTextGamma = 1.45f;
    static float TextMix(float below, float over, float alpha);
    // A type layer's content onto destination in normal mode, its edges so.
    static void ComposeText(const float* content, float* destination, Span span);
    // Dissolve: each pixel drawn whole or not at all, as its alpha is above a threshold that a
    // hash of its place gives (the same document gives the same pixels).
    void Dissolve(float* content, Span span, int32_t y) const;

    const int32_t width_;
    const int32_t left_;
    std::vector<std::unique_ptr<Scratch>> levels_;
    AdjustRow adjust_;
    // The document's background as composed (its bottom layer when that has no transparency),
    // which deep knockouts reveal (kept only when the plan has one); transparency when there
    // is none.
    std::vector<float> background_;
    bool haveBackground_ = false;
    const PlanNode* deepKnockoutOf_ = nullptr;  // the plan deepKnockout_ was worked out for
    bool deepKnockout_ = false;
};

}  // namespace render
}  // namespace sdk
