#include "render/adjust/LayerAdjustment.h"

#include <cstring>
#include <vector>

#include "render/adjust/Invert.h"
#include "render/adjust/Posterize.h"
#include "render/adjust/Threshold.h"

namespace sdk {
namespace render {

namespace {

struct KindName {
    const char* key;
    const char* name;
    AdjustmentKind kind;
};

const KindName kKinds[] = {
    {"levl", "levels", AdjustmentKind::Levels},
    {"curv", "curves", AdjustmentKind::Curves},
    {"brit", "brightness/contrast", AdjustmentKind::BrightnessContrast},
    {"hue2", "hue/saturation", AdjustmentKind::HueSaturation},
    {"hue ", "hue/saturation", AdjustmentKind::HueSaturation},
    {"blnc", "color balance", AdjustmentKind::ColorBalance},
    {"selc", "selective color", AdjustmentKind::SelectiveColor},
    {"mixr", "channel mixer", AdjustmentKind::ChannelMixer},
    {"phfl", "photo filter", AdjustmentKind::PhotoFilter},
    {"grdm", "gradient map", AdjustmentKind::GradientMap},
    {"expA", "exposure", AdjustmentKind::Exposure},
    {"vibA", "vibrance", AdjustmentKind::Vibrance},
    {"blwh", "black & white", AdjustmentKind::BlackWhite},
    {"post", "posterize", AdjustmentKind::Posterize},
    {"thrs", "threshold", AdjustmentKind::Threshold},
    {"nvrt", "invert", AdjustmentKind::Invert},
    {"clrL", "color lookup", AdjustmentKind::ColorLookup},
};

// The kind of the layer's adjustment block, or nullptr.
const KindName* AdjustmentBlock(const graphic::ImageLoaderPSD& loader, int32_t index)
{
    for (const graphic::PsdBlockPlace& place : loader.LayerRecord(index).properties.drawingBlocks) {
        for (const KindName& kind : kKinds) {
            if (memcmp(place.key, kind.key, 4) == 0)
                return &kind;
        }
    }
    return nullptr;
}

}  // namespace

std::string AdjustmentKindOf(const graphic::ImageLoaderPSD& loader, int32_t index)
{
    const KindName* kind = AdjustmentBlock(loader, index);
    return kind ? kind->name : std::string();
}

bool ReadAdjustmentSettings(graphic::ImageLoaderPSD& loader, int32_t index, bool gray,
                            AdjustmentSettings& settings)
{
    const KindName* kind = AdjustmentBlock(loader, index);
    if (!kind)
        return false;
    std::vector<uint8_t> block;
    loader.LayerBlock(index, kind->key, block);
    settings.kind = kind->kind;
    switch (kind->kind) {
        case AdjustmentKind::Levels:
            settings.levels = ReadLevelsSettings(block);
            break;
        case AdjustmentKind::Curves:
            settings.curves = ReadCurvesSettings(block);
            break;
        case AdjustmentKind::BrightnessContrast: {
            std::vector<uint8_t> cgEd;
            loader.LayerBlock(index, "CgEd", cgEd);
            settings.brightnessContrast = ReadBrightnessContrastSettings(block, cgEd);
            break;
        }
        case AdjustmentKind::HueSaturation:
            settings.hueSaturation =
                ReadHueSaturationSettings(block, strcmp(kind->key, "hue ") == 0);
            break;
        case AdjustmentKind::ColorBalance:
            settings.colorBalance = ReadColorBalanceSettings(block);
            break;
        case AdjustmentKind::SelectiveColor:
            settings.selectiveColor = ReadSelectiveColorSettings(block);
            break;
        case AdjustmentKind::ChannelMixer:
            settings.channelMixer = ReadChannelMixerSettings(block, gray);
            break;
        case AdjustmentKind::PhotoFilter:
            settings.photoFilter = ReadPhotoFilterSettings(block);
            break;
        case AdjustmentKind::GradientMap:
            settings.gradientMap = ReadGradientMapSettings(block);
            break;
        case AdjustmentKind::Exposure:
            settings.exposure = ReadExposureSettings(block);
            break;
        case AdjustmentKind::Vibrance:
            settings.vibrance = ReadVibranceSettings(block);
            break;
        case AdjustmentKind::BlackWhite:
            settings.blackWhite = ReadBlackWhiteSettings(block);
            break;
        case AdjustmentKind::Posterize:
            settings.posterizeLevels = ReadPosterizeLevels(block);
            break;
        case AdjustmentKind::Threshold:
            settings.thresholdLevel = ReadThresholdLevel(block);
            break;
        case AdjustmentKind::Invert:
            break;
        case AdjustmentKind::ColorLookup:
            settings.colorLookup = ReadColorLookupSettings(block);
            break;
    }
    return true;
}

std::unique_ptr<Adjustment> MakeAdjustment(const AdjustmentSettings& settings, bool gray)
{
    auto same = [](const ChannelTable& table) {
        return std::unique_ptr<Adjustment>(new TableAdjustment(SameTables(table)));
    };
    switch (settings.kind) {
        case AdjustmentKind::Levels:
            return MakeLevels(settings.levels, gray);
        case AdjustmentKind::Curves:
            return MakeCurves(settings.curves, gray);
        case AdjustmentKind::BrightnessContrast:
            return MakeBrightnessContrast(settings.brightnessContrast);
        case AdjustmentKind::HueSaturation:
            return std::unique_ptr<Adjustment>(new HueSaturation(settings.hueSaturation));
        case AdjustmentKind::ColorBalance:
            return std::unique_ptr<Adjustment>(new ColorBalance(settings.colorBalance));
        case AdjustmentKind::SelectiveColor:
            return std::unique_ptr<Adjustment>(new SelectiveColor(settings.selectiveColor));
        case AdjustmentKind::ChannelMixer:
            return std::unique_ptr<Adjustment>(new ChannelMixer(settings.channelMixer));
        case AdjustmentKind::PhotoFilter:
            return std::unique_ptr<Adjustment>(new PhotoFilter(settings.photoFilter));
        case AdjustmentKind::GradientMap:
            return MakeGradientMap(settings.gradientMap, gray);
        case AdjustmentKind::Exposure:
            return same(ExposureTable(settings.exposure, gray));
        case AdjustmentKind::Vibrance:
            return std::unique_ptr<Adjustment>(
                new Vibrance(settings.vibrance.vibrance, settings.vibrance.saturation));
        case AdjustmentKind::BlackWhite:
            return std::unique_ptr<Adjustment>(new BlackWhite(settings.blackWhite));
        case AdjustmentKind::Posterize:
            return same(PosterizeTable(settings.posterizeLevels));
        case AdjustmentKind::Threshold:
            return std::unique_ptr<Adjustment>(new Threshold(settings.thresholdLevel));
        case AdjustmentKind::Invert:
            return MakeInvert();
        case AdjustmentKind::ColorLookup:
            return MakeColorLookup(settings.colorLookup);
    }
    return nullptr;
}

std::unique_ptr<Adjustment> ReadLayerAdjustment(graphic::ImageLoaderPSD& loader, int32_t index,
                                                bool gray)
{
    AdjustmentSettings settings;
    if (!ReadAdjustmentSettings(loader, index, gray, settings))
        return nullptr;
    return MakeAdjustment(settings, gray);
}

}  // namespace render
}  // namespace sdk
