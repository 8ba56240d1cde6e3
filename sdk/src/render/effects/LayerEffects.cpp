#include "render/effects/LayerEffects.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "debug/Error.h"
#include "render/adjust/Curves.h"
#include "render/adjust/GradientRamp.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdDescriptorValue;
using Type = PsdDescriptorValue::Type;

const double kMostSize = 250;
const double kMostDistance = 30000;
const size_t kMostContourPoints = 256;
const std::ptrdiff_t kMostOfAKind = 10;

// Each kind under its own key, and under the key of a list where the editor lets it repeat.
struct EffectKey {
    const char* single;
    const char* multi;
    EffectKind kind;
};

const EffectKey kEffectKeys[] = {
    {"DrSh", "dropShadowMulti", EffectKind::DropShadow},
    {"IrSh", "innerShadowMulti", EffectKind::InnerShadow},
    {"OrGl", nullptr, EffectKind::OuterGlow},
    {"IrGl", nullptr, EffectKind::InnerGlow},
    {"ChFX", nullptr, EffectKind::Satin},
    {"SoFi", "solidFillMulti", EffectKind::ColourOverlay},
    {"GrFl", "gradientFillMulti", EffectKind::GradientOverlay},
    {"patternFill", nullptr, EffectKind::PatternOverlay},
    {"FrFX", "frameFXMulti", EffectKind::Stroke},
    {"ebbl", nullptr, EffectKind::Bevel},
};

double Clamp(double value, double low, double high)
{
    return value < low ? low : value > high ? high : value;
}

// Every number of value and of what it holds is finite.
void RequireFinite(const PsdDescriptorValue& value)
{
    if ((value.type == Type::Number || value.type == Type::UnitNumber) &&
        !std::isfinite(value.number))
        SettingsBytes::Fail();
    for (const PsdDescriptorValue& item : value.items)
        RequireFinite(item);
}

// Degrees into -180 .. 180.
double WrapAngle(double degrees)
{
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped > 180)
        wrapped -= 360;
    else if (wrapped <= -180)
        wrapped += 360;
    return wrapped;
}

// A percentage as a fraction within low .. high.
double Fraction(const PsdDescriptorValue& effect, const char* key, double fallback, double low = 0,
                double high = 1)
{
    return Clamp(effect.Number(key, fallback * 100) / 100, low, high);
}

double Pixels(const PsdDescriptorValue& effect, const char* key, double most = kMostSize)
{
    return Clamp(effect.Number(key, 0), 0, most);
}

BlendMode ModeOf(const PsdDescriptorValue& effect, const char* key, BlendMode fallback)
{
    const PsdDescriptorValue* item = effect.Find(key);
    if (!item || item->type != Type::Enumerated)
        return fallback;
    // An effect is never passed through: a name it cannot have is normal.
    char blendKey[4];
    BlendMode mode;
    if (graphic::PsdBlendKeyOfName(item->text, blendKey) && BlendModeFromKey(blendKey, mode) &&
        mode != BlendMode::PassThrough)
        return mode;
    return BlendMode::Normal;
}

// The colour object under key into colour (0 .. 1); colour stays as it is without one, or for
// a colour of a kind the reader does not know.
void ColourOf(const PsdDescriptorValue& effect, const char* key, float (&colour)[3])
{
    const PsdDescriptorValue* object = effect.Find(key);
    float rgb[3];
    if (!object || object->type != Type::Object || !ReadDescriptorColour(*object, rgb))
        return;
    // Finite components can still convert to something that is not (a Lab colour far out).
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(rgb[i]))
            SettingsBytes::Fail();
        colour[i] = rgb[i] / 255;
    }
}

