// The adjustment an adjustment layer's settings block describes, read for the renderer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/adjust/Adjustment.h"
#include "render/adjust/BlackWhite.h"
#include "render/adjust/BrightnessContrast.h"
#include "render/adjust/ChannelMixer.h"
#include "render/adjust/ColorBalance.h"
#include "render/adjust/ColorLookup.h"
#include "render/adjust/Curves.h"
#include "render/adjust/Exposure.h"
#include "render/adjust/GradientMap.h"
#include "render/adjust/HueSaturation.h"
#include "render/adjust/Levels.h"
#include "render/adjust/PhotoFilter.h"
#include "render/adjust/SelectiveColor.h"
#include "render/adjust/Vibrance.h"

namespace sdk {
namespace render {

enum class AdjustmentKind {
    Levels,
    Curves,
    BrightnessContrast,
    HueSaturation,
    ColorBalance,
    SelectiveColor,
    ChannelMixer,
    PhotoFilter,
    GradientMap,
    Exposure,
    Vibrance,
    BlackWhite,
    Posterize,
    Threshold,
    Invert,
    ColorLookup,
};

// An adjustment layer's settings as the renderer reads them: its kind, and the member of that
// kind (the others keep their defaults).
struct AdjustmentSettings {
    AdjustmentKind kind = AdjustmentKind::Invert;
    LevelsSettings levels;
    CurvesSettings curves;
    BrightnessContrastSettings brightnessContrast;
    HueSaturationSettings hueSaturation;
    ColorBalanceSettings colorBalance;
    SelectiveColorSettings selectiveColor;
    ChannelMixerSettings channelMixer;
    PhotoFilterSettings photoFilter;
    GradientMapSettings gradientMap;
    ExposureSettings exposure;
    VibranceSettings vibrance;
    BlackWhiteSettings blackWhite;
    int posterizeLevels = 4;
    int thresholdLevel = 128;
    ColorLookupSettings colorLookup;
};

// The kind of adjustment layer index is, in words ("levels", "hue/saturation", ...); empty for
// a layer that is no adjustment layer.
std::string AdjustmentKindOf(const graphic::ImageLoaderPSD& loader, int32_t index);

// The settings of layer index's adjustment into settings; false when the layer has no
// adjustment block. gray: the document's colours are gray (a channel mixer keeps one record
// then). Raises "ImageLoaderPSD::LayerBlock:470" or ":480" for a settings block that is too
// large or damaged.
bool ReadAdjustmentSettings(graphic::ImageLoaderPSD& loader, int32_t index, bool gray,
                            AdjustmentSettings& settings);

// The adjustment settings describe, or nullptr when it is not drawn (a noise gradient map, a
// colour lookup of a profile or of a table that cannot be read). gray as above (the values of
// each pixel all alike).
std::unique_ptr<Adjustment> MakeAdjustment(const AdjustmentSettings& settings, bool gray);

// The adjustment of layer index, or nullptr when the layer holds none that the renderer draws.
// Raises as ReadAdjustmentSettings.
std::unique_ptr<Adjustment> ReadLayerAdjustment(graphic::ImageLoaderPSD& loader, int32_t index,
                                                bool gray);

}  // namespace render
}  // namespace sdk
