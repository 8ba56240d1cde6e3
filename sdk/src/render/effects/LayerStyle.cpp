#include "render/effects/LayerStyle.h"

#include <algorithm>
#include <cmath>

#include "render/BlendMode.h"
#include "render/adjust/GradientRamp.h"
#include "render/effects/BevelRows.h"
#include "render/effects/BoxBlurRows.h"
#include "render/effects/StrokeBandRows.h"

namespace sdk {
namespace render {

namespace {

// The place of each kind in the drawing order, bottom first.
int Layer(EffectKind kind)
{
    switch (kind) {
    case EffectKind::DropShadow: return 0;
    case EffectKind::OuterGlow: return 1;
    case EffectKind::PatternOverlay: return 2;
    case EffectKind::GradientOverlay: return 3;
    case EffectKind::ColourOverlay: return 4;
    case EffectKind::Satin: return 5;
    case EffectKind::InnerGlow: return 6;
    case EffectKind::InnerShadow: return 7;
    case EffectKind::Stroke: return 8;
    case EffectKind::Bevel: return 9;
    }
    return 0;
}

bool IsInterior(EffectKind kind)
{
    return kind == EffectKind::PatternOverlay || kind == EffectKind::GradientOverlay ||
           kind == EffectKind::ColourOverlay || kind == EffectKind::Satin ||
           kind == EffectKind::InnerGlow || kind == EffectKind::InnerShadow;
}

// A value in 0 .. 1 that depends only on the pixel, for an effect's noise.
float Grain(int32_t x, int32_t y)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h >> 8) / static_cast<float>(1 << 24);
}

// The span of document columns from .. to - 1 that both hold.
void Meet(int64_t& from, int64_t& to, int64_t otherFrom, int64_t otherTo)
{
    from = std::max(from, otherFrom);
    to = std::min(to, otherTo);
}

// A shadow's offset: the light comes from the angle, so the shadow falls away from it.
void ShadowOffset(const LayerEffect& e, int32_t& dx, int32_t& dy)
{
    const double radians = e.angle * 3.14159265358979323846 / 180;
    dx = static_cast<int32_t>(-std::lround(e.distance * std::cos(radians)));
    dy = static_cast<int32_t>(std::lround(e.distance * std::sin(radians)));
}

// A shadow's or glow's boxes: the spread grows (outside) or the choke shrinks (inside) the shape
// by its part of the size, in one box with a gain; the rest of the size blurs it in two.
struct Boxes {
    double grow = 0;
    double blur = 0;
    int32_t Reach() const { return BoxBlurRows::Reach(grow) + 2 * BoxBlurRows::Reach(blur); }
};

Boxes BoxesOf(const LayerEffect& e)
{
    Boxes boxes;
    const double spread = e.size * e.spread;
    boxes.grow = spread >= 0.5 ? 2 * spread + 1 : 0;
    boxes.blur = e.size - spread;
    return boxes;
}

// Whether an effect of kind measures the layer's shape through rows of its own (all but the
// overlays, which paint the whole of what the layer covers).
bool Measures(EffectKind kind)
{
    return kind != EffectKind::ColourOverlay && kind != EffectKind::GradientOverlay &&
           kind != EffectKind::PatternOverlay;
}

int32_t ShadowDx(const LayerEffect& e)
{
    int32_t dx = 0, dy = 0;
    ShadowOffset(e, dx, dy);
    return dx;
}

// How far a shadow's rows are moved along the row; other effects are not moved.
int32_t MeasuredDx(const LayerEffect& e)
{
    return e.kind == EffectKind::DropShadow || e.kind == EffectKind::InnerShadow ? ShadowDx(e) : 0;
}

}  // namespace

