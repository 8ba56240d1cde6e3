// A layer's coverage (its pixels' alpha times its masks) as rows for an effect, read through a
// decoder of its own so that an effect can look ahead of the row being composed: over any span
// of the document's columns, zero where the layer has nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/psd/ImageLoaderPSD.h"
#include "render/LayerLook.h"
#include "render/PatternTile.h"
#include "render/effects/CoverageRows.h"

namespace sdk {
namespace render {

class LayerCoverageRows : public CoverageRows {
public:
    // The coverage of layer index over the document's columns left .. left + width - 1.
    LayerCoverageRows(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left, int32_t width,
                      PatternTiles& tiles);
    const float* Row(int64_t y) override;
    int32_t Width() const override { return width_; }
    int32_t Left() const override { return left_; }

private:
    const int32_t left_;
    const int32_t width_;
    LayerLook look_;
    std::vector<float> row_;
    std::vector<float> content_;
    int64_t last_ = INT64_MIN;
};

}  // namespace render
}  // namespace sdk