// The contour object under key ("Crv ": points "Hrzn", "Vrtc"). Between corner points ("Cnty"
// off) the curve is smooth on its own, so a curve of corners only is drawn straight from point
// to point.
void ContourOf(const PsdDescriptorValue& effect, const char* key, EffectContour& contour)
{
    const PsdDescriptorValue* object = effect.Find(key);
    const PsdDescriptorValue* curve = object ? object->Find("Crv ") : nullptr;
    if (!curve || curve->type != Type::List)
        return;
    if (curve->items.size() > kMostContourPoints)
        SettingsBytes::Fail();
    // By input; of two points at one input the later counts, as curves adjustments take them.
    std::map<int, std::pair<int, bool>> points;
    for (const PsdDescriptorValue& item : curve->items) {
        const int input = static_cast<int>(std::lround(Clamp(item.Number("Hrzn", 0), 0, 255)));
        const int output = static_cast<int>(std::lround(Clamp(item.Number("Vrtc", 0), 0, 255)));
        points[input] = {output, !item.Bool("Cnty", true)};
    }
    if (points.empty() ||
        (points.size() == 2 && points.begin()->first == 0 && points.begin()->second.first == 0 &&
         points.rbegin()->first == 255 && points.rbegin()->second.first == 255))
        return;
    // Each piece runs from a corner (or the first point) to the next corner (or the last point).
    std::vector<CurvePoint> piece;
    ChannelTable table = IdentityTable();
    int from = 0;
    size_t seen = 0;
    for (const auto& point : points) {
        piece.push_back(CurvePoint{point.first, point.second.first});
        ++seen;
        const bool last = seen == points.size();
        if (piece.size() < 2 || (!point.second.second && !last))
            continue;
        const ChannelTable part = CurveTable(piece);
        const int to = last ? 255 : point.first;
        for (int v = from; v <= to; ++v)
            table[v] = part[v];
        from = point.first;
        piece.assign(1, piece.back());
    }
    if (points.size() == 1)
        table = CurveTable(piece);
    for (int v = 0; v < 256; ++v)
        contour.table[v] = table[v] / 255.0f;
    contour.linear = false;
}

double LightAngle(const PsdDescriptorValue& effect, double globalAngle, double fallback)
{
    return WrapAngle(effect.Bool("uglg", false) ? globalAngle : effect.Number("lagl", fallback));
}

void ReadShadowOrGlow(const PsdDescriptorValue& effect, LayerEffect& out)
{
    out.spread = Fraction(effect, "Ckmt", 0);  // a percentage, though its unit says pixels
    out.size = Pixels(effect, "blur");
    out.noise = Fraction(effect, "Nose", 0);
    out.antiAlias = effect.Bool("AntA", false);
    ContourOf(effect, "TrnS", out.contour);
}

void ReadBevel(const PsdDescriptorValue& effect, double globalAngle, double globalAltitude,
               LayerEffect& out)
{
    BevelSettings& bevel = out.bevel;
    const std::string style = effect.Text("bvlS");
    bevel.style = style == "OtrB"           ? BevelSettings::Style::Outer
                  : style == "Embs"         ? BevelSettings::Style::Emboss
                  : style == "PlEb"         ? BevelSettings::Style::PillowEmboss
                  : style == "strokeEmboss" ? BevelSettings::Style::StrokeEmboss
                                            : BevelSettings::Style::Inner;
    const std::string technique = effect.Text("bvlT");
    bevel.technique = technique == "PrBL"   ? BevelSettings::Technique::ChiselHard
                      : technique == "Slmt" ? BevelSettings::Technique::ChiselSoft
                                            : BevelSettings::Technique::Smooth;
    out.precise = technique == "PrBL";
    bevel.up = effect.Text("bvlD") != "Out ";
    bevel.depth = Fraction(effect, "srgR", 1, 0.01, 10);
    bevel.soften = Pixels(effect, "Sftn");
    out.size = Pixels(effect, "blur");
    out.angle = LightAngle(effect, globalAngle, out.angle);
    bevel.altitude = Clamp(
        effect.Bool("uglg", false) ? globalAltitude : effect.Number("Lald", bevel.altitude), 0, 90);
    ContourOf(effect, "TrnS", bevel.gloss);
    bevel.antiAliasGloss = effect.Bool("antialiasGloss", false);
    out.antiAlias = effect.Bool("AntA", false);
    bevel.highlightMode = ModeOf(effect, "hglM", bevel.highlightMode);
    ColourOf(effect, "hglC", bevel.highlightColour);
    bevel.highlightOpacity = static_cast<float>(Fraction(effect, "hglO", bevel.highlightOpacity));
    bevel.shadowMode = ModeOf(effect, "sdwM", bevel.shadowMode);
    ColourOf(effect, "sdwC", bevel.shadowColour);
    bevel.shadowOpacity = static_cast<float>(Fraction(effect, "sdwO", bevel.shadowOpacity));
    bevel.useContour = effect.Bool("useShape", false);
    ContourOf(effect, "MpgS", bevel.contour);
    bevel.contourRange = Fraction(effect, "Inpr", bevel.contourRange, 0.01, 1);
    bevel.useTexture = effect.Bool("useTexture", false);
    const PsdDescriptorValue* pattern = effect.Find("Ptrn");
    if (pattern && pattern->type == Type::Object)
        bevel.texture = std::make_shared<const PsdDescriptorValue>(*pattern);
    bevel.textureScale = Fraction(effect, "Scl ", 1, 0.01, 10);
    bevel.textureDepth = Fraction(effect, "textureDepth", 1, -10, 10);
    bevel.textureInvert = effect.Bool("InvT", false);
    bevel.textureLinked = effect.Bool("Lnkd", true);
}

