#include "conversion/psd/ManifestLayerSettings.h"

#include <cstring>
#include <memory>

#include "debug/Error.h"
#include "files/Utf8Text.h"
#include "render/BlendMode.h"
#include "render/FillPaint.h"
#include "render/adjust/LayerAdjustment.h"
#include "render/adjust/SettingsBytes.h"
#include "render/effects/LayerEffects.h"

using sdk::graphic::ImageLoaderPSD;
using sdk::graphic::PsdDescriptorValue;
using sdk::graphic::PsdLayerProperties;
using sdk::render::AdjustmentKind;
using sdk::render::AdjustmentSettings;
using sdk::render::EffectKind;
using sdk::render::GradientRamp;
using sdk::render::GradientSettings;
using sdk::render::LayerEffect;
using sdk::render::PatternSettings;

namespace {

// A gradient's stop locations and smoothness (0 .. 4096) in percent.
const double kStopScale = 100.0 / 4096;

// A colour in 0 .. 255; two places keep what a document stores without the noise of the
// conversions (51.0031 from 0.2 in single precision).
void Rgb(JsonText& json, double red, double green, double blue)
{
    json.BeginArray(true);
    json.Real(red, 2);
    json.Real(green, 2);
    json.Real(blue, 2);
    json.EndArray();
}

// A colour of the effects, 0 .. 1 each.
void UnitRgb(JsonText& json, const float (&rgb)[3])
{
    Rgb(json, rgb[0] * 255.0, rgb[1] * 255.0, rgb[2] * 255.0);
}

void Point(JsonText& json, double x, double y)
{
    json.BeginObject(true);
    json.Key("x");
    json.Real(x);
    json.Key("y");
    json.Real(y);
    json.EndObject();
}

void BlendMode(JsonText& json, sdk::render::BlendMode mode)
{
    json.BeginObject(true);
    json.Key("key");
    json.String(sdk::render::BlendModeKey(mode));
    json.Key("name");
    json.String(sdk::render::BlendModeName(mode));
    json.EndObject();
}

// The members of a gradient's colours: how they mix, and their stops sorted by location.
void Ramp(JsonText& json, const GradientRamp& ramp, bool opacities)
{
    using Method = GradientRamp::Method;
    json.Key("method");
    json.String(ramp.method == Method::Linear       ? "linear"
                : ramp.method == Method::Perceptual ? "perceptual"
                : ramp.method == Method::Smooth     ? "smooth"
                                                    : "classic");
    json.Key("smoothness");
    json.Real(ramp.smoothness * kStopScale);
    json.Key("noise");
    json.Bool(ramp.noise);
    json.Key("stops");
    json.BeginArray();
    for (const GradientRamp::ColourStop& stop : ramp.colours) {
        json.BeginObject(true);
        json.Key("location");
        json.Real(stop.location * kStopScale);
        json.Key("midpoint");
        json.Number(stop.midpoint);
        json.Key("color");
        Rgb(json, stop.rgb[0], stop.rgb[1], stop.rgb[2]);
        json.EndObject();
    }
    json.EndArray();
    if (!opacities)
        return;
    json.Key("opacityStops");
    json.BeginArray();
    for (const GradientRamp::OpacityStop& stop : ramp.opacities) {
        json.BeginObject(true);
        json.Key("location");
        json.Real(stop.location * kStopScale);
        json.Key("midpoint");
        json.Number(stop.midpoint);
        json.Key("opacity");
        json.Real(stop.opacity * 100.0);
        json.EndObject();
    }
    json.EndArray();
}

// The members of a gradient a fill or an effect paints.
void Gradient(JsonText& json, const GradientSettings& gradient)
{
    using Style = GradientSettings::Style;
    json.Key("style");
    json.String(gradient.style == Style::Radial      ? "radial"
                : gradient.style == Style::Angle     ? "angle"
                : gradient.style == Style::Reflected ? "reflected"
                : gradient.style == Style::Diamond   ? "diamond"
                                                     : "linear");
    json.Key("angle");
    json.Real(gradient.angle);
    json.Key("scale");
    json.Real(gradient.scale);
    json.Key("offset");
    Point(json, gradient.offsetX, gradient.offsetY);
    json.Key("reverse");
    json.Bool(gradient.reverse);
    json.Key("dither");
    json.Bool(gradient.dither);
    json.Key("alignWithLayer");
    json.Bool(gradient.align);
    Ramp(json, gradient.ramp, true);
}

void Pattern(JsonText& json, const PatternSettings& pattern)
{
    json.Key("id");
    json.String(pattern.id);
    json.Key("name");
    json.String(sdk::files::Utf16ToUtf8(pattern.name));
    json.Key("scale");
    json.Real(pattern.scale * 100);
    json.Key("phase");
    Point(json, pattern.phaseX, pattern.phaseY);
}

// ---- adjustments ----

const char* AdjustmentName(AdjustmentKind kind)
{
    switch (kind) {
        case AdjustmentKind::Levels:
            return "levels";
        case AdjustmentKind::Curves:
            return "curves";
        case AdjustmentKind::BrightnessContrast:
            return "brightnessContrast";
        case AdjustmentKind::HueSaturation:
            return "hueSaturation";
        case AdjustmentKind::ColorBalance:
            return "colorBalance";
        case AdjustmentKind::SelectiveColor:
            return "selectiveColor";
        case AdjustmentKind::ChannelMixer:
            return "channelMixer";
        case AdjustmentKind::PhotoFilter:
            return "photoFilter";
        case AdjustmentKind::GradientMap:
            return "gradientMap";
        case AdjustmentKind::Exposure:
            return "exposure";
        case AdjustmentKind::Vibrance:
            return "vibrance";
        case AdjustmentKind::BlackWhite:
            return "blackWhite";
        case AdjustmentKind::Posterize:
            return "posterize";
        case AdjustmentKind::Threshold:
            return "threshold";
        case AdjustmentKind::Invert:
            return "invert";
        case AdjustmentKind::ColorLookup:
            return "colorLookup";
    }
    return "unknown";
}

// The names of the channels that levels, curves and the channel mixer keep their settings
// for: the master first, then the document's colour channels as they are drawn.
const char* const kColourChannels[] = {"master", "red", "green", "blue"};
const char* const kGrayChannels[] = {"master", "gray"};

void Levels(JsonText& json, const sdk::render::LevelsSettings& levels, bool gray)
{
    json.Key("channels");
    json.BeginObject();
    for (int channel = 0; channel < (gray ? 2 : 4); ++channel) {
        const sdk::render::LevelsRecord& record = levels.records[channel];
        json.Key(gray ? kGrayChannels[channel] : kColourChannels[channel]);
        json.BeginObject(true);
        json.Key("inputBlack");
        json.Number(record.inputFloor);
        json.Key("inputWhite");
        json.Number(record.inputCeiling);
        json.Key("gamma");
        json.Real(record.gamma);
        json.Key("outputBlack");
        json.Number(record.outputFloor);
        json.Key("outputWhite");
        json.Number(record.outputCeiling);
        json.EndObject();
    }
    json.EndObject();
}

void Curves(JsonText& json, const sdk::render::CurvesSettings& curves, bool gray)
{
    json.Key("map");
    json.Bool(curves.map);
    json.Key("channels");
    json.BeginObject();
    // Each curve drawn: its points [input, output], or in the map form the outputs of its
    // 256 inputs.
    for (int channel = 0; channel < (gray ? 2 : 4); ++channel) {
        const char* name = gray ? kGrayChannels[channel] : kColourChannels[channel];
        if (curves.map) {
            const auto table = curves.tables.find(channel);
            if (table == curves.tables.end())
                continue;
            json.Key(name);
            json.BeginArray(true);
            for (const uint8_t value : table->second)
                json.Number(value);
            json.EndArray();
            continue;
        }
        const auto points = curves.points.find(channel);
        if (points == curves.points.end())
            continue;
        json.Key(name);
        json.BeginArray(true);
        for (const sdk::render::CurvePoint& point : points->second) {
            json.BeginArray(true);
            json.Number(point.input);
            json.Number(point.output);
            json.EndArray();
        }
        json.EndArray();
    }
    json.EndObject();
}

void HueSaturationChange(JsonText& json, const sdk::render::HueSaturationSettings::Change& change)
{
    json.Key("hue");
    json.Number(change.hue);
    json.Key("saturation");
    json.Number(change.saturation);
    json.Key("lightness");
    json.Number(change.lightness);
}

void HueSaturation(JsonText& json, const sdk::render::HueSaturationSettings& settings)
{
    json.Key("colorize");
    json.Bool(settings.colorize);
    json.Key("colorization");
    json.BeginObject(true);
    HueSaturationChange(json, settings.colorization);
    json.EndObject();
    json.Key("master");
    json.BeginObject(true);
    HueSaturationChange(json, settings.master);
    json.EndObject();
    // Each range's hues: where its fade starts, where its full change starts and ends, where
    // its fade ends.
    const char* const names[6] = {"reds", "yellows", "greens", "cyans", "blues", "magentas"};
    json.Key("ranges");
    json.BeginArray();
    for (int i = 0; i < 6; ++i) {
        const sdk::render::HueSaturationSettings::Range& range = settings.ranges[i];
        json.BeginObject(true);
        json.Key("name");
        json.String(names[i]);
        json.Key("hues");
        json.BeginArray(true);
        for (const int hue : {range.fade[0], range.full[0], range.full[1], range.fade[1]})
            json.Number(hue);
        json.EndArray();
        HueSaturationChange(json, range.change);
        json.EndObject();
    }
    json.EndArray();
}

void Numbers(JsonText& json, const int* values, int count)
{
    json.BeginArray(true);
    for (int i = 0; i < count; ++i)
        json.Number(values[i]);
    json.EndArray();
}

void ColorBalance(JsonText& json, const sdk::render::ColorBalanceSettings& settings)
{
    // Each tonal range's cyan-red, magenta-green and yellow-blue shifts.
    const char* const ranges[3] = {"shadows", "midtones", "highlights"};
    for (int i = 0; i < 3; ++i) {
        json.Key(ranges[i]);
        Numbers(json, settings.shifts[i], 3);
    }
    json.Key("preserveLuminosity");
    json.Bool(settings.preserveLuminosity);
}

void SelectiveColor(JsonText& json, const sdk::render::SelectiveColorSettings& settings)
{
    json.Key("method");
    json.String(settings.absolute ? "absolute" : "relative");
    // Each family's cyan, magenta, yellow and black.
    const char* const families[9] = {"reds",     "yellows", "greens",   "cyans", "blues",
                                     "magentas", "whites",  "neutrals", "blacks"};
    json.Key("colors");
    json.BeginObject();
    for (int i = 0; i < 9; ++i) {
        json.Key(families[i]);
        Numbers(json, settings.plates[i], 4);
    }
    json.EndObject();
}

void ChannelMixer(JsonText& json, const sdk::render::ChannelMixerSettings& settings, bool gray)
{
    json.Key("monochrome");
    json.Bool(settings.monochrome);
    // Each output channel's percentages of red, green and blue and its constant; one output
    // for a monochrome mixer or a gray document.
    const bool one = settings.monochrome || gray;
    json.Key("channels");
    json.BeginObject();
    for (int row = 0; row < (one ? 1 : 3); ++row) {
        json.Key(one ? "gray" : kColourChannels[row + 1]);
        json.BeginObject(true);
        for (int i = 0; i < 3; ++i) {
            json.Key(kColourChannels[i + 1]);
            json.Number(settings.weights[row][i]);
        }
        json.Key("constant");
        json.Number(settings.constant[row]);
        json.EndObject();
    }
    json.EndObject();
}

void BlackWhite(JsonText& json, const sdk::render::BlackWhiteSettings& settings)
{
    const char* const colours[6] = {"reds", "yellows", "greens", "cyans", "blues", "magentas"};
    for (int i = 0; i < 6; ++i) {
        json.Key(colours[i]);
        json.Number(settings.weights[i]);
    }
    json.Key("tint");
    json.Bool(settings.tint);
    json.Key("tintColor");
    Rgb(json, settings.tintColour.r, settings.tintColour.g, settings.tintColour.b);
}

void ColorLookup(JsonText& json, const sdk::render::ColorLookupSettings& settings)
{
    using Table = sdk::render::ColorLookupSettings::Table;
    json.Key("table");
    json.String(settings.table == Table::Cube      ? "cube"
                : settings.table == Table::ThreeDL ? "3dl"
                : settings.table == Table::Other   ? "other"
                                                   : "none");
    json.Key("name");
    json.String(sdk::files::Utf16ToUtf8(settings.name));
}

void Adjustment(JsonText& json, const AdjustmentSettings& settings, bool gray)
{
    json.BeginObject();
    json.Key("kind");
    json.String(AdjustmentName(settings.kind));
    switch (settings.kind) {
        case AdjustmentKind::Levels:
            Levels(json, settings.levels, gray);
            break;
        case AdjustmentKind::Curves:
            Curves(json, settings.curves, gray);
            break;
        case AdjustmentKind::BrightnessContrast:
            json.Key("brightness");
            json.Number(settings.brightnessContrast.brightness);
            json.Key("contrast");
            json.Number(settings.brightnessContrast.contrast);
            json.Key("legacy");
            json.Bool(settings.brightnessContrast.legacy);
            break;
        case AdjustmentKind::HueSaturation:
            HueSaturation(json, settings.hueSaturation);
            break;
        case AdjustmentKind::ColorBalance:
            ColorBalance(json, settings.colorBalance);
            break;
        case AdjustmentKind::SelectiveColor:
            SelectiveColor(json, settings.selectiveColor);
            break;
        case AdjustmentKind::ChannelMixer:
            ChannelMixer(json, settings.channelMixer, gray);
            break;
        case AdjustmentKind::PhotoFilter: {
            const sdk::render::Rgb& colour = settings.photoFilter.colour;
            json.Key("color");
            Rgb(json, colour.r, colour.g, colour.b);
            json.Key("density");
            json.Number(settings.photoFilter.density);
            json.Key("preserveLuminosity");
            json.Bool(settings.photoFilter.preserveLuminosity);
            break;
        }
        case AdjustmentKind::GradientMap:
            json.Key("reverse");
            json.Bool(settings.gradientMap.reverse);
            json.Key("dither");
            json.Bool(settings.gradientMap.dither);
            Ramp(json, settings.gradientMap.ramp, false);
            break;
        case AdjustmentKind::Exposure:
            json.Key("exposure");
            json.Real(settings.exposure.exposure);
            json.Key("offset");
            json.Real(settings.exposure.offset);
            json.Key("gamma");
            json.Real(settings.exposure.gamma);
            break;
        case AdjustmentKind::Vibrance:
            json.Key("vibrance");
            json.Number(settings.vibrance.vibrance);
            json.Key("saturation");
            json.Number(settings.vibrance.saturation);
            break;
        case AdjustmentKind::BlackWhite:
            BlackWhite(json, settings.blackWhite);
            break;
        case AdjustmentKind::Posterize:
            json.Key("levels");
            json.Number(settings.posterizeLevels);
            break;
        case AdjustmentKind::Threshold:
            json.Key("level");
            json.Number(settings.thresholdLevel);
            break;
        case AdjustmentKind::Invert:
            break;
        case AdjustmentKind::ColorLookup:
            ColorLookup(json, settings.colorLookup);
            break;
    }
    json.EndObject();
}

// ---- fills ----

struct Fill {
    enum class Type { Colour, Gradient, Pattern } type = Type::Colour;
    uint8_t colour[3] = {0, 0, 0};
    GradientSettings gradient;
    PatternSettings pattern;
};

// The fill the renderer paints the layer with: its gradient or pattern block before its colour.
// False for a layer that is filled from no settings. Raises what reading the block raises.
bool ReadFill(ImageLoaderPSD& psd, int32_t index, Fill& fill)
{
    const PsdLayerProperties& properties = psd.LayerRecord(index).properties;
    if (const sdk::graphic::PsdBlockPlace* place = sdk::render::FillBlock(properties)) {
        const PsdDescriptorValue settings = sdk::render::ReadFillSettings(psd, index, *place);
        if (memcmp(place->key, "GdFl", 4) == 0) {
            fill.type = Fill::Type::Gradient;
            fill.gradient = sdk::render::ReadGradientSettings(settings);
        } else {
            fill.type = Fill::Type::Pattern;
            fill.pattern = sdk::render::ReadPatternSettings(settings);
        }
        return true;
    }
    if (properties.hasFillColour) {
        memcpy(fill.colour, properties.fillColour, 3);
        return true;
    }
    // A fill layer whose colour block could not be read.
    if (properties.kind == PsdLayerProperties::Kind::Fill)
        throw sdk::debug::runtime_error(sdk::render::kDamagedSettings);
    return false;
}

void WriteFill(JsonText& json, const Fill& fill)
{
    json.BeginObject();
    json.Key("type");
    switch (fill.type) {
        case Fill::Type::Colour:
            json.String("color");
            json.Key("color");
            Rgb(json, fill.colour[0], fill.colour[1], fill.colour[2]);
            break;
        case Fill::Type::Gradient:
            json.String("gradient");
            Gradient(json, fill.gradient);
            break;
        case Fill::Type::Pattern:
            json.String("pattern");
            Pattern(json, fill.pattern);
            break;
    }
    json.EndObject();
}

// ---- effects ----

// An effect with the gradient or pattern it paints, read before anything is written.
struct Effect {
    LayerEffect settings;
    std::unique_ptr<GradientSettings> gradient;  // overlays and strokes of a gradient
    std::unique_ptr<PatternSettings> pattern;
    std::unique_ptr<GradientRamp> ramp;  // a glow's gradient
};

// The paint of an effect that paints a gradient or a pattern into effect.
void ReadPaint(Effect& effect)
{
    const LayerEffect& settings = effect.settings;
    if (!settings.settings || settings.paint == LayerEffect::Paint::Colour)
        return;
    const PsdDescriptorValue& descriptor = *settings.settings;
    if (settings.kind == EffectKind::OuterGlow || settings.kind == EffectKind::InnerGlow) {
        const PsdDescriptorValue* gradient = descriptor.Find("Grad");
        if (gradient && gradient->type == PsdDescriptorValue::Type::Object)
            effect.ramp.reset(new GradientRamp(sdk::render::ReadGradientRamp(
                *gradient,
                sdk::render::GradientMethodOf(descriptor.Text("gradientsInterpolationMethod")))));
    } else if (settings.paint == LayerEffect::Paint::Gradient) {
        effect.gradient.reset(new GradientSettings(sdk::render::ReadGradientSettings(descriptor)));
    } else {
        effect.pattern.reset(new PatternSettings(sdk::render::ReadPatternSettings(descriptor)));
    }
}

// The effects with their paints. A paint that cannot be read raises for an effect that is
// drawn, and leaves out one that is switched off, as the reading of the effects does.
std::vector<Effect> ReadEffects(const sdk::render::LayerEffects& effects)
{
    std::vector<Effect> read;
    for (const LayerEffect& settings : effects.effects) {
        read.emplace_back();
        read.back().settings = settings;
        try {
            ReadPaint(read.back());
        } catch (const sdk::debug::runtime_error&) {
            if (effects.on && settings.enabled)
                throw;
            read.pop_back();
        }
    }
    return read;
}

const char* EffectKey(EffectKind kind)
{
    switch (kind) {
        case EffectKind::DropShadow:
            return "dropShadow";
        case EffectKind::InnerShadow:
            return "innerShadow";
        case EffectKind::OuterGlow:
            return "outerGlow";
        case EffectKind::InnerGlow:
            return "innerGlow";
        case EffectKind::Satin:
            return "satin";
        case EffectKind::ColourOverlay:
            return "colorOverlay";
        case EffectKind::GradientOverlay:
            return "gradientOverlay";
        case EffectKind::PatternOverlay:
            return "patternOverlay";
        case EffectKind::Stroke:
            return "stroke";
        case EffectKind::Bevel:
            return "bevel";
    }
    return "unknown";
}

// What an effect paints with: its colour, its gradient (a glow's: the colours along its
// falloff) or its pattern.
void Paint(JsonText& json, const Effect& effect)
{
    if (effect.ramp) {
        json.Key("gradient");
        json.BeginObject();
        Ramp(json, *effect.ramp, true);
        json.EndObject();
    } else if (effect.gradient) {
        json.Key("gradient");
        json.BeginObject();
        Gradient(json, *effect.gradient);
        json.EndObject();
    } else if (effect.pattern) {
        json.Key("pattern");
        json.BeginObject();
        Pattern(json, *effect.pattern);
        json.EndObject();
    } else {
        json.Key("color");
        UnitRgb(json, effect.settings.colour);
    }
}

// A shadow's or glow's size and spread (or choke, inside the layer), with its noise.
void Blur(JsonText& json, const LayerEffect& e, bool inside)
{
    json.Key("size");
    json.Real(e.size);
    json.Key(inside ? "choke" : "spread");
    json.Real(e.spread * 100);
    json.Key("noise");
    json.Real(e.noise * 100);
}

void Light(JsonText& json, const LayerEffect& e)
{
    json.Key("angle");
    json.Real(e.angle);
    json.Key("distance");
    json.Real(e.distance);
}

void Bevel(JsonText& json, const LayerEffect& e)
{
    using Style = sdk::render::BevelSettings::Style;
    using Technique = sdk::render::BevelSettings::Technique;
    const sdk::render::BevelSettings& bevel = e.bevel;
    json.Key("style");
    json.String(bevel.style == Style::Outer          ? "outerBevel"
                : bevel.style == Style::Emboss       ? "emboss"
                : bevel.style == Style::PillowEmboss ? "pillowEmboss"
                : bevel.style == Style::StrokeEmboss ? "strokeEmboss"
                                                     : "innerBevel");
    json.Key("technique");
    json.String(bevel.technique == Technique::ChiselHard   ? "chiselHard"
                : bevel.technique == Technique::ChiselSoft ? "chiselSoft"
                                                           : "smooth");
    json.Key("depth");
    json.Real(bevel.depth * 100);
    json.Key("direction");
    json.String(bevel.up ? "up" : "down");
    json.Key("size");
    json.Real(e.size);
    json.Key("soften");
    json.Real(bevel.soften);
    json.Key("angle");
    json.Real(e.angle);
    json.Key("altitude");
    json.Real(bevel.altitude);
    // The highlight and the shadow, each in its own mode, colour and opacity.
    for (const bool highlight : {true, false}) {
        json.Key(highlight ? "highlight" : "shadow");
        json.BeginObject(true);
        json.Key("blendMode");
        BlendMode(json, highlight ? bevel.highlightMode : bevel.shadowMode);
        json.Key("color");
        UnitRgb(json, highlight ? bevel.highlightColour : bevel.shadowColour);
        json.Key("opacity");
        json.Real((highlight ? bevel.highlightOpacity : bevel.shadowOpacity) * 100.0);
        json.EndObject();
    }
    json.Key("contour");
    json.Bool(bevel.useContour);
    json.Key("texture");
    json.Bool(bevel.useTexture);
}

void WriteEffect(JsonText& json, const Effect& effect)
{
    const LayerEffect& e = effect.settings;
    json.BeginObject();
    json.Key("kind");
    json.String(EffectKey(e.kind));
    json.Key("enabled");
    json.Bool(e.enabled);
    if (e.kind == EffectKind::Bevel) {
        Bevel(json, e);
        json.EndObject();
        return;
    }
    json.Key("blendMode");
    BlendMode(json, e.mode);
    json.Key("opacity");
    json.Real(e.opacity * 100.0);
    Paint(json, effect);
    switch (e.kind) {
        case EffectKind::DropShadow:
        case EffectKind::InnerShadow:
            Light(json, e);
            Blur(json, e, e.kind == EffectKind::InnerShadow);
            if (e.kind == EffectKind::DropShadow) {
                json.Key("layerKnocksOut");
                json.Bool(e.layerKnocksOut);
            }
            break;
        case EffectKind::OuterGlow:
        case EffectKind::InnerGlow:
            json.Key("technique");
            json.String(e.precise ? "precise" : "softer");
            Blur(json, e, e.kind == EffectKind::InnerGlow);
            json.Key("range");
            json.Real(e.range * 100);
            json.Key("jitter");
            json.Real(e.jitter * 100);
            if (e.kind == EffectKind::InnerGlow) {
                json.Key("source");
                json.String(e.source == LayerEffect::GlowSource::Centre ? "center" : "edge");
            }
            break;
        case EffectKind::Satin:
            Light(json, e);
            json.Key("size");
            json.Real(e.size);
            json.Key("invert");
            json.Bool(e.invert);
            break;
        case EffectKind::Stroke:
            json.Key("position");
            json.String(e.position == LayerEffect::StrokePosition::Inside   ? "inside"
                        : e.position == LayerEffect::StrokePosition::Centre ? "center"
                                                                            : "outside");
            json.Key("size");
            json.Real(e.size);
            break;
        default:
            break;
    }
    json.EndObject();
}

}  // namespace

