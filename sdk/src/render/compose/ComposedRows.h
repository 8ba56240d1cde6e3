// The document as its layers compose it, as a source of rows: gray or colour with straight
// alpha (G A or A B G R), the document's size. Adjustment layers and layer effects are not
// drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "render/compose/Compositor.h"
#include "render/compose/RenderPlan.h"

namespace sdk {
namespace render {

class ComposedRows : public graphic::RowSource {
public:
    // Plans the composition: raises what the loader's LayerTree raises; "Image::Create:59" or
    // ":60" for an empty document and
    // "ImageLoaderPSD::LoadImage:340" for rows wider than the decode takes. The loader must
    // outlive the source.
    explicit ComposedRows(graphic::ImageLoaderPSD& loader);
    ~ComposedRows() override;

    int32_t Channels() const override { return channels_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    // 2 when the loader draws with 16-bit samples (ImageLoaderPSD::SetSixteenBitDrawing).
    int32_t SampleBytes() const override { return sampleBytes_; }
    const uint8_t* NextRow() override;

private:
    const int32_t width_;
    const int32_t height_;
    const int32_t channels_;
    std::vector<PlanNode> plan_;
    const int32_t sampleBytes_;
    Compositor compositor_;
    std::vector<float> row_;
    std::vector<uint8_t> pixels_;
    int32_t next_ = 0;
};

// Writes premultiplied RGBA floats as straight pixels of channels samples (2: A G, 4: A B G R)
// of sampleBytes bytes (1, or 2 for 16 bits in the machine's byte order).
void StoreStraightRow(const float* premultiplied, int32_t count, int32_t channels, uint8_t* out,
                      int32_t sampleBytes = 1);

}  // namespace render
}  // namespace sdk
