// The rows of a layer's pixel mask, decoded as the rows of its image are.
#include "graphic/psd/ImageLoaderPSD.h"

#include <memory>
#include <utility>

#include "graphic/psd/PsdImageRows.h"
#include "graphic/psd/PsdInput.h"
#include "graphic/psd/PsdRecordFields.h"

namespace sdk {
namespace graphic {

namespace {

// The document's format as a mask's one gray channel is decoded by.
PsdFormat MaskFormat(const PsdFormat& document)
{
    PsdFormat format = document;
    format.colorMode = PsdFormat::kGrayscale;
    format.colorChannels = 1;
    format.outputColors = 1;
    return format;
}

// The rows of a layer's mask: one gray channel of the document's depth, decoded by a source
// that owns the record and format it reads by.
class MaskRows : public RowSource {
public:
    MaskRows(const PsdFormat& document, PsdInput& input, ImageLoaderPSD::info_t record,
             int32_t firstRow)
        : format_(MaskFormat(document)), record_(std::move(record))
    {
        rows_.reset(new PsdImageRows(format_, input, record_, false, false, false, firstRow));
    }
    int32_t Channels() const override { return rows_->Channels(); }
    int32_t Width() const override { return rows_->Width(); }
    int32_t Height() const override { return rows_->Height(); }
    const uint8_t* NextRow() override { return rows_->NextRow(); }

private:
    PsdFormat format_;
    ImageLoaderPSD::info_t record_;
    std::unique_ptr<PsdImageRows> rows_;
};

// The record of the layer's mask as one gray channel over the mask's rectangle, into record;
// false when the layer has no mask or its mask has no pixels.
bool MaskRecord(const ImageLoaderPSD::info_t& layer, const PsdFormat& format,
                ImageLoaderPSD::info_t& record)
{
    const PsdLayerMask& mask = layer.properties.mask;
    if (!mask.present || mask.width <= 0 || mask.height <= 0)
        return false;
    const int16_t wanted = mask.real ? -3 : -2;
    for (const ImageLoaderPSD::info_t::channel_t& channel : layer.channels) {
        if (channel.storedId != wanted)
            continue;
        // The scan placed a PackBits channel's data after the layer's row counts; a mask has a
        // row count per row of its own rectangle.
        record.x = mask.x;
        record.y = mask.y;
        record.width = mask.width;
        record.height = mask.height;
        ImageLoaderPSD::info_t::channel_t gray = channel;
        gray.id = 0;
        if (gray.compression == kRle)
            gray.dataOffset = Saturated(static_cast<int64_t>(gray.countsOffset) +
                                        static_cast<int64_t>(mask.height) * format.RowCountSize());
        record.channels.push_back(gray);
        return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<RowSource> ImageLoaderPSD::LayerMaskRows(int32_t index, int32_t firstRow)
{
    info_t record;
    if (!MaskRecord(LayerRecord(index), format, record))
        return nullptr;
    return std::unique_ptr<RowSource>(new MaskRows(format, *input, std::move(record), firstRow));
}

bool ImageLoaderPSD::MaskOpensAtAnyRow(int32_t index) const
{
    info_t record;
    return !MaskRecord(LayerRecord(index), format, record) ||
           PsdImageRows::OpensAtAnyRow(MaskFormat(format), record, false);
}

}  // namespace graphic
}  // namespace sdk
