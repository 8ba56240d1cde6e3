#include "conversion/psd/ImageBands.h"

#include <algorithm>

#include "conversion/Option.h"
#include "graphic/psd/PsdSamples.h"

using sdk::graphic::PngBandEncoder;
using sdk::graphic::PngBand;

int32_t BandHeight(size_t rowBytes)
{
    const size_t rows = option.bandBytes / (rowBytes + 1);
    return static_cast<int32_t>(std::max<size_t>(1, std::min<size_t>(rows, INT32_MAX)));
}

BandedPng::BandedPng(StagedOutput& output, sdk::graphic::ImageSaverPNG& saver,
                     MakePicture makePicture, bool eightBit)
    : output_(output), saver_(saver), makePicture_(std::move(makePicture)), eightBit_(eightBit)
{
}

void BandedPng::Begin(int32_t channels, int32_t width, int32_t height,
                      const sdk::graphic::ImageInfo& info)
{
    output_.Run([&] {
        if (makePicture_) {
            const std::unique_ptr<LayerPicture> picture = makePicture_();
            saver_.BeginBands(picture->Channels(), picture->Width(), picture->Height(),
                              picture->Info());
            rowsAsTheyAre_ = picture->LayerAsItIs();
        } else {
            saver_.BeginBands(channels, width, height, info);
        }
        layout_ = saver_.DataLayout();
        begun_ = true;
    });
}

int32_t BandedPng::LookBack() const
{
    return begun_ ? PngBandEncoder::ContextRows(layout_) : 0;
}

bool BandedPng::SameDataAs(const BandedPng& other, bool sixteenBitRows) const
{
    return begun_ && other.begun_ && layout_ == other.layout_ && rowsAsTheyAre_ &&
           other.rowsAsTheyAre_ && (!sixteenBitRows || eightBit_ == other.eightBit_);
}

void BandedPng::Join(size_t band, std::unique_ptr<PngBand> piece, std::exception_ptr failure)
{
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_[band] = std::make_pair(std::move(piece), failure);
    for (auto next = waiting_.find(nextBand_); next != waiting_.end();
         next = waiting_.find(nextBand_)) {
        output_.Run([&] {
            if (next->second.second)
                std::rethrow_exception(next->second.second);
            if (next->second.first)
                saver_.WriteBand(*next->second.first);
        });
        waiting_.erase(next);
        ++nextBand_;
    }
}

void BandedPng::End()
{
    output_.Run([&] { saver_.End(); });
}

int32_t LookBackOf(const std::vector<BandedPng*>& pngs)
{
    int32_t most = 0;
    for (const BandedPng* png : pngs)
        most = std::max(most, png->LookBack());
    return most;
}

// One band's piece of one datastream: the picture rows the band's image rows make, the ones
// above its first that it looks back on given to the encoder as such.
class BandPiece {
public:
    BandPiece(BandedPng& png, size_t band, int32_t from, int32_t bandStart)
        : png_(png), band_(band)
    {
        if (!png.begun_)
            return;  // the datastream failed before its image data: it takes nothing more
        try {
            if (png.makePicture_) {
                picture_ = png.makePicture_();
                picture_->SkipTo(from);
                emitted_ = picture_->RowsBefore(from);
                start_ = bandStart == 0 ? 0 : picture_->RowsBefore(bandStart);
            } else {
                emitted_ = from;
                start_ = bandStart;
            }
            if (start_ >= png.layout_.height)
                return;  // the picture ended in an earlier band: nothing of it is left
            lookFrom_ = start_ - std::min(start_, PngBandEncoder::ContextRows(png.layout_));
            shows_ = true;
        } catch (...) {
            failure_ = std::current_exception();
        }
    }

    void Add(const uint8_t* row)
    {
        if (!shows_ || failure_)
            return;
        try {
            if (picture_)
                picture_->Add(row, emit_);
            else
                Emit(row);
        } catch (...) {
            failure_ = std::current_exception();
        }
    }

