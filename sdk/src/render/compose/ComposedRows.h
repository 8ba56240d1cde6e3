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
    // The composition from document row firstRow on (0 .. the document's height; a logic error
    // otherwise): the first NextRow gives row firstRow, and every row is bit for bit the one the
    // composition from the top gives. When the plan draws row by row (DrawsRowByRow), each layer
    // and mask is opened at the first of its rows the composition meets; otherwise the rows above
    // firstRow are composed and dropped (see ComposesFromAnyRow). Raises as the constructor above.
    ComposedRows(graphic::ImageLoaderPSD& loader, int32_t firstRow);
    ~ComposedRows() override;

    int32_t Channels() const override { return channels_; }
    int32_t Width() const override { return width_; }
    // The document's height, whatever the first row (NextRow gives Height() - firstRow rows).
    int32_t Height() const override { return height_; }
    // 2 when the loader draws with 16-bit samples (ImageLoaderPSD::SetSixteenBitDrawing).
    int32_t SampleBytes() const override { return sampleBytes_; }
    const uint8_t* NextRow() override;

private:
    const int32_t width_;
    const int32_t height_;
    const int32_t firstRow_;
    const int32_t channels_;
    std::vector<PlanNode> plan_;
    const int32_t sampleBytes_;
    Compositor compositor_;
    std::vector<float> row_;
    std::vector<uint8_t> pixels_;
    int32_t next_ = 0;
};

// Whether the document composes from any row as cheaply as from the top: its plan draws row by
// row and every layer and mask it decodes opens at any row cheaply (no ZIP-compressed channel).
// Plans the composition, raising what ComposedRows raises.
bool ComposesFromAnyRow(graphic::ImageLoaderPSD& loader);

// Writes premultiplied RGBA floats as straight pixels of channels samples (2: A G, 4: A B G R)
// of sampleBytes bytes (1, or 2 for 16 bits in the machine's byte order).
void StoreStraightRow(const float* premultiplied, int32_t count, int32_t channels, uint8_t* out,
                      int32_t sampleBytes = 1);

}  // namespace render
}  // namespace sdk
