#include "render/UndrawnParts.h"

#include <algorithm>
#include <cstring>

#include "debug/Error.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/FillPaint.h"
#include "render/LayerLook.h"
#include "render/adjust/LayerAdjustment.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdDescriptorValue;
using graphic::PsdLayerProperties;

struct EffectName {
    const char* key;
    const char* name;
};

// The effects of the descriptor, each under its own key, or a list of them under the key of
// several ("lmfx" keeps repeated effects so).
const EffectName kEffects[] = {
    {"DrSh", "drop shadow"},       {"dropShadowMulti", "drop shadow"},
    {"IrSh", "inner shadow"},      {"innerShadowMulti", "inner shadow"},
    {"OrGl", "outer glow"},        {"IrGl", "inner glow"},
    {"ebbl", "bevel and emboss"},  {"ChFX", "satin"},
    {"SoFi", "color overlay"},     {"solidFillMulti", "color overlay"},
    {"GrFl", "gradient overlay"},  {"gradientFillMulti", "gradient overlay"},
    {"patternFill", "pattern overlay"},
    {"FrFX", "stroke"},            {"frameFXMulti", "stroke"},
};

void AddOnce(std::vector<std::string>& parts, const std::string& part)
{
    for (const std::string& known : parts) {
        if (known == part)
            return;
    }
    parts.push_back(part);
}

// The enabled effects of an effects block: an effects version, a descriptor version and the
// descriptor.
void EffectsOf(const std::vector<uint8_t>& block, std::vector<std::string>& parts)
{
    size_t at = 4;
    if (block.size() < 4)
        SettingsBytes::Fail();
    const PsdDescriptorValue effects =
        graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at, kDamagedSettings);
    if (!effects.Bool("masterFXSwitch", true))
        return;
    for (const PsdDescriptorValue& item : effects.items) {
        for (const EffectName& effect : kEffects) {
            if (item.key != effect.key)
                continue;
            bool enabled = item.Bool("enab", true);
            if (item.type == PsdDescriptorValue::Type::List) {
                enabled = false;
                for (const PsdDescriptorValue& one : item.items)
                    enabled = enabled || one.Bool("enab", true);
            }
            if (enabled)
                AddOnce(parts, effect.name);
        }
    }
}

bool HasBlock(const PsdLayerProperties& properties, const char* key)
{
    for (const graphic::PsdBlockPlace& place : properties.drawingBlocks) {
        if (memcmp(place.key, key, 4) == 0)
            return true;
    }
    return false;
}

void Shown(graphic::ImageLoaderPSD& loader, const graphic::PsdLayerNode& node,
           std::vector<UndrawnLayer>& layers, PatternTiles& tiles)
{
    for (const graphic::PsdLayerNode& child : node.children) {
        if (!loader.LayerRecord(child.layer).properties.visible)
            continue;
        std::vector<std::string> parts = UndrawnParts(loader, child.layer, tiles);
        if (!parts.empty())
            layers.push_back(UndrawnLayer{child.layer, std::move(parts)});
        if (child.group)
            Shown(loader, child, layers, tiles);
    }
}

}  // namespace

std::vector<std::string> UndrawnParts(graphic::ImageLoaderPSD& loader, int32_t index)
{
    PatternTiles tiles;
    return UndrawnParts(loader, index, tiles);
}

std::vector<std::string> UndrawnParts(graphic::ImageLoaderPSD& loader, int32_t index,
                                      PatternTiles& tiles)
{
    const graphic::ImageLoaderPSD::info_t& record = loader.LayerRecord(index);
    const PsdLayerProperties& properties = record.properties;
    std::vector<std::string> parts;
    if (properties.hasEffects) {
        // Effects are not drawn: settings that cannot be read only leave them unnamed.
        std::vector<std::string> effects;
        try {
            std::vector<uint8_t> block;
            if (loader.LayerBlock(index, "lmfx", block) || loader.LayerBlock(index, "lfx2", block))
                EffectsOf(block, effects);
            else
                effects.push_back("layer effects");
        } catch (const debug::runtime_error&) {
            effects.assign(1, "layer effects");
        }
        parts.insert(parts.end(), effects.begin(), effects.end());
    }
    if (properties.kind == PsdLayerProperties::Kind::Adjustment &&
        !ReadLayerAdjustment(loader, index, loader.Format().outputColors == 1))
        parts.push_back(AdjustmentKindOf(loader, index));
    // A fill drawn from settings the renderer cannot paint (a noise gradient, a pattern the
    // document does not hold) draws nothing.
    if (LayerLook::DrawsFill(record) && FillBlock(properties) && !ReadFillPaint(loader, index, tiles)) {
        if (HasBlock(properties, "GdFl"))
            parts.push_back("gradient fill");
        else
            parts.push_back("pattern fill");
    }
    return parts;
}

std::vector<UndrawnLayer> UndrawnLayers(graphic::ImageLoaderPSD& loader)
{
    std::vector<UndrawnLayer> layers;
    PatternTiles tiles;
    Shown(loader, loader.LayerTree(), layers, tiles);
    std::sort(layers.begin(), layers.end(),
              [](const UndrawnLayer& a, const UndrawnLayer& b) { return a.layer < b.layer; });
    return layers;
}

}  // namespace render
}  // namespace sdk
