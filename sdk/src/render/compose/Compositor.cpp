#include "render/compose/Compositor.h"

#include <algorithm>
#include <cmath>

#include "render/BlendRanges.h"

namespace sdk {
namespace render {

namespace {

// The columns node draws on row y, added to reach: a layer's, or those of a group's children
// and, for a group with effects or an artboard, its own (which reach beyond its children's).
void Reach(const PlanNode& node, int32_t y, Spans& reach)
{
    if (y < node.top || y >= node.bottom)
        return;
    if (!node.group || node.style || node.properties->artboard.present)
        reach.push_back(node.columns);
    if (!node.group)
        return;
    for (const PlanNode& child : node.children)
        Reach(child, y, reach);
}

}  // namespace

struct Compositor::Scratch {
    explicit Scratch(int32_t width)
        : content(static_cast<size_t>(width) * 4), group(static_cast<size_t>(width) * 4),
          coverage(static_cast<size_t>(width)), clipped(static_cast<size_t>(width) * 4)
    {
    }
    std::vector<float> content;  // premultiplied RGBA
    std::vector<float> group;    // premultiplied RGBA: a group's children composed
    Spans groupUsed;             // the columns of group that are not transparent
    std::vector<float> coverage;
    std::vector<float> clipped;  // premultiplied RGBA: a clipped layer put on by itself
    // Premultiplied RGBA: what a styled layer leaves and what it covers, composed apart
    // (made on first use).
    std::vector<float> outside;
    std::vector<float> inside;
    std::vector<float> kept;  // what a layer with restricted channels lay on
    // What knockouts within this level reveal: the bottom of the group being composed; null
    // for transparency.
    const float* bottom = nullptr;
};

Compositor::Compositor(int32_t width, int32_t left) : width_(width), left_(left), adjust_(width) {}

void Compositor::Dissolve(float* content, Span span, int32_t y) const
{
    for (int32_t x = span.from; x < span.to; ++x) {
        float* pixel = content + x * 4;
        const float alpha = pixel[3];
        if (alpha <= 0.0f || alpha >= 1.0f)
            continue;
        // A well-mixed hash of the document's column and row.
        uint64_t h = (static_cast<uint64_t>(static_cast<uint32_t>(left_ + x)) << 32) ^
                     static_cast<uint32_t>(y);
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        const float threshold = static_cast<float>(h >> 40) / static_cast<float>(1 << 24);
        const float scale = alpha > threshold ? 1.0f / alpha : 0.0f;
        for (int i = 0; i < 4; ++i)
            pixel[i] *= scale;
    }
}

Compositor::~Compositor() = default;

Compositor::Scratch& Compositor::Level(size_t level)
{
    while (levels_.size() <= level)
        levels_.emplace_back(new Scratch(width_));
    return *levels_[level];
}

namespace {

bool AnyDeepKnockout(const std::vector<PlanNode>& nodes)
{
    for (const PlanNode& node : nodes) {
        if ((node.properties && node.properties->knockout == 2) ||
            AnyDeepKnockout(node.children) || AnyDeepKnockout(node.clipped))
            return true;
    }
    return false;
}

}  // namespace

bool Compositor::KnocksOutDeep(const std::vector<PlanNode>& nodes)
{
    if (deepKnockoutOf_ != nodes.data()) {
        deepKnockoutOf_ = nodes.data();
        deepKnockout_ = AnyDeepKnockout(nodes);
    }
    return deepKnockout_;
}

Spans Compositor::ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination)
{
    // The document's own level: knockouts reveal its background, or transparency.
    Spans changed;
    haveBackground_ = false;
    Level(0).bottom = nullptr;
    for (size_t i = 0; i < nodes.size(); ++i) {
        PlanNode& node = nodes[i];
        const Spans spans = ComposeNode(node, y, destination, 0);
        changed.insert(changed.end(), spans.begin(), spans.end());
        if (i == 0 && node.look && node.look->Opaque() && node.clipped.empty() &&
            KnocksOutDeep(nodes)) {
            background_.assign(destination, destination + static_cast<size_t>(width_) * 4);
            haveBackground_ = true;
            Level(0).bottom = background_.data();
        }
    }
    Merge(changed);
    return changed;
}

Spans Compositor::ComposeList(std::vector<PlanNode>& nodes, int32_t y, float* destination,
                              size_t level)
{
    Spans changed;
    for (PlanNode& node : nodes) {
        const Spans spans = ComposeNode(node, y, destination, level);
        changed.insert(changed.end(), spans.begin(), spans.end());
    }
    Merge(changed);
    return changed;
}

Spans Compositor::ComposeGroup(PlanNode& node, int32_t y, size_t level)
{
    Scratch& scratch = Level(level);
    float* group = scratch.group.data();
    for (const Span span : scratch.groupUsed)
        std::fill(group + span.from * 4, group + span.to * 4, 0.0f);
    Level(level + 1).bottom = nullptr;  // an isolated group starts from transparency
    const graphic::PsdArtboard& artboard = node.properties->artboard;
    if (!artboard.present) {
        scratch.groupUsed = ComposeList(node.children, y, group, level + 1);
        return scratch.groupUsed;
    }
    // An artboard: its background under its layers, and nothing of them beyond its rectangle.
    const Span board = node.columns;
    if (artboard.background != graphic::PsdArtboard::Transparent) {
        float colour[3] = {1.0f, 1.0f, 1.0f};
        if (artboard.background == graphic::PsdArtboard::Black)
            colour[0] = colour[1] = colour[2] = 0.0f;
        else if (artboard.background == graphic::PsdArtboard::Colour)
            for (int i = 0; i < 3; ++i)
                colour[i] = artboard.colour[i] / 255.0f;
        for (int32_t x = board.from; x < board.to; ++x) {
            for (int i = 0; i < 3; ++i)
                group[x * 4 + i] = colour[i];
            group[x * 4 + 3] = 1.0f;
        }
    }
    Spans used = ComposeList(node.children, y, group, level + 1);
    used.push_back(board);
    Merge(used);
    for (const Span span : used) {
        for (int32_t x = span.from; x < span.to; ++x) {
            if (x < board.from || x >= board.to)
                std::fill(group + x * 4, group + x * 4 + 4, 0.0f);
        }
    }
    scratch.groupUsed = used;
    return Spans{board};
}

Spans Compositor::Content(PlanNode& node, int32_t y, size_t level, bool cut, float strength)
{
    Scratch& scratch = Level(level);
    float* content = scratch.content.data();
    float* coverage = scratch.coverage.data();
    if (node.adjustment) {
        // Nothing of its own: its masks are its coverage, which layers clipped to it go by.
        AdjustmentStrength(node, y, level, strength);
        std::fill(content, content + width_ * 4, 0.0f);
        return Spans{Span{0, width_}};
    }
    if (!node.group) {
        const Span span = node.look->Row(y, strength, cut, content, coverage);
        return span.Empty() ? Spans() : Spans{span};
    }
    // The children onto transparency; the group's colour at full alpha, its alpha as coverage.
    const Spans spans = ComposeGroup(node, y, level);
    const float* group = scratch.group.data();
    for (const Span span : spans) {
        for (int32_t x = span.from; x < span.to; ++x)
            coverage[x] = group[x * 4 + 3];
        if (node.masks->Any())
            node.masks->Apply(y, coverage, span.from, span.to);
        for (int32_t x = span.from; x < span.to; ++x) {
            const float alpha = group[x * 4 + 3];
            if (cut) {
                // Premultiplied already: scaled by what the masks and strength leave of the
                // alpha.
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
    }
    return spans;
}

Spans Compositor::ComposeNode(PlanNode& node, int32_t y, float* destination, size_t level)
{
    if (y < node.top || y >= node.bottom)
        return Spans();
    const uint8_t restricted = node.restrictedChannels;
    if (restricted == 0 || node.adjustment)
        return ComposeFree(node, y, destination, level);
    // Channels the layer does not blend into keep what lay below.
    Scratch& scratch = Level(level);
    if (scratch.kept.size() != static_cast<size_t>(width_) * 4)
        scratch.kept.assign(static_cast<size_t>(width_) * 4, 0.0f);
    std::copy(destination, destination + width_ * 4, scratch.kept.begin());
    const Spans spans = ComposeFree(node, y, destination, level);
    for (const Span span : spans) {
        for (int32_t x = span.from; x < span.to; ++x) {
            for (int i = 0; i < 3; ++i) {
                if ((restricted >> i) & 1)
                    destination[x * 4 + i] = scratch.kept[x * 4 + i];
            }
        }
    }
    return spans;
}

Spans Compositor::ComposeFree(PlanNode& node, int32_t y, float* destination, size_t level)
{
    if (node.adjustment)
        return ComposeAdjustment(node, y, destination, level);
    if (node.style)
        return ComposeStyled(node, y, destination, level, false);
    if (node.group && node.mode == BlendMode::PassThrough && node.clipped.empty())
        return ComposePassThrough(node, y, destination, level);
    Scratch& scratch = Level(level);
    float* content = scratch.content.data();
    const float* coverage = scratch.coverage.data();
    const graphic::PsdLayerProperties* properties = node.properties;
    const bool knockout = properties && properties->knockout != 0;
    // Clipped layers put on one by one rather than onto the base's colour first.
    const bool apart = !node.clipped.empty() && properties && !properties->blendClippedAsGroup;
    Spans spans;
    if (node.clipped.empty() || apart) {
        if (knockout || apart) {
            // The coverage times the opacity is the shape that knocks out and that clipped
            // layers show through; the fill opacity then fades the colour alone.
            spans = Content(node, y, level, true, node.opacity);
            for (const Span span : spans) {
                for (int32_t x = span.from * 4; x < span.to * 4; ++x)
                    content[x] *= node.fill;
            }
        } else {
            spans = Content(node, y, level, true, node.fill * node.opacity);
        }
        if (knockout)
            KnockOut(node, spans, coverage, destination, level);
    } else {
        // Clipped layers go onto the base's colour (its fill opacity as alpha) before the
        // base's coverage cuts them and its opacity fades them.
        spans = Content(node, y, level, false, node.fill);
        for (PlanNode& clipped : node.clipped)
            ComposeNode(clipped, y, content, level + 1);
        float* strength = scratch.coverage.data();
        for (const Span span : spans) {
            for (int32_t x = span.from; x < span.to; ++x) {
                strength[x] *= node.opacity;
                for (int i = 0; i < 4; ++i)
                    content[x * 4 + i] *= strength[x];
            }
        }
        if (knockout)
            KnockOut(node, spans, strength, destination, level);
    }
    for (const Span span : spans) {
        if (node.blendRanges)
            ApplyBlendRanges(*node.properties, content, destination, span.from, span.to);
        if (node.mode == BlendMode::Dissolve)
            Dissolve(content, span, y);
        if (node.textGamma && node.mode == BlendMode::Normal)
            ComposeText(content, destination, span);
        else
            ComposeRow(node.mode, content + span.from * 4, destination + span.from * 4,
                       span.to - span.from);
    }
    if (apart) {
        // Each clipped layer onto a copy of the result, which then shows as far as the base's
        // shape and opacity reach.
        float* alone = scratch.clipped.data();
        for (PlanNode& clipped : node.clipped) {
            for (const Span span : spans)
                std::copy(destination + span.from * 4, destination + span.to * 4,
                          alone + span.from * 4);
            ComposeNode(clipped, y, alone, level + 1);
            for (const Span span : spans) {
                for (int32_t x = span.from; x < span.to; ++x) {
                    for (int i = 0; i < 4; ++i) {
                        float& below = destination[x * 4 + i];
                        below += (alone[x * 4 + i] - below) * coverage[x];
                    }
                }
            }
        }
    }
    return spans;
}

Spans Compositor::ComposeStyled(PlanNode& node, int32_t y, float* destination, size_t level,
                                bool alone)
{
    const Span span = node.columns;
    if (span.Empty())
        return Spans();
    Scratch& scratch = Level(level);
    const size_t size = static_cast<size_t>(width_) * 4;
    if (scratch.outside.size() != size) {
        scratch.outside.assign(size, 0.0f);
        scratch.inside.assign(size, 0.0f);
    }
    float* content = scratch.content.data();
    float* coverage = scratch.coverage.data();
    float* outside = scratch.outside.data();
    float* inside = scratch.inside.data();
    // The layer's colour at full alpha and its coverage, nothing beyond its own columns.
    std::fill(coverage + span.from, coverage + span.to, 0.0f);
    std::fill(content + span.from * 4, content + span.to * 4, 0.0f);
    const Spans spans = Content(node, y, level, false, 1.0f);
    std::copy(destination + span.from * 4, destination + span.to * 4, outside + span.from * 4);
    const graphic::PsdLayerProperties& properties = *node.properties;
    if (!alone && properties.knockout != 0) {
        // What lies below is knocked out as far as the layer covers: the inside starts from
        // what the knockout reveals.
        const float* bottom = properties.knockout == 2
                                  ? (haveBackground_ ? background_.data() : nullptr)
                                  : Level(level).bottom;
        if (bottom)
            std::copy(bottom + span.from * 4, bottom + span.to * 4, inside + span.from * 4);
        else
            std::fill(inside + span.from * 4, inside + span.to * 4, 0.0f);
    } else {
        std::copy(destination + span.from * 4, destination + span.to * 4, inside + span.from * 4);
    }
    LayerStyle& style = *node.style;
    style.Shadows(y, span, coverage, outside, inside);
    const BlendMode mode = alone ? BlendMode::Normal : node.mode;
    // Layers clipped to it and blended with it as a group go under its interior effects, which
    // cover them too; clipped layers put on one by one go over them.
    const bool clippedUnder = !alone && properties.blendClippedAsGroup;
    const bool clippedOver = !alone && !properties.blendClippedAsGroup;
    if (properties.blendInteriorAsGroup) {
        // The interior effects go onto the layer's own colour, which the fill opacity then
        // fades with them.
        if (clippedUnder) {
            for (PlanNode& clipped : node.clipped)
                ComposeNode(clipped, y, content, level + 1);
        }
        style.Interior(y, span, content);
        for (int32_t x = span.from * 4; x < span.to * 4; ++x)
            content[x] *= node.fill;
        ComposeRow(mode, content + span.from * 4, inside + span.from * 4, span.to - span.from);
    } else {
        for (const Span part : spans) {
            for (int32_t x = part.from * 4; x < part.to * 4; ++x)
                content[x] *= node.fill;
            if (node.blendRanges && !alone)
                ApplyBlendRanges(properties, content, inside, part.from, part.to);
            ComposeRow(mode, content + part.from * 4, inside + part.from * 4, part.to - part.from);
        }
        if (clippedUnder) {
            for (PlanNode& clipped : node.clipped)
                ComposeNode(clipped, y, inside, level + 1);
        }
        style.Interior(y, span, inside);
    }
    if (clippedOver) {
        for (PlanNode& clipped : node.clipped)
            ComposeNode(clipped, y, inside, level + 1);
    }
    style.Exterior(y, span, coverage, outside, inside);
    if (int64_t(y) + 1 >= node.bottom)
        style.Close();  // its last row: the rows its effects kept are let go
    // Each part of a pixel by its share, then the layer's opacity mixes the result in.
    const float opacity = node.opacity;
    for (int32_t x = span.from; x < span.to; ++x) {
        const float a = coverage[x];
        const float* in = inside + x * 4;
        const float* out = outside + x * 4;
        float result[4];
        if (node.textGamma && a > 0 && a < 1 && in[3] >= 1 && out[3] >= 1) {
            for (int i = 0; i < 3; ++i)
                result[i] = TextMix(out[i], in[i], a);
            result[3] = 1;
        } else {
            for (int i = 0; i < 4; ++i)
                result[i] = a * in[i] + (1 - a) * out[i];
        }
        for (int i = 0; i < 4; ++i) {
            float& below = destination[x * 4 + i];
            below += (result[i] - below) * opacity;
        }
    }
    return Spans{span};
}

float Compositor::TextMix(float below, float over, float alpha)
{
    const float mixed = (1 - alpha) * std::pow(std::max(below, 0.0f), kTextGamma) +
                        alpha * std::pow(std::max(over, 0.0f), kTextGamma);
    return std::pow(mixed, 1 / kTextGamma);
}

void Compositor::ComposeText(const float* content, float* destination, Span span)
{
    for (int32_t x = span.from; x < span.to; ++x) {
        const float* source = content + x * 4;
        float* below = destination + x * 4;
        const float alpha = source[3];
        if (alpha <= 0)
            continue;
        if (alpha >= 1 || below[3] < 1) {
            ComposeRow(BlendMode::Normal, source, below, 1);
            continue;
        }
        for (int i = 0; i < 3; ++i)
            below[i] = TextMix(below[i], source[i] / alpha, alpha);
    }
}

void Compositor::KnockOut(const PlanNode& node, const Spans& spans, const float* strength,
                          float* destination, size_t level)
{
    const bool deep = node.properties->knockout == 2;
    const float* bottom = deep ? (haveBackground_ ? background_.data() : nullptr)
                               : Level(level).bottom;
    for (const Span span : spans) {
        for (int32_t x = span.from; x < span.to; ++x) {
            for (int i = 0; i < 4; ++i) {
                float& below = destination[x * 4 + i];
                const float revealed = bottom ? bottom[x * 4 + i] : 0.0f;
                below += (revealed - below) * strength[x];
            }
        }
    }
}

void Compositor::AdjustmentStrength(PlanNode& node, int32_t y, size_t level, float factor)
{
    float* strength = Level(level).coverage.data();
    std::fill(strength, strength + width_, factor);
    if (node.masks->Any())
        node.masks->Apply(y, strength, 0, width_);
}

Spans Compositor::ComposeAdjustment(PlanNode& node, int32_t y, float* destination, size_t level)
{
    Scratch& scratch = Level(level);
    if (node.clipped.empty()) {
        AdjustmentStrength(node, y, level, node.opacity * node.fill);
        adjust_.Apply(*node.adjustment, node.mode, scratch.coverage.data(), width_, destination);
        return Spans{Span{0, width_}};
    }
    // The adjusted colour (its fill opacity as strength) is the base the clipped layers go
    // onto; the result then goes on in the layer's mode through its masks and opacity, alpha
    // kept as it was.
    float* content = scratch.content.data();
    std::copy(destination, destination + width_ * 4, content);
    float* strength = scratch.coverage.data();
    std::fill(strength, strength + width_, node.fill);
    adjust_.Apply(*node.adjustment, BlendMode::Normal, strength, width_, content);
    for (PlanNode& clipped : node.clipped)
        ComposeNode(clipped, y, content, level + 1);
    AdjustmentStrength(node, y, level, node.opacity);
    adjust_.Blend(content, node.mode, strength, width_, destination);
    return Spans{Span{0, width_}};
}

Spans Compositor::ComposePassThrough(PlanNode& node, int32_t y, float* destination,
                                     size_t level)
{
    // The children straight onto a copy of what lies below; the group's opacity and masks then
    // say how much of that result replaces it. Only the columns the children reach change.
    Scratch& scratch = Level(level);
    float* result = scratch.group.data();
    Spans reach;
    Reach(node, y, reach);
    Merge(reach);
    for (const Span span : reach)
        std::copy(destination + span.from * 4, destination + span.to * 4, result + span.from * 4);
    scratch.groupUsed.insert(scratch.groupUsed.end(), reach.begin(), reach.end());
    Merge(scratch.groupUsed);
    Level(level + 1).bottom = destination;  // what lay below the group, untouched until the end
    const Spans spans = ComposeList(node.children, y, result, level + 1);
    float* strength = scratch.coverage.data();
    for (const Span span : spans) {
        std::fill(strength + span.from, strength + span.to, node.opacity);
        if (node.masks->Any())
            node.masks->Apply(y, strength, span.from, span.to);
        for (int32_t x = span.from; x < span.to; ++x) {
            for (int i = 0; i < 4; ++i) {
                float& below = destination[x * 4 + i];
                below += (result[x * 4 + i] - below) * strength[x];
            }
        }
    }
    return spans;
}

void Compositor::DrawAlone(PlanNode& node, int32_t y, float* destination)
{
    if (node.style) {
        // Its effects with it, onto the transparency destination holds.
        if (y >= node.top && y < node.bottom)
            ComposeStyled(node, y, destination, 0, true);
        return;
    }
    const Spans spans = Content(node, y, 0, true, node.fill * node.opacity);
    const float* content = Level(0).content.data();
    for (const Span span : spans)
        std::copy(content + span.from * 4, content + span.to * 4, destination + span.from * 4);
}

void Compositor::Coverage(PlanNode& node, int32_t y, float* coverage)
{
    const Spans spans = Content(node, y, 0, true, 1.0f);
    const float* own = Level(0).coverage.data();
    for (const Span span : spans)
        std::copy(own + span.from, own + span.to, coverage + span.from);
}

void Compositor::ClipStrength(PlanNode& node, int32_t y, float* strength)
{
    const Spans spans = Content(node, y, 0, true, node.opacity);
    const float* coverage = Level(0).coverage.data();
    for (const Span span : spans)
        std::copy(coverage + span.from, coverage + span.to, strength + span.from);
}

}  // namespace render
}  // namespace sdk
