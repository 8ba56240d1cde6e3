#include "render/compose/UndrawnParts.h"

#include <algorithm>
#include <cstring>

#include "debug/Error.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/FillPaint.h"
#include "render/LayerLook.h"
#include "render/adjust/LayerAdjustment.h"
#include "render/adjust/SettingsBytes.h"
#include "render/effects/LayerEffects.h"
#include "render/effects/LayerStyle.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdDescriptorValue;
using graphic::PsdLayerProperties;

void AddOnce(std::vector<std::string>& parts, const std::string& part)
{
    for (const std::string& known : parts) {
        if (known == part)
            return;
    }
    parts.push_back(part);
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
        // Some kinds of effects are not drawn; settings that cannot be read leave them
        // unnamed.
        try {
            const LayerEffects effects = ReadLayerEffects(loader, index);
            if (!effects.present)
                parts.push_back("layer effects");
            for (const LayerEffect& effect : effects.effects) {
                if (!LayerStyle::Draws(loader, effect, tiles))
                    AddOnce(parts, EffectName(effect.kind));
            }
        } catch (const debug::runtime_error&) {
            parts.push_back("layer effects");
        }
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