LayerStyle::Growth LayerStyle::ReachOf(const LayerEffects& effects)
{
    Growth reach;
    for (const LayerEffect& e : effects.effects) {
        int32_t dx = 0, dy = 0, out = 0;
        if (e.kind == EffectKind::DropShadow || e.kind == EffectKind::OuterGlow) {
            if (e.kind == EffectKind::DropShadow)
                ShadowOffset(e, dx, dy);
            out = BoxesOf(e).Reach();
        } else if (e.kind == EffectKind::Stroke &&
                   e.position != LayerEffect::StrokePosition::Inside) {
            out = static_cast<int32_t>(std::ceil(
                e.position == LayerEffect::StrokePosition::Centre ? e.size / 2 : e.size));
        } else if (e.kind == EffectKind::Bevel && e.bevel.style != BevelSettings::Style::Inner) {
            out = BevelRows::Reach(e);
        } else {
            continue;
        }
        reach.left = std::max(reach.left, out - dx);
        reach.right = std::max(reach.right, out + dx);
        reach.top = std::max(reach.top, out - dy);
        reach.bottom = std::max(reach.bottom, out + dy);
    }
    return reach;
}

struct LayerStyle::Effect {
    LayerEffect settings;
    std::unique_ptr<FillPaint> paint;     // a gradient or pattern; otherwise the colour
    std::unique_ptr<CoverageRows> rows;   // what the effect measures from the layer's shape
    std::unique_ptr<CoverageRows> inner;  // a centred stroke's inside half; satin's second copy
    std::unique_ptr<BevelRows> bevel;     // a bevel's highlight and shadow
    int32_t dx = 0, dy = 0;               // a shadow's offset; satin's first copy's
    std::unique_ptr<GradientRamp> ramp;   // a glow's gradient
};

int32_t LayerStyle::Reach(const LayerEffect& e)
{
    switch (e.kind) {
    case EffectKind::Satin: return 2 * BoxBlurRows::Reach(e.size) + std::abs(ShadowDx(e));
    case EffectKind::Stroke: return static_cast<int32_t>(std::ceil(e.size)) + 2;
    case EffectKind::Bevel: return BevelRows::Reach(e);
    default: return BoxesOf(e).Reach();
    }
}

bool LayerStyle::Draws(graphic::ImageLoaderPSD& loader, const LayerEffect& effect,
                       PatternTiles& tiles)
{
    if (!effect.settings)
        return true;
    // A noise gradient or a pattern the document does not hold paints nothing.
    if (effect.paint == LayerEffect::Paint::Gradient) {
        const graphic::PsdDescriptorValue* gradient = effect.settings->Find("Grad");
        return !gradient || gradient->Text("GrdF") != "ClNs";
    }
    if (effect.paint == LayerEffect::Paint::Pattern) {
        const graphic::PsdDescriptorValue* pattern = effect.settings->Find("Ptrn");
        return pattern && tiles.Find(loader, pattern->Text("Idnt"));
    }
    return true;
}

