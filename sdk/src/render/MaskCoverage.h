// How much of a layer or group its masks let through: its pixel mask (the value of the mask's
// default colour outside the mask's rectangle, feathered and scaled by the mask's density)
// times its vector mask (feathered and scaled by its own density), for the columns of a window
// of the document, row by row.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "render/FeatheredRows.h"
#include "render/OnDemandRows.h"
#include "render/VectorMaskRows.h"

namespace sdk {
namespace render {

class MaskCoverage {
public:
    // The masks of layer record index over the columns left .. left + width - 1. vectorMask:
    // whether the vector mask applies (the pixels of shape and fill layers have it already).
    // firstRow: the document row the drawing starts from (see OnDemandRows::StartOf).
    MaskCoverage(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left, int32_t width,
                 bool vectorMask, int32_t firstRow = 0);
    ~MaskCoverage();

    // Whether any mask applies at all.
    bool Any() const { return pixelMask_ || vectorMask_; }
    // Whether a row needs rows above it: a feathered mask, whose blur reaches across rows.
    bool KeepsRows() const { return featheredPixels_ || featheredVector_; }
    // Whether the pixel mask it decodes, if any, opens at any row as cheaply as at its first.
    bool OpensAtAnyRow(const graphic::ImageLoaderPSD& loader) const;
    // Multiplies coverage (a float per column of the window) by the masks' values on document
    // row y, over the window's columns from .. to - 1. Rows are asked top to bottom; one row
    // may be asked for several runs of columns.
    void Apply(int32_t y, float* coverage, int32_t from, int32_t to);

private:
    // Decodes the masks' row y, once.
    void Load(int32_t y);
    // The pixel mask's values (0 .. 1) of row y over count columns from the document's column
    // first.
    void PixelMaskRow(int32_t y, int64_t first, int32_t count, float* values);

    const int32_t index_;
    const int32_t left_;
    const int32_t width_;
    bool pixelMask_ = false;
    graphic::PsdLayerMask mask_;
    OnDemandRows maskRows_;
    const uint8_t* maskValues_ = nullptr;  // the pixel mask's row y, when it has one
    std::unique_ptr<VectorMaskRows> vectorMask_;
    std::vector<float> vectorRow_;
    // The masks blurred, when they are feathered.
    std::unique_ptr<FeatheredRows> featheredPixels_;
    std::unique_ptr<FeatheredRows> featheredVector_;
    const float* featheredPixelRow_ = nullptr;
    const float* featheredVectorRow_ = nullptr;
    bool loaded_ = false;
    int32_t loadedRow_ = 0;
};

}  // namespace render
}  // namespace sdk