LayerEffect ReadEffect(EffectKind kind, const PsdDescriptorValue& effect, double globalAngle,
                       double globalAltitude)
{
    RequireFinite(effect);
    LayerEffect out;
    out.kind = kind;
    out.settings = std::make_shared<const PsdDescriptorValue>(effect);
    out.mode = ModeOf(effect, "Md  ", BlendMode::Normal);
    out.opacity = static_cast<float>(Fraction(effect, "Opct", 1));
    ColourOf(effect, "Clr ", out.colour);
    switch (kind) {
        case EffectKind::DropShadow:
        case EffectKind::InnerShadow:
            ReadShadowOrGlow(effect, out);
            out.angle = LightAngle(effect, globalAngle, out.angle);
            out.distance = Pixels(effect, "Dstn", kMostDistance);
            out.layerKnocksOut = effect.Bool("layerConceals", true);
            break;
        case EffectKind::OuterGlow:
        case EffectKind::InnerGlow:
            ReadShadowOrGlow(effect, out);
            out.range = Fraction(effect, "Inpr", out.range, 0.01, 1);
            out.jitter = Fraction(effect, "ShdN", 0);
            out.precise = effect.Text("GlwT") == "PrBL";
            if (effect.Text("glwS") == "SrcC")
                out.source = LayerEffect::GlowSource::Centre;
            if (!effect.Find("Clr ")) {
                const PsdDescriptorValue* gradient = effect.Find("Grad");
                if (gradient && gradient->type == Type::Object)
                    out.paint = LayerEffect::Paint::Gradient;
            }
            break;
        case EffectKind::Satin:
            out.angle = LightAngle(effect, globalAngle, out.angle);
            out.distance = Pixels(effect, "Dstn", kMostDistance);
            out.size = Pixels(effect, "blur");
            out.invert = effect.Bool("Invr", false);
            out.antiAlias = effect.Bool("AntA", false);
            ContourOf(effect, "MpgS", out.contour);
            break;
        case EffectKind::ColourOverlay:
            break;
        case EffectKind::GradientOverlay:
            out.paint = LayerEffect::Paint::Gradient;
            break;
        case EffectKind::PatternOverlay:
            out.paint = LayerEffect::Paint::Pattern;
            break;
        case EffectKind::Stroke: {
            const std::string position = effect.Text("Styl");
            out.position = position == "InsF"   ? LayerEffect::StrokePosition::Inside
                           : position == "CtrF" ? LayerEffect::StrokePosition::Centre
                                                : LayerEffect::StrokePosition::Outside;
            const std::string paint = effect.Text("PntT");
            out.paint = paint == "GrFl"   ? LayerEffect::Paint::Gradient
                        : paint == "Ptrn" ? LayerEffect::Paint::Pattern
                                          : LayerEffect::Paint::Colour;
            out.size = Pixels(effect, "Sz  ");
            break;
        }
        case EffectKind::Bevel:
            ReadBevel(effect, globalAngle, globalAltitude, out);
            break;
    }
    return out;
}

// The effects an item of the block holds: itself, or the effects of its list. on: the block's
// master switch.
void AddEffects(EffectKind kind, const PsdDescriptorValue& item, double globalAngle,
                double globalAltitude, bool on, EffectsRead read, std::vector<LayerEffect>& effects)
{
    if (item.type == Type::List) {
        for (const PsdDescriptorValue& one : item.items)
            AddEffects(kind, one, globalAngle, globalAltitude, on, read, effects);
        return;
    }
    // The editor keeps every kind's settings, the absent ones off and not present.
    if (item.type != Type::Object || !item.Bool("present", true))
        return;
    const bool enabled = item.Bool("enab", true);
    if (!enabled && read == EffectsRead::Drawn)
        return;
    // The editor stacks at most ten of a kind; more are not drawn, so that a file cannot
    // multiply the rows effects keep (nor the effects switched off, the size of a reading).
    if (std::count_if(effects.begin(), effects.end(), [kind, enabled](const LayerEffect& effect) {
            return effect.kind == kind && effect.enabled == enabled;
        }) >= kMostOfAKind)
        return;
    if (enabled && on) {
        effects.push_back(ReadEffect(kind, item, globalAngle, globalAltitude));
        return;
    }
    // An effect that is not drawn does not damage the reading of those that are.
    try {
        effects.push_back(ReadEffect(kind, item, globalAngle, globalAltitude));
    } catch (const debug::runtime_error&) {
        return;
    }
    effects.back().enabled = enabled;
}

}  // namespace