LayerStyle::LayerStyle(graphic::ImageLoaderPSD& loader, int32_t index, const LayerEffects& effects,
                       int32_t left, int32_t width, PatternTiles& tiles, const Shape& shape)
    : left_(left), width_(std::max(width, 0)), reach_(ReachOf(effects)),
      shape_(shape), shapeFrom_(shape.everywhere ? int64_t(left) : shape.area.left),
      shapeTo_(shape.everywhere ? int64_t(left) + width_ : shape.area.right)
{
    const graphic::ImageLoaderPSD::info_t& record = loader.LayerRecord(index);
    const bool gray = loader.Format().outputColors == 1;
    // The shape's columns in the document (a fill covers every one the window has).

    std::vector<const LayerEffect*> order;
    for (const LayerEffect& effect : effects.effects)
        order.push_back(&effect);
    // Bottom first; of several of one kind, the first listed is drawn on top.
    std::stable_sort(order.begin(), order.end(), [](const LayerEffect* a, const LayerEffect* b) {
        return Layer(a->kind) < Layer(b->kind);
    });
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        while (j < order.size() && order[j]->kind == order[i]->kind)
            ++j;
        std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                     order.begin() + static_cast<std::ptrdiff_t>(j));
        i = j;
    }

    for (const LayerEffect* settings : order) {
        std::unique_ptr<Effect> effect(new Effect);
        effect->settings = *settings;
        const LayerEffect& e = effect->settings;
        // An effect that measures the layer's shape draws nothing when none of the columns
        // it would measure lies within reach of the window.
        if (Measures(e.kind) && !Columns(Reach(e), MeasuredDx(e), nullptr, nullptr))
            continue;
        const bool glow = e.kind == EffectKind::OuterGlow || e.kind == EffectKind::InnerGlow;
        if (glow && e.paint == LayerEffect::Paint::Gradient && e.settings) {
            // A glow of a gradient takes its colours along its falloff, the gradient's start
            // at the shape's edge.
            const graphic::PsdDescriptorValue* gradient = e.settings->Find("Grad");
            if (gradient && gradient->type == graphic::PsdDescriptorValue::Type::Object) {
                effect->ramp.reset(new GradientRamp(ReadGradientRamp(
                    *gradient, GradientMethodOf(e.settings->Text("gradientsInterpolationMethod")))));
                if (effect->ramp->noise)
                    continue;
                if (gray)
                    effect->ramp->MakeGray();
            }
        } else if (e.paint != LayerEffect::Paint::Colour && e.settings) {
            if (e.paint == LayerEffect::Paint::Gradient) {
                // Aligned with the layer, a gradient spans the layer's box (its vector mask's,
                // out to whole pixels, where it has one); otherwise the document. It is taken
                // at the pixels' centres.
                const bool align = e.settings->Bool("Algn", true);
                FillBox box = GradientBox(loader, index, align);
                if (align && record.properties.hasVectorMask) {
                    box = FillBox{std::floor(box.left), std::floor(box.top), std::ceil(box.right),
                                  std::ceil(box.bottom)};
                } else if (align && record.width > 0 && record.height > 0) {
                    box = FillBox{double(record.x), double(record.y),
                                  double(record.x) + record.width,
                                  double(record.y) + record.height};
                }
                box = FillBox{box.left - 0.5, box.top - 0.5, box.right - 0.5, box.bottom - 0.5};
                effect->paint = MakeGradientPaint(*e.settings, box, gray);
            } else {
                // Linked with the layer, the tiles start at the effects' anchor.
                const bool linked = e.settings->Bool("Algn", e.settings->Bool("Lnkd", true)) &&
                                    record.properties.hasEffectsOrigin;
                const double* origin = record.properties.effectsOrigin;
                effect->paint = MakePatternPaint(*e.settings, loader, tiles,
                                                 linked ? origin[0] : 0, linked ? origin[1] : 0);
            }
            // A gradient or pattern that is not drawn paints nothing.
            if (!effect->paint)
                continue;
        }
        effects_.push_back(std::move(effect));
    }
    mask_.resize(width_);
    mask2_.resize(width_);
    paint_.resize(static_cast<size_t>(width_) * 4);
    source_.resize(static_cast<size_t>(width_) * 4);
    part_.resize(width_);
}

