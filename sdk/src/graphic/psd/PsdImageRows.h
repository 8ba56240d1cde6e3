// One image of a PSD document (its merged image or a layer) as a source of rows: every channel
// is read and decoded row by row from the file, the rows are made 8-bit, placed into the bytes
// of the pixel layout and, for CMYK and Lab, turned into RGB. Only a few rows of each channel
// are ever held, whatever the image's height.
//
// The pixels are those of decoding the channels one after another into one row buffer (the
// order the file keeps them in): a PackBits row that decodes short keeps, beyond its end, the
// row decoded before it in that order, and a damaged channel raises what that order meets first.
//
// A source may be opened at any row: it then gives the rows from that one on, the same bytes a
// source opened at row 0 gives for them (a short row at the first row takes the rest of its
// bytes from the rows before it, decoded for that), and, when the rows before hold no damage,
// the same errors at the same rows. Raw and PackBits data are read from the row's place on; ZIP
// data is inflated from its start, the rows before the first being dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphic/RowSource.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdChannelRows.h"
#include "graphic/psd/PsdFormat.h"
#include "graphic/psd/PsdInput.h"

namespace sdk {
namespace graphic {

class PsdImageRows : public RowSource {
public:
    // Checks the record before anything is sized by it, raising: "Image::Create:59" or ":60" for
    // an empty rectangle; "ImageLoaderPSD::LoadImage:305" when no channel holds pixels; for a
    // channel whose data the file does not hold ":310" (raw), ":320", ":330", ":335" (PackBits
    // counts or data), ":337" (ZIP); ":340" for rows wider than the decode takes. alpha: the
    // pixels get an alpha byte. merged: the record is the merged image, whose channels may lie
    // anywhere in the file (a layer's lie within their own lengths). sixteen: samples of 16
    // bits (see RowSource). firstRow: the row the first NextRow gives, 0 .. the record's height
    // (a logic error otherwise). format, input and record must outlive the source.
    PsdImageRows(const PsdFormat& format, PsdInput& input, const ImageLoaderPSD::info_t& record,
                 bool alpha, bool merged, bool sixteen = false, int32_t firstRow = 0);
    ~PsdImageRows() override;

    // Whether a source of record opens at any row as cheaply as at row 0: every channel it
    // decodes is raw or PackBits, and none is hidden by a later one (those are decoded whole at
    // every opening, for their damage).
    static bool OpensAtAnyRow(const PsdFormat& format, const ImageLoaderPSD::info_t& record,
                              bool alpha);

    int32_t Channels() const override { return channels_; }
    int32_t Width() const override { return width_; }
    // The image's height, whatever the first row (NextRow gives Height() - firstRow rows).
    int32_t Height() const override { return height_; }
    int32_t SampleBytes() const override { return sixteen_ ? 2 : 1; }
    const uint8_t* NextRow() override;

private:
    // Where one decoded channel's data lies, and its cursor and row (at the document's depth).
    struct Channel {
        const ImageLoaderPSD::info_t::channel_t* record = nullptr;
        int64_t end = 0;  // where its bytes end in the file
        int64_t skipped = 0;  // PackBits: the data bytes of the rows before the first row
        std::unique_ptr<PsdChannelRows> rows;
        std::vector<uint8_t> stored;
        int32_t target = 0;  // the part of the pixel it writes (see TargetOf)
        bool shown = false;  // no later channel writes the same part
    };

    // Returns, for PackBits, the data bytes of the rows before the first row.
    int64_t CheckChannel(const ImageLoaderPSD::info_t::channel_t& channel, int64_t end) const;
    // A cursor of the channel's rows from row first on (skipped: see PsdChannelRows).
    std::unique_ptr<PsdChannelRows> Cursor(const Channel& channel, int32_t first,
                                           int64_t skipped) const;
    // The first row given: a short PackBits row of a shown channel takes the rest of its bytes
    // from what the rows before it left in the row buffer, the channel's own rows and, before
    // its first row, the channels before it (see DecodeInFileOrder). filled: what each shown
    // channel's row filled.
    void CompleteFirstRow(const std::vector<int64_t>& filled);
    // Decodes the channels before channel stop one after another through one row buffer, as a
    // whole image is decoded; reached(i, buffer) is told what the buffer holds as channel i
    // starts. Raises the first damage met in that order.
    void DecodeInFileOrder(size_t stop,
                           const std::function<void(size_t, const std::vector<uint8_t>&)>& reached);
    void StoreChannelRow(const Channel& channel, const uint8_t* source);
    // Every pixel byte from the stored row of its one channel, in one pass.
    void Interleave();
    // NextRow's end for 16-bit samples: each channel's row placed, the colour mode's conversion.
    const uint8_t* SixteenBitRow();
    void StoreChannelRow16(const Channel& channel, const uint16_t* source);

    const PsdFormat& format_;
    PsdInput& input_;
    const int32_t width_;
    const int32_t height_;
    const int32_t firstRow_;
    const int32_t channels_;
    const int64_t rowBytes_;  // of a stored row at the document's depth
    std::vector<Channel> decoded_;
    std::vector<uint8_t> eightBit_;  // one channel's row as 8-bit values
    std::vector<uint8_t> black_;     // the black row of a CMYK image
    std::vector<uint8_t> pixels_;    // the row handed out
    std::vector<uint8_t> ink_, color_;  // a CMYK row on its way through the transform
    const bool sixteen_;
    // The same for rows of 16-bit samples.
    std::vector<uint16_t> sixteenBit_, black16_, pixels16_, ink16_, color16_;
    // Each pixel byte's source, when one shown 8-bit channel writes every byte (else empty).
    std::vector<const uint8_t*> interleaved_;
    int32_t next_ = 0;
};

}  // namespace graphic
}  // namespace sdk