void WriteLayerSettings(JsonText& json, ImageLoaderPSD& psd, int32_t index,
                        std::vector<std::string>& unread)
{
    const PsdLayerProperties& properties = psd.LayerRecord(index).properties;
    const bool gray = psd.Format().outputColors == 1;
    // Every setting is read whole before it is written, so that damage found on the way leaves
    // no half-written member.
    if (properties.kind == PsdLayerProperties::Kind::Adjustment) {
        AdjustmentSettings settings;
        bool read = false;
        try {
            read = sdk::render::ReadAdjustmentSettings(psd, index, gray, settings);
        } catch (const sdk::debug::runtime_error&) {
        }
        json.Key("adjustment");
        if (read) {
            Adjustment(json, settings, gray);
        } else {
            json.Null();
            unread.push_back("adjustment");
        }
    }

    Fill fill;
    bool filled = false, fillRead = true;
    try {
        filled = ReadFill(psd, index, fill);
    } catch (const sdk::debug::runtime_error&) {
        fillRead = false;
    }
    if (filled || !fillRead) {
        json.Key("fill");
        if (fillRead) {
            WriteFill(json, fill);
        } else {
            json.Null();
            unread.push_back("fill");
        }
    }

    if (properties.hasEffects) {
        sdk::render::LayerEffects effects;
        std::vector<Effect> read;
        try {
            effects = sdk::render::ReadLayerEffects(psd, index, sdk::render::EffectsRead::All);
            read = ReadEffects(effects);
        } catch (const sdk::debug::runtime_error&) {
            effects.present = false;
        }
        // The older block alone is not read.
        if (effects.present) {
            json.Key("effectsEnabled");
            json.Bool(effects.on);
        }
        json.Key("effects");
        if (effects.present) {
            json.BeginArray();
            for (const Effect& effect : read)
                WriteEffect(json, effect);
            json.EndArray();
        } else {
            json.Null();
            unread.push_back("effects");
        }
    }
}