    // The band's rows are in; lastBand: the image's last band, after which the picture ends.
    // Joins the piece to its datastream and to those of twins, which have the same data.
    void Finish(bool lastBand, const std::vector<BandedPng*>& twins)
    {
        std::unique_ptr<PngBand> piece;
        if (shows_ && !failure_) {
            try {
                if (lastBand && picture_)
                    picture_->Finish(emit_);
                if (rows_ > 0)
                    piece.reset(new PngBand(encoder_->Finish()));
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
        for (BandedPng* twin : twins)
            twin->Join(band_, piece ? std::unique_ptr<PngBand>(new PngBand(*piece)) : nullptr,
                       failure_);
        png_.Join(band_, std::move(piece), failure_);
    }

private:
    void Emit(const uint8_t* row)
    {
        const int32_t index = emitted_++;
        if (index < lookFrom_)
            return;
        // Made with the first row it takes: a band that shows no row of the picture (a layer
        // below the canvas, say) makes no deflate.
        if (!encoder_)
            encoder_.reset(new PngBandEncoder(png_.layout_, start_));
        if (index < start_) {
            encoder_->Context(row);
        } else {
            encoder_->Row(row);
            ++rows_;
        }
    }

    BandedPng& png_;
    const size_t band_;
    std::unique_ptr<LayerPicture> picture_;
    bool shows_ = false;  // the band may show rows of the picture
    std::unique_ptr<PngBandEncoder> encoder_;
    int32_t emitted_ = 0;   // picture rows before the next one emitted
    int32_t start_ = 0;     // the band's first picture row
    int32_t lookFrom_ = 0;  // the first row it looks back on
    int32_t rows_ = 0;      // its own rows given to the encoder
    std::exception_ptr failure_;
    const LayerPicture::Emit emit_ = [this](const uint8_t* row) { Emit(row); };
};

const uint8_t* EightBitRow(const uint8_t* row, size_t samples, std::vector<uint8_t>& buffer)
{
    buffer.resize(samples);
    const uint16_t* wide = reinterpret_cast<const uint16_t*>(row);
    for (size_t i = 0; i < samples; ++i)
        buffer[i] = sdk::graphic::EightBitFrom16(wide[i]);
    return buffer.data();
}

void RunImageBands(OrderedWork& work, BandRows& rows, const std::vector<BandedPng*>& pngs,
                   const BandRowSteps& steps)
{
    const int32_t height = rows.Height();
    const int32_t bandHeight = BandHeight(rows.RowBytes());
    const size_t bands = static_cast<size_t>((static_cast<int64_t>(height) + bandHeight - 1) /
                                             bandHeight);
    const int32_t lookBack = LookBackOf(pngs);
    const size_t samples = static_cast<size_t>(rows.Width()) * static_cast<size_t>(rows.Channels());
    // Datastreams of the same data (a layer's PNG and its MNG frame, often) share their
    // compression: makers holds those that compress, twins[i] those that take makers[i]'s.
    std::vector<BandedPng*> makers;
    std::vector<std::vector<BandedPng*>> twins;
    for (BandedPng* png : pngs) {
        size_t maker = 0;
        while (maker < makers.size() && !makers[maker]->SameDataAs(*png, steps.sixteenBitRows))
            ++maker;
        if (maker < makers.size()) {
            twins[maker].push_back(png);
        } else {
            makers.push_back(png);
            twins.emplace_back();
        }
    }
    // Bands done beyond the first unfinished one hold their compressed pieces until it is done.
    const size_t ahead = 2 * (work.Threads() + 1);
    work.Spread(bands, ahead, [&](size_t band) {
        const int32_t start = static_cast<int32_t>(band * static_cast<size_t>(bandHeight));
        const int32_t end = static_cast<int32_t>(std::min<int64_t>(height, int64_t{start} + bandHeight));
        const int32_t from = std::max(0, start - lookBack);
        std::vector<std::unique_ptr<BandPiece>> pieces;
        for (BandedPng* png : makers)
            pieces.emplace_back(new BandPiece(*png, band, from, start));
        BandScratch scratch;
        std::vector<uint8_t> eightBit;
        rows.Read(
            band, from, end,
            [&](int32_t y, const uint8_t* row) {
                if (steps.common)
                    row = steps.common(y, row, scratch);
                const uint8_t* narrow = nullptr;
                for (size_t i = 0; i < pieces.size(); ++i) {
                    if (makers[i]->EightBit() && steps.sixteenBitRows) {
                        if (!narrow)
                            narrow = EightBitRow(row, samples, eightBit);
                        pieces[i]->Add(narrow);
                    } else {
                        pieces[i]->Add(row);
                    }
                }
            },
            [&] { return work.Stopping(); });
        if (work.Stopping())
            throw OrderedWork::Stopped();  // the band may be cut short
        for (size_t i = 0; i < pieces.size(); ++i)
            pieces[i]->Finish(band + 1 == bands, twins[i]);
    });
    for (BandedPng* png : pngs)
        png->End();
}
