#include "render/adjust/LayerAdjustment.h"

#include <cstring>
#include <vector>

#include "render/adjust/BlackWhite.h"
#include "render/adjust/BrightnessContrast.h"
#include "render/adjust/ChannelMixer.h"
#include "render/adjust/ColorBalance.h"
#include "render/adjust/ColorLookup.h"
#include "render/adjust/Curves.h"
#include "render/adjust/Exposure.h"
#include "render/adjust/GradientMap.h"
#include "render/adjust/HueSaturation.h"
#include "render/adjust/Invert.h"
#include "render/adjust/Levels.h"
#include "render/adjust/PhotoFilter.h"
#include "render/adjust/Posterize.h"
#include "render/adjust/SelectiveColor.h"
#include "render/adjust/Threshold.h"
#include "render/adjust/Vibrance.h"

namespace sdk {
namespace render {

namespace {

struct KindName {
    const char* key;
    const char* name;
};

const KindName kKinds[] = {
    {"levl", "levels"},           {"curv", "curves"},
    {"brit", "brightness/contrast"}, {"hue2", "hue/saturation"},
    {"hue ", "hue/saturation"},   {"blnc", "color balance"},
    {"selc", "selective color"},  {"mixr", "channel mixer"},
    {"phfl", "photo filter"},     {"grdm", "gradient map"},
    {"expA", "exposure"},         {"vibA", "vibrance"},
    {"blwh", "black & white"},    {"post", "posterize"},
    {"thrs", "threshold"},        {"nvrt", "invert"},
    {"clrL", "color lookup"},
};

// The key of the layer's adjustment block, or nullptr.
const char* AdjustmentKey(const graphic::ImageLoaderPSD& loader, int32_t index)
{
    for (const graphic::PsdBlockPlace& place : loader.LayerRecord(index).properties.drawingBlocks) {
        for (const KindName& kind : kKinds) {
            if (memcmp(place.key, kind.key, 4) == 0)
                return kind.key;
        }
    }
    return nullptr;
}

}  // namespace

std::string AdjustmentKindOf(const graphic::ImageLoaderPSD& loader, int32_t index)
{
    const char* key = AdjustmentKey(loader, index);
    for (const KindName& kind : kKinds) {
        if (key && strcmp(kind.key, key) == 0)
            return kind.name;
    }
    return std::string();
}

std::unique_ptr<Adjustment> ReadLayerAdjustment(graphic::ImageLoaderPSD& loader, int32_t index,
                                                bool gray)
{
    const char* key = AdjustmentKey(loader, index);
    if (!key)
        return nullptr;
    std::vector<uint8_t> block;
    loader.LayerBlock(index, key, block);
    const std::string kind = key;
    if (kind == "levl")
        return ReadLevels(block, gray);
    if (kind == "curv")
        return ReadCurves(block, gray);
    if (kind == "brit") {
        std::vector<uint8_t> cgEd;
        loader.LayerBlock(index, "CgEd", cgEd);
        return ReadBrightnessContrast(block, cgEd);
    }
    if (kind == "expA")
        return ReadExposure(block, gray);
    if (kind == "post")
        return ReadPosterize(block);
    if (kind == "thrs")
        return ReadThreshold(block);
    if (kind == "hue2" || kind == "hue ")
        return ReadHueSaturation(block, kind == "hue ");
    if (kind == "nvrt")
        return MakeInvert();
    if (kind == "mixr")
        return ReadChannelMixer(block, gray);
    if (kind == "blnc")
        return ReadColorBalance(block);
    if (kind == "selc")
        return ReadSelectiveColor(block);
    if (kind == "phfl")
        return ReadPhotoFilter(block);
    if (kind == "vibA")
        return ReadVibrance(block);
    if (kind == "blwh")
        return ReadBlackWhite(block);
    if (kind == "clrL")
        return ReadColorLookup(block);
    if (kind == "grdm")
        return ReadGradientMap(block, gray);
    return nullptr;
}

}  // namespace render
}  // namespace sdk
