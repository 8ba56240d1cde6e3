#include "render/AdjustRow.h"

#include <algorithm>

namespace sdk {
namespace render {

AdjustRow::AdjustRow(int32_t width)
    : columns_(static_cast<size_t>(width)), backdrop_(static_cast<size_t>(width) * 4),
      after_(static_cast<size_t>(width) * 3), levels_(static_cast<size_t>(width) * 3),
      entry_(static_cast<size_t>(width)), source_(static_cast<size_t>(width) * 4)
{
}

int32_t AdjustRow::Gather(const float* row, int32_t count)
{
    int32_t visible = 0;
    for (int32_t x = 0; x < count; ++x) {
        const float alpha = row[x * 4 + 3];
        if (!(alpha > 0.0f))
            continue;
        const float unpremultiply = 1.0f / alpha;
        float* straight = &backdrop_[static_cast<size_t>(visible) * 4];
        for (int i = 0; i < 3; ++i)
            straight[i] = std::min(std::max(row[x * 4 + i] * unpremultiply, 0.0f), 1.0f);
        straight[3] = 1.0f;
        columns_[static_cast<size_t>(visible++)] = x;
    }
    return visible;
}

void AdjustRow::Apply(const Adjustment& adjustment, BlendMode mode, const float* strength,
                      int32_t count, float* row)
{
    const int32_t visible = Gather(row, count);
    // Runs of one colour (flat paint) are adjusted once.
    uint8_t* levels = levels_.data();
    int32_t distinct = 0;
    for (int32_t i = 0; i < visible; ++i) {
        uint8_t level[3];
        for (int c = 0; c < 3; ++c)
            level[c] = static_cast<uint8_t>(backdrop_[static_cast<size_t>(i) * 4 + c] * 255.0f + 0.5f);
        const bool repeated = distinct > 0 && levels[distinct * 3 - 3] == level[0] &&
                              levels[distinct * 3 - 2] == level[1] &&
                              levels[distinct * 3 - 1] == level[2];
        if (!repeated) {
            std::copy(level, level + 3, levels + distinct * 3);
            ++distinct;
        }
        entry_[static_cast<size_t>(i)] = distinct - 1;
    }
    adjustment.Apply(levels, distinct);
    const float toUnit = 1.0f / 255.0f;
    for (int32_t i = 0; i < visible; ++i) {
        const uint8_t* level = levels + entry_[static_cast<size_t>(i)] * 3;
        for (int c = 0; c < 3; ++c)
            after_[static_cast<size_t>(i) * 3 + c] = level[c] * toUnit;
    }
    Mix(mode, strength, visible, row);
}

void AdjustRow::Blend(const float* target, BlendMode mode, const float* strength, int32_t count,
                      float* row)
{
    const int32_t visible = Gather(row, count);
    for (int32_t i = 0; i < visible; ++i) {
        const float* colour = target + columns_[static_cast<size_t>(i)] * 4;
        const float unpremultiply = colour[3] > 0.0f ? 1.0f / colour[3] : 0.0f;
        for (int c = 0; c < 3; ++c)
            after_[static_cast<size_t>(i) * 3 + c] =
                std::min(std::max(colour[c] * unpremultiply, 0.0f), 1.0f);
    }
    Mix(mode, strength, visible, row);
}

void AdjustRow::Mix(BlendMode mode, const float* strength, int32_t visible, float* row)
{
    const float* after = after_.data();
    float* backdrop = backdrop_.data();
    if (mode == BlendMode::Normal || mode == BlendMode::Dissolve ||
        mode == BlendMode::PassThrough) {
        for (int32_t i = 0; i < visible; ++i) {
            const int32_t x = columns_[static_cast<size_t>(i)];
            const float alpha = row[x * 4 + 3];
            const float s = strength ? strength[x] : 1.0f;
            for (int c = 0; c < 3; ++c) {
                const float before = backdrop[i * 4 + c];
                row[x * 4 + c] = (before + s * (after[i * 3 + c] - before)) * alpha;
            }
        }
        return;
    }
    // Any other mode: the new colour at the strength put onto C at full alpha gives
    // (1 - s) C + s B(C, f(C)), which alpha then scales.
    float* source = source_.data();
    for (int32_t i = 0; i < visible; ++i) {
        const float s = strength ? strength[columns_[static_cast<size_t>(i)]] : 1.0f;
        for (int c = 0; c < 3; ++c)
            source[i * 4 + c] = after[i * 3 + c] * s;
        source[i * 4 + 3] = s;
    }
    ComposeRow(mode, source, backdrop, visible);
    for (int32_t i = 0; i < visible; ++i) {
        const int32_t x = columns_[static_cast<size_t>(i)];
        const float alpha = row[x * 4 + 3];
        for (int c = 0; c < 3; ++c)
            row[x * 4 + c] = backdrop[i * 4 + c] * alpha;
    }
}

}  // namespace render
}  // namespace sdk