void LayerStyle::Open(Effect& effect)
{
    const LayerEffect& e = effect.settings;
    // Rows of what the effect measures, over the columns it needs.
    auto rows = [&](int32_t reach, int32_t dx) -> std::unique_ptr<CoverageRows> {
        int64_t from = 0, to = 0;
        if (!Columns(reach, dx, &from, &to))
            return nullptr;
        return shape_.rows(static_cast<int32_t>(from), static_cast<int32_t>(to - from));
    };
    switch (e.kind) {
    case EffectKind::DropShadow:
    case EffectKind::InnerShadow:
    case EffectKind::OuterGlow:
    case EffectKind::InnerGlow: {
        if (e.kind == EffectKind::DropShadow || e.kind == EffectKind::InnerShadow)
            ShadowOffset(e, effect.dx, effect.dy);
        const Boxes boxes = BoxesOf(e);
        std::unique_ptr<CoverageRows> source = rows(Reach(e), effect.dx);
        if (!source)
            return;
        const bool outer = e.kind == EffectKind::DropShadow || e.kind == EffectKind::OuterGlow;
        if (boxes.grow > 0)
            source.reset(new BoxBlurRows(std::move(source), boxes.grow,
                                         outer ? BoxBlurRows::Shape::Grow
                                               : BoxBlurRows::Shape::Shrink));
        source.reset(new BoxBlurRows(std::move(source), boxes.blur));
        source.reset(new BoxBlurRows(std::move(source), boxes.blur));
        effect.rows = std::move(source);
        break;
    }
    case EffectKind::Satin: {
        // Two copies of the blurred shape, each moved by the distance along the angle, one
        // each way: where they differ, the satin shows.
        ShadowOffset(e, effect.dx, effect.dy);
        std::unique_ptr<CoverageRows> first = rows(Reach(e), 0);
        std::unique_ptr<CoverageRows> second = rows(Reach(e), 0);
        if (!first)
            return;
        for (std::unique_ptr<CoverageRows>* copy : {&first, &second}) {
            copy->reset(new BoxBlurRows(std::move(*copy), e.size));
            copy->reset(new BoxBlurRows(std::move(*copy), e.size));
        }
        effect.rows = std::move(first);
        effect.inner = std::move(second);
        break;
    }
    case EffectKind::Stroke: {
        using Position = LayerEffect::StrokePosition;
        const int32_t reach = Reach(e);
        if (e.position == Position::Centre) {
            std::unique_ptr<CoverageRows> outside = rows(reach, 0);
            std::unique_ptr<CoverageRows> inside = rows(reach, 0);
            if (!outside)
                return;
            effect.rows.reset(
                new StrokeBandRows(std::move(outside), Position::Outside, e.size / 2));
            effect.inner.reset(
                new StrokeBandRows(std::move(inside), Position::Inside, e.size / 2));
        } else {
            std::unique_ptr<CoverageRows> source = rows(reach, 0);
            if (!source)
                return;
            effect.rows.reset(new StrokeBandRows(std::move(source), e.position, e.size));
        }
        break;
    }
    case EffectKind::Bevel: {
        std::unique_ptr<CoverageRows> source = rows(Reach(e), 0);
        if (!source)
            return;
        effect.bevel.reset(new BevelRows(std::move(source), e));
        break;
    }
    default: break;
    }
}

bool LayerStyle::Columns(int32_t reach, int32_t dx, int64_t* from, int64_t* to) const
{
    // The layer's columns widened by the effect's reach, within the window (moved by the
    // effect's offset) widened alike.
    int64_t first = shapeFrom_ - reach - 1, last = shapeTo_ + reach + 1;
    Meet(first, last, int64_t(left_) - dx - reach - 1, int64_t(left_) + width_ - dx + reach + 1);
    if (from)
        *from = first;
    if (to)
        *to = last;
    return first < last;
}

void LayerStyle::OpenAll()
{
    if (opened_)
        return;
    opened_ = true;
    for (std::unique_ptr<Effect>& effect : effects_)
        Open(*effect);
}

void LayerStyle::Close()
{
    for (std::unique_ptr<Effect>& effect : effects_) {
        effect->rows.reset();
        effect->inner.reset();
        effect->bevel.reset();
    }
}

LayerStyle::~LayerStyle() = default;

void LayerStyle::Strength(Effect& effect, int32_t y, Span span)
{
    const LayerEffect& e = effect.settings;
    float* mask = mask_.data();
    if (!effect.rows) {
        std::fill(mask + span.from, mask + span.to, 1.0f);
        return;
    }
    if (e.kind == EffectKind::Satin) {
        Satin(effect, y, span);
        return;
    }
    CoverageRows& rows = *effect.rows;
    const float* row = rows.Row(int64_t(y) - effect.dy);
    const int64_t shift = int64_t(left_) - effect.dx - rows.Left();
    const int32_t count = rows.Width();
    const bool invert = e.kind == EffectKind::InnerShadow ||
                        (e.kind == EffectKind::InnerGlow && e.source == LayerEffect::GlowSource::Edge);
    const bool glow = e.kind == EffectKind::OuterGlow || e.kind == EffectKind::InnerGlow;
    const float range = static_cast<float>(std::max(e.range, 0.01));
    for (int32_t x = span.from; x < span.to; ++x) {
        const int64_t at = x + shift;
        float v = at >= 0 && at < count ? row[at] : 0.0f;
        if (invert)
            v = 1 - v;
        if (glow)
            v = std::min(1.0f, v / range);
        if (!e.contour.linear)
            v = e.contour.At(v);
        if (e.noise > 0)
            v *= 1 - static_cast<float>(e.noise) * Grain(left_ + x, y);
        mask[x] = v;
    }
}

