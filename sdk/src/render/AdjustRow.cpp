#include "render/AdjustRow.h"

#include <algorithm>

namespace sdk {
namespace render {

AdjustRow::AdjustRow(int32_t width)
    : after_(static_cast<size_t>(width) * 3), levels_(static_cast<size_t>(width) * 3),
      source_(static_cast<size_t>(width) * 4),
      backdrop_(static_cast<size_t>(width) * 4)
{
}

void AdjustRow::Apply(const Adjustment& adjustment, BlendMode mode, const float* strength,
                      int32_t count, float* row)
{
    uint8_t* levels = levels_.data();
    float* backdrop = backdrop_.data();
    for (int32_t x = 0; x < count; ++x) {
        const float alpha = row[x * 4 + 3];
        const float unpremultiply = alpha > 0.0f ? 1.0f / alpha : 0.0f;
        for (int i = 0; i < 3; ++i) {
            const float straight = std::min(std::max(row[x * 4 + i] * unpremultiply, 0.0f), 1.0f);
            backdrop[x * 4 + i] = straight;
            levels[x * 3 + i] = static_cast<uint8_t>(straight * 255.0f + 0.5f);
        }
        backdrop[x * 4 + 3] = 1.0f;
    }
    adjustment.Apply(levels, count);
    const float toUnit = 1.0f / 255.0f;
    for (int32_t i = 0; i < count * 3; ++i)
        after_[static_cast<size_t>(i)] = levels[i] * toUnit;
    Mix(mode, strength, count, row);
}

void AdjustRow::Blend(const float* target, BlendMode mode, const float* strength, int32_t count,
                      float* row)
{
    float* backdrop = backdrop_.data();
    for (int32_t x = 0; x < count; ++x) {
        const float alpha = row[x * 4 + 3];
        const float unpremultiply = alpha > 0.0f ? 1.0f / alpha : 0.0f;
        const float targetAlpha = target[x * 4 + 3];
        const float targetUnpremultiply = targetAlpha > 0.0f ? 1.0f / targetAlpha : 0.0f;
        for (int i = 0; i < 3; ++i) {
            backdrop[x * 4 + i] = std::min(std::max(row[x * 4 + i] * unpremultiply, 0.0f), 1.0f);
            after_[static_cast<size_t>(x) * 3 + i] =
                std::min(std::max(target[x * 4 + i] * targetUnpremultiply, 0.0f), 1.0f);
        }
        backdrop[x * 4 + 3] = 1.0f;
    }
    Mix(mode, strength, count, row);
}

void AdjustRow::Mix(BlendMode mode, const float* strength, int32_t count, float* row)
{
    const float* after = after_.data();
    float* backdrop = backdrop_.data();
    if (mode == BlendMode::Normal || mode == BlendMode::Dissolve ||
        mode == BlendMode::PassThrough) {
        for (int32_t x = 0; x < count; ++x) {
            const float alpha = row[x * 4 + 3];
            const float s = strength ? strength[x] : 1.0f;
            for (int i = 0; i < 3; ++i) {
                const float before = backdrop[x * 4 + i];
                row[x * 4 + i] = (before + s * (after[x * 3 + i] - before)) * alpha;
            }
        }
        return;
    }
    // Any other mode: the new colour at the strength put onto C at full alpha gives
    // (1 - s) C + s B(C, f(C)), which alpha then scales.
    float* source = source_.data();
    for (int32_t x = 0; x < count; ++x) {
        const float s = strength ? strength[x] : 1.0f;
        for (int i = 0; i < 3; ++i)
            source[x * 4 + i] = after[x * 3 + i] * s;
        source[x * 4 + 3] = s;
    }
    ComposeRow(mode, source, backdrop, count);
    for (int32_t x = 0; x < count; ++x) {
        const float alpha = row[x * 4 + 3];
        for (int i = 0; i < 3; ++i)
            row[x * 4 + i] = backdrop[x * 4 + i] * alpha;
    }
}

}  // namespace render
}  // namespace sdk
