#include "render/Compositor.h"

#include <algorithm>

#include "render/BlendRanges.h"

namespace sdk {
namespace render {

struct Compositor::Scratch {
    explicit Scratch(int32_t width)
        : content(static_cast<size_t>(width) * 4), group(static_cast<size_t>(width) * 4),
          colour(static_cast<size_t>(width) * 3), coverage(static_cast<size_t>(width))
    {
    }
    std::vector<float> content;  // premultiplied RGBA
    std::vector<float> group;    // premultiplied RGBA: a group's children composed
    Span groupUsed;              // the columns of group that are not transparent
    std::vector<float> colour;   // straight RGB
    std::vector<float> coverage;
};

Compositor::Compositor(int32_t width) : width_(width) {}

Compositor::~Compositor() = default;

Compositor::Scratch& Compositor::Level(size_t level)
{
    while (levels_.size() <= level)
        levels_.emplace_back(new Scratch(width_));
    return *levels_[level];
}

Span Compositor::ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination)
{
    return ComposeList(nodes, y, destination, 0);
}

Span Compositor::ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination,
                             size_t level)
{
    Span changed;
    for (PlanNode& node : nodes)
        changed = Hull(changed, ComposeNode(node, y, destination, level));
    return changed;
}

Span Compositor::ComposeGroup(PlanNode& node, int32_t y, size_t level)
{
    Scratch& scratch = Level(level);
    float* group = scratch.group.data();
    std::fill(group + scratch.groupUsed.from * 4, group + scratch.groupUsed.to * 4, 0.0f);
    scratch.groupUsed = ComposeList(node.children, y, group, level + 1);
    return scratch.groupUsed;
}

Span Compositor::Content(PlanNode& node, int32_t y, size_t level, bool cut, float strength)
{
    Scratch& scratch = Level(level);
    float* content = scratch.content.data();
    float* coverage = scratch.coverage.data();
    if (!node.group)
        return node.look->Row(y, strength, cut, content, coverage);
    // The children onto transparency; the group's colour at full alpha, its alpha as coverage.
    const Span span = ComposeGroup(node, y, level);
    const float* group = scratch.group.data();
    for (int32_t x = span.from; x < span.to; ++x)
        coverage[x] = group[x * 4 + 3];
    if (!span.Empty() && node.masks->Any())
        node.masks->Apply(y, coverage, span.from, span.to);
    for (int32_t x = span.from; x < span.to; ++x) {
        const float alpha = group[x * 4 + 3];
        if (cut) {
            // Premultiplied already: scaled by what the masks and strength leave of the alpha.
            coverage[x] *= strength;
            const float factor = alpha > 0.0f ? coverage[x] / alpha : 0.0f;
            for (int i = 0; i < 4; ++i)
                content[x * 4 + i] = group[x * 4 + i] * factor;
        } else {
            const float unpremultiply = alpha > 0.0f ? 1.0f / alpha : 0.0f;
            for (int i = 0; i < 3; ++i)
                content[x * 4 + i] = std::min(1.0f, group[x * 4 + i] * unpremultiply);
            content[x * 4 + 3] = 1.0f;
        }
    }
    return span;
}

Span Compositor::ComposeNode(PlanNode& node, int32_t y, float* destination, size_t level)
{
    if (y < node.top || y >= node.bottom)
        return Span();
    if (node.group && node.mode == BlendMode::PassThrough && node.clipped.empty())
        return ComposePassThrough(node, y, destination, level);
    Scratch& scratch = Level(level);
    float* content = scratch.content.data();
    Span span;
    if (node.clipped.empty()) {
        span = Content(node, y, level, true, node.fill * node.opacity);
    } else {
        // Clipped layers go onto the base's colour (its fill opacity as alpha) before the
        // base's coverage cuts them and its opacity fades them.
        span = Content(node, y, level, false, node.fill);
        for (PlanNode& clipped : node.clipped)
            ComposeNode(clipped, y, content, level + 1);
        const float* coverage = scratch.coverage.data();
        for (int32_t x = span.from; x < span.to; ++x) {
            const float strength = coverage[x] * node.opacity;
            for (int i = 0; i < 4; ++i)
                content[x * 4 + i] *= strength;
        }
    }
    if (span.Empty())
        return span;
    if (node.blendRanges)
        ApplyBlendRanges(*node.properties, content, destination, span.from, span.to);
    ComposeRow(node.mode, content + span.from * 4, destination + span.from * 4,
               span.to - span.from);
    return span;
}

Span Compositor::ComposePassThrough(PlanNode& node, int32_t y, float* destination, size_t level)
{
    // The children straight onto a copy of what lies below; the group's opacity and masks then
    // say how much of that result replaces it. Only the columns the children reach change.
    Scratch& scratch = Level(level);
    float* result = scratch.group.data();
    const Span reach = node.columns;
    std::copy(destination + reach.from * 4, destination + reach.to * 4, result + reach.from * 4);
    scratch.groupUsed = Hull(scratch.groupUsed, reach);
    const Span span = ComposeList(node.children, y, result, level + 1);
    if (span.Empty())
        return span;
    float* strength = scratch.coverage.data();
    std::fill(strength + span.from, strength + span.to, node.opacity);
    if (node.masks->Any())
        node.masks->Apply(y, strength, span.from, span.to);
    for (int32_t x = span.from; x < span.to; ++x) {
        for (int i = 0; i < 4; ++i) {
            float& below = destination[x * 4 + i];
            below += (result[x * 4 + i] - below) * strength[x];
        }
    }
    return span;
}

Span Compositor::DrawAlone(PlanNode& node, int32_t y, float* destination)
{
    return DrawAlone(node, y, destination, 0);
}

Span Compositor::DrawAlone(PlanNode& node, int32_t y, float* destination, size_t level)
{
    const Span span = Content(node, y, level, true, node.fill * node.opacity);
    const float* content = Level(level).content.data();
    std::copy(content + span.from * 4, content + span.to * 4, destination + span.from * 4);
    return span;
}

Span Compositor::ClipStrength(PlanNode& node, int32_t y, float* strength)
{
    const Span span = Content(node, y, 0, true, node.opacity);
    const float* coverage = Level(0).coverage.data();
    std::copy(coverage + span.from, coverage + span.to, strength + span.from);
    return span;
}

}  // namespace render
}  // namespace sdk