void LayerStyle::Satin(Effect& effect, int32_t y, Span span)
{
    const LayerEffect& e = effect.settings;
    CoverageRows& first = *effect.rows;
    CoverageRows& second = *effect.inner;
    const float* one = first.Row(int64_t(y) - effect.dy);
    const float* other = second.Row(int64_t(y) + effect.dy);
    const int64_t shiftOne = int64_t(left_) - effect.dx - first.Left();
    const int64_t shiftOther = int64_t(left_) + effect.dx - second.Left();
    float* mask = mask_.data();
    for (int32_t x = span.from; x < span.to; ++x) {
        const int64_t at = x + shiftOne, atOther = x + shiftOther;
        float a = at >= 0 && at < first.Width() ? one[at] : 0.0f;
        float b = atOther >= 0 && atOther < second.Width() ? other[atOther] : 0.0f;
        if (!e.contour.linear) {
            a = e.contour.At(a);
            b = e.contour.At(b);
        }
        const float v = std::fabs(a - b);
        mask[x] = e.invert ? 1 - v : v;
    }
}

void LayerStyle::Put(Effect& effect, Span span, const float* part, float* row)
{
    const LayerEffect& e = effect.settings;
    const float* mask = mask_.data();
    float* source = source_.data();
    const float* paint = paint_.data();
    for (int32_t x = span.from; x < span.to; ++x) {
        float alpha = mask[x] * e.opacity * (part ? part[x] : 1.0f);
        const float* colour = e.colour;
        if (effect.paint) {
            colour = paint + x * 4;
            alpha *= paint[x * 4 + 3];
        } else if (effect.ramp) {
            colour = effect.ramp->At(1 - mask[x]);
            alpha *= colour[3];
        }
        for (int i = 0; i < 3; ++i)
            source[x * 4 + i] = colour[i] * alpha;
        source[x * 4 + 3] = alpha;
    }
    // Only the runs of columns the effect reaches are composed.
    const BlendMode mode = e.mode == BlendMode::Dissolve ? BlendMode::Normal : e.mode;
    for (int32_t x = span.from; x < span.to;) {
        if (source[x * 4 + 3] <= 0.0f) {
            ++x;
            continue;
        }
        const int32_t from = x;
        while (x < span.to && source[x * 4 + 3] > 0.0f)
            ++x;
        ComposeRow(mode, source + from * 4, row + from * 4, x - from);
    }
}

void LayerStyle::Paint(Effect& effect, int32_t y, Span span, float* rgba)
{
    if (effect.paint)
        effect.paint->Row(y, left_ + span.from, span.to - span.from, rgba + span.from * 4);
}

void LayerStyle::Left(Span span, const float* coverage)
{
    // What lies outside shows only where the layer does not cover the pixel whole.
    for (int32_t x = span.from; x < span.to; ++x)
        part_[x] = coverage[x] < 1.0f ? 1.0f : 0.0f;
}

void LayerStyle::Shadows(int32_t y, Span span, const float* coverage, float* outside,
                         float* inside)
{
    OpenAll();
    Left(span, coverage);
    for (std::unique_ptr<Effect>& effect : effects_) {
        if (effect->settings.kind != EffectKind::DropShadow)
            continue;
        Strength(*effect, y, span);
        Put(*effect, span, part_.data(), outside);
        if (!effect->settings.layerKnocksOut)
            Put(*effect, span, nullptr, inside);
    }
}

void LayerStyle::Interior(int32_t y, Span span, float* inside)
{
    OpenAll();
    for (std::unique_ptr<Effect>& effect : effects_) {
        if (!IsInterior(effect->settings.kind))
            continue;
        Paint(*effect, y, span, paint_.data());
        Strength(*effect, y, span);
        Put(*effect, span, nullptr, inside);
    }
}