const char* EffectName(EffectKind kind)
{
    switch (kind) {
        case EffectKind::DropShadow:
            return "drop shadow";
        case EffectKind::InnerShadow:
            return "inner shadow";
        case EffectKind::OuterGlow:
            return "outer glow";
        case EffectKind::InnerGlow:
            return "inner glow";
        case EffectKind::Satin:
            return "satin";
        case EffectKind::ColourOverlay:
            return "color overlay";
        case EffectKind::GradientOverlay:
            return "gradient overlay";
        case EffectKind::PatternOverlay:
            return "pattern overlay";
        case EffectKind::Stroke:
            return "stroke";
        case EffectKind::Bevel:
            return "bevel and emboss";
    }
    return "layer effect";
}

EffectContour::EffectContour()
{
    for (int v = 0; v < 256; ++v)
        table[v] = v / 255.0f;
}

float EffectContour::At(float a) const
{
    if (!(a > 0))
        return table[0];
    if (a >= 1)
        return table[255];
    const float place = a * 255;
    const int below = static_cast<int>(place);
    const float part = place - static_cast<float>(below);
    return table[below] + (table[below + 1] - table[below]) * part;
}

LayerEffects ReadLayerEffectsBlock(const std::vector<uint8_t>& block, double globalAngle,
                                   double globalAltitude, EffectsRead read)
{
    SettingsBytes bytes(block);
    if (bytes.U32() != 0)
        SettingsBytes::Fail();
    size_t at = bytes.At();
    const PsdDescriptorValue descriptor =
        graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at, kDamagedSettings);
    return ReadLayerEffectsDescriptor(descriptor, globalAngle, globalAltitude, read);
}

LayerEffects ReadLayerEffectsDescriptor(const PsdDescriptorValue& descriptor, double globalAngle,
                                        double globalAltitude, EffectsRead read)
{
    LayerEffects effects;
    effects.present = true;
    const double scale = descriptor.Number("Scl ", 100);
    if (!std::isfinite(scale) || !std::isfinite(globalAngle) || !std::isfinite(globalAltitude))
        SettingsBytes::Fail();
    effects.scale = Clamp(scale / 100, 0.01, 10);
    effects.on = descriptor.Bool("masterFXSwitch", true);
    if (!effects.on && read == EffectsRead::Drawn)
        return effects;
    globalAngle = WrapAngle(globalAngle);
    globalAltitude = Clamp(globalAltitude, 0, 90);
    for (const PsdDescriptorValue& item : descriptor.items) {
        for (const EffectKey& key : kEffectKeys) {
            // A kind that may repeat keeps its first effect under its own key as well.
            if ((item.key == key.single && !(key.multi && descriptor.Find(key.multi))) ||
                (key.multi && item.key == key.multi))
                AddEffects(key.kind, item, globalAngle, globalAltitude, effects.on, read,
                           effects.effects);
        }
    }
    return effects;
}

LayerEffects ReadLayerEffects(graphic::ImageLoaderPSD& loader, int32_t index, EffectsRead read)
{
    const graphic::PsdFormat& format = loader.Format();
    // A layer comp's style takes the place of the blocks.
    const std::shared_ptr<const PsdDescriptorValue>& style =
        loader.LayerRecord(index).properties.compEffects;
    if (style)
        return ReadLayerEffectsDescriptor(*style, format.globalAngle, format.globalAltitude, read);
    std::vector<uint8_t> block;
    if (!loader.LayerBlock(index, "lmfx", block) && !loader.LayerBlock(index, "lfx2", block))
        return LayerEffects();
    return ReadLayerEffectsBlock(block, format.globalAngle, format.globalAltitude, read);
}

}  // namespace render
}  // namespace sdk
