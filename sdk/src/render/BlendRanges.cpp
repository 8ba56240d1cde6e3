#include "render/BlendRanges.h"

#include <algorithm>

namespace sdk {
namespace render {

namespace {

bool AnyLimited(const std::vector<graphic::PsdBlendRange>& ranges)
{
    for (const graphic::PsdBlendRange& range : ranges) {
        if (!range.IsFull())
            return true;
    }
    return false;
}

// How much of a value (0 .. 255) a range lets through.
float Weight(const graphic::PsdBlendRange& range, float value)
{
    if (range.IsFull())
        return 1.0f;
    if (value < range.black[0] || value > range.white[1])
        return 0.0f;
    if (value < range.black[1])
        return (value - range.black[0]) / static_cast<float>(range.black[1] - range.black[0]);
    if (value > range.white[0])
        return (range.white[1] - value) / static_cast<float>(range.white[1] - range.white[0]);
    return 1.0f;
}

// The weight of a pixel (premultiplied) under the gray range and those of its channels.
float PixelWeight(const std::vector<graphic::PsdBlendRange>& ranges, const float* pixel)
{
    if (pixel[3] <= 0.0f)
        return 1.0f;
    const float scale = 255.0f / pixel[3];
    const float red = pixel[0] * scale;
    const float green = pixel[1] * scale;
    const float blue = pixel[2] * scale;
    const float values[4] = {0.3f * red + 0.59f * green + 0.11f * blue, red, green, blue};
    float weight = 1.0f;
    const size_t count = std::min<size_t>(ranges.size(), 4);
    for (size_t i = 0; i < count; ++i)
        weight *= Weight(ranges[i], values[i]);
    return weight;
}

}  // namespace

bool HasBlendRanges(const graphic::PsdLayerProperties& properties)
{
    return AnyLimited(properties.sourceRanges) || AnyLimited(properties.destinationRanges);
}

void ApplyBlendRanges(const graphic::PsdLayerProperties& properties, float* source,
                      const float* backdrop, int32_t from, int32_t to)
{
    const bool ownValues = AnyLimited(properties.sourceRanges);
    const bool belowValues = AnyLimited(properties.destinationRanges);
    for (int32_t x = from; x < to; ++x) {
        float* pixel = source + x * 4;
        float weight = 1.0f;
        if (ownValues)
            weight *= PixelWeight(properties.sourceRanges, pixel);
        if (belowValues)
            weight *= PixelWeight(properties.destinationRanges, backdrop + x * 4);
        for (int i = 0; i < 4; ++i)
            pixel[i] *= weight;
    }
}

}  // namespace render
}  // namespace sdk