void LayerStyle::Exterior(int32_t y, Span span, const float* coverage, float* outside,
                          float* inside)
{
    OpenAll();
    float* part = part_.data();
    for (std::unique_ptr<Effect>& effect : effects_) {
        const EffectKind kind = effect->settings.kind;
        if (kind == EffectKind::OuterGlow) {
            Strength(*effect, y, span);
            Left(span, coverage);
            Put(*effect, span, part, outside);
            continue;
        }
        if (kind == EffectKind::Bevel) {
            // The shadow, then the highlight, each in its own colour, mode and opacity (which
            // take their turns in the settings Put paints with): inside the layer (what it
            // covers) for the inner and emboss styles, outside it for the outer and emboss ones.
            using Style = BevelSettings::Style;
            LayerEffect& e = effect->settings;
            const BevelSettings& bevel = e.bevel;
            const float* strengths[2] = {nullptr, nullptr};
            effect->bevel->Row(y, strengths[0], strengths[1]);
            const int64_t shift = int64_t(left_) - effect->bevel->Left();
            const int32_t count = effect->bevel->Width();
            for (int i = 1; i >= 0; --i) {
                const float* strength = strengths[i];
                for (int32_t x = span.from; x < span.to; ++x) {
                    const int64_t at = x + shift;
                    mask_[x] = at >= 0 && at < count ? strength[at] : 0.0f;
                }
                const float* colour = i == 0 ? bevel.highlightColour : bevel.shadowColour;
                std::copy(colour, colour + 3, e.colour);
                e.mode = i == 0 ? bevel.highlightMode : bevel.shadowMode;
                e.opacity = i == 0 ? bevel.highlightOpacity : bevel.shadowOpacity;
                if (bevel.style != Style::Inner)
                    Put(*effect, span, nullptr, outside);
                if (bevel.style != Style::Outer && bevel.style != Style::StrokeEmboss)
                    Put(*effect, span, nullptr, inside);
            }
            continue;
        }
        if (kind != EffectKind::Stroke)
            continue;
        Paint(*effect, y, span, paint_.data());
        using Position = LayerEffect::StrokePosition;
        const Position position = effect->settings.position;
        // The band's share of each part of the pixel: outside the layer it covers what the
        // layer leaves, inside what the layer covers.
        const float* band = nullptr;
        if (effect->rows) {
            CoverageRows& rows = *effect->rows;
            const float* row = rows.Row(y);
            const int64_t shift = int64_t(left_) - rows.Left();
            float* mask = mask_.data();
            for (int32_t x = span.from; x < span.to; ++x) {
                const int64_t at = x + shift;
                mask[x] = at >= 0 && at < rows.Width() ? row[at] : 0.0f;
            }
            band = mask;
        }
        if (!band)
            continue;
        const bool centre = position == Position::Centre;
        if (position == Position::Outside || centre) {
            for (int32_t x = span.from; x < span.to; ++x) {
                const float left = 1 - coverage[x];
                part[x] = left > 1e-6f ? std::min(1.0f, band[x] / left) : 0.0f;
            }
            std::fill(mask_.begin() + span.from, mask_.begin() + span.to, 1.0f);
            Put(*effect, span, part, outside);
        }
        if (position == Position::Inside || centre) {
            const float* inner = band;
            if (centre) {
                CoverageRows& rows = *effect->inner;
                const float* row = rows.Row(y);
                const int64_t shift = int64_t(left_) - rows.Left();
                for (int32_t x = span.from; x < span.to; ++x) {
                    const int64_t at = x + shift;
                    mask2_[x] = at >= 0 && at < rows.Width() ? row[at] : 0.0f;
                }
                inner = mask2_.data();
            }
            for (int32_t x = span.from; x < span.to; ++x)
                part[x] = coverage[x] > 1e-6f ? std::min(1.0f, inner[x] / coverage[x]) : 0.0f;
            std::fill(mask_.begin() + span.from, mask_.begin() + span.to, 1.0f);
            Put(*effect, span, part, inside);
        }
    }
}

}  // namespace render
}  // namespace sdk
