#include "conversion/psd/PsdConversion.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "conversion/psd/LayerPicture.h"
#include "conversion/Option.h"
#include "conversion/output/BandRows.h"
#include "conversion/psd/ImageBands.h"
#include "conversion/output/OrderedWork.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/psd/PsdDocument.h"
#include "conversion/psd/PsdLayerSelection.h"
#include "conversion/psd/PsdManifest.h"
#include "conversion/psd/PsdSmartObjects.h"
#include "conversion/psd/PsdToApng.h"
#include "conversion/psd/PsdToMng.h"
#include "conversion/psd/PsdToPng.h"
#include "conversion/psd/PsdToText.h"
#include "conversion/psd/PsdUndrawnNote.h"
#include "conversion/output/StagedOutput.h"
#include "debug/Error.h"
#include "files/Format.h"
#include "files/NativeText.h"
#include "files/Utf8Text.h"
#include "graphic/ImageOperations.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/png/ImageSaverPNG.h"
#include "render/compose/ComposedRows.h"
#include "render/compose/LayerAsShown.h"

using sdk::graphic::ImageInfo;
using sdk::graphic::ImageSaverPNG;
using sdk::graphic::RowSource;

namespace {

// The bytes an output keeps in memory before a temporary file takes them. Layer PNGs wait until
// every layer is decoded, so each keeps little; a frame waits only until the frames before it
// are in its animation.
const uint32_t kMergedPngMemory = 64 * 1024;
const uint32_t kLayerPngMemory = 16 * 1024;
const uint32_t kFrameMemory = 1024 * 1024;
// How many more layers may be done ahead of a merged image that is composed.
const size_t kComposeAhead = 8;

// One image decoded for the outputs: the merged image (the first job) or a layer.
struct ImageJob {
    const PsdLayer* layer = nullptr;  // null for the merged image
    std::unique_ptr<RowSource> rows;
    std::exception_ptr decodeError;       // the image cannot be decoded: the document fails
    std::unique_ptr<StagedOutput> png;    // its PNG, when one is asked for
    std::unique_ptr<StagedOutput> frame;  // its MNG frame, when made apart from the MNG
    std::unique_ptr<StagedOutput> apngFrame;  // its APNG frame, when made apart from the APNG
};

// One PNG datastream made from an image's rows as they come: each step runs through the staged
// output that takes its bytes, and the rows go through a picture that reshapes them when there is
// one.
class RowEncoding {
public:
    // Into a writer that other images share (the MNG's own).
    RowEncoding(StagedOutput& output, ImageSaverPNG& shared) : output_(output), saver_(shared) {}
    RowEncoding(StagedOutput& output, std::unique_ptr<ImageSaverPNG> saver,
                std::unique_ptr<LayerPicture> picture = nullptr)
        : output_(output), saver_(*saver), ownSaver_(std::move(saver)), picture_(std::move(picture))
    {
    }

    StagedOutput& Output() { return output_; }

    // Starts an image of the rows' layout and record, or of the picture's when there is one.
    void Begin(int32_t channels, int32_t width, int32_t height, const ImageInfo& info)
    {
        output_.Run([&] {
            if (picture_)
                saver_.Begin(picture_->Channels(), picture_->Width(), picture_->Height(),
                             picture_->Info());
            else
                saver_.Begin(channels, width, height, info);
        });
    }
    void Row(const uint8_t* row)
    {
        output_.Run([&] {
            if (picture_)
                picture_->Add(row, emit_);
            else
                saver_.WriteRow(row);
        });
    }
    void End()
    {
        output_.Run([&] {
            if (picture_)
                picture_->Finish(emit_);
            saver_.End();
        });
    }

private:
    StagedOutput& output_;
    ImageSaverPNG& saver_;
    std::unique_ptr<ImageSaverPNG> ownSaver_;
    std::unique_ptr<LayerPicture> picture_;
    const LayerPicture::Emit emit_ = [this](const uint8_t* row) { saver_.WriteRow(row); };
};

// A writer of a PNG datastream into stream with the usual compression settings, saying what
// its colours are when tag says something.
std::unique_ptr<ImageSaverPNG> PngSaver(sdk::stream::stream_out& stream,
                                        const sdk::graphic::PngColorTag& tag = {})
{
    std::unique_ptr<ImageSaverPNG> saver(new ImageSaverPNG(stream));
    ConfigurePngSaver(*saver);
    saver->colorTag = tag;
    return saver;
}

// A decoded row with its colours made what the document's outputs show, in buffer when they
// change.
const uint8_t* Colored(const PsdColor& color, const uint8_t* row, int32_t channels, int32_t width,
                       int32_t sampleBytes, std::vector<uint8_t>& buffer)
{
    if (!color.ConvertsRows())
        return row;
    buffer.resize(static_cast<size_t>(width) * channels * sampleBytes);
    color.Convert(row, buffer.data(), channels, width, sampleBytes);
    return buffer.data();
}

// Runs one step of a decode; false when it failed, the failure being kept in the job.
template <class Step>
bool Decoded(ImageJob& job, Step step)
{
    try {
        step();
        return true;
    } catch (...) {
        job.decodeError = std::current_exception();
        return false;
    }
}

class PsdOutputs {
public:
    // merged: the merged image's rows from its first row (none for reports and manifests
    // alone); mergedOpen: how they open at another row, when they may.
    PsdOutputs(ConvertContext& context, sdk::graphic::ImageLoader& loader,
               const PsdDocument& document, std::unique_ptr<RowSource> merged,
               BandRows::Open mergedOpen = nullptr)
        : context_(context),
          loader_(loader),
          document_(document),
          scratch_(ScratchBeside(document.base)),
          jobs_(1 + document.layers.size()),
          mergedOpen_(std::move(mergedOpen))
    {
        jobs_[0].rows = std::move(merged);
        for (size_t i = 0; i < document.layers.size(); ++i)
            jobs_[i + 1].layer = &document.layers[i];
    }

    // Decodes the images and writes the outputs in their order.
    void Write(int32_t layerCount);

private:
    void DecodeMerged(ImageJob& job, const OrderedWork& work);
    void DecodeLayer(size_t index, const OrderedWork& work);
    // The same with the image's rows in bands made on every worker (option.imageBands).
    void DecodeMergedInBands(ImageJob& job, OrderedWork& work);
    void DecodeLayerInBands(size_t index, OrderedWork& work);
    // The datastreams of a layer's outputs still wanted, made in bands, with their savers.
    struct BandedOutputs {
        std::vector<std::unique_ptr<sdk::graphic::ImageSaverPNG>> savers;
        std::vector<std::unique_ptr<BandedPng>> pngs;
        BandedPng* frame = nullptr;
        BandedPng* apngFrame = nullptr;
        BandedPng* png = nullptr;
        std::vector<BandedPng*> All() const;
    };
    // After a layer's outputs have taken its last row: each closed (a frame in its animation
    // ended), and a failed PNG marked so that the layer PNGs after it are spared.
    void CloseLayerOutputs(ImageJob& job, size_t index, bool frame, bool apngFrame, bool png);
    // A layer's rows as its outputs take them, from its first row; open is set when the rows
    // may be opened at any row.
    std::unique_ptr<RowSource> OpenLayer(const PsdLayer& layer, BandRows::Open& open);
    BandedOutputs LayerBandedOutputs(ImageJob& job, size_t index, int32_t channels,
                                     int32_t sampleBytes);
    // The encodings a layer's rows feed, when its outputs are still wanted.
    std::unique_ptr<RowEncoding> MngFrame(ImageJob& job);
    std::unique_ptr<RowEncoding> ApngFrame(ImageJob& job, int32_t channels);
    std::unique_ptr<RowEncoding> LayerPng(ImageJob& job, size_t index, int32_t channels,
                                          int32_t sampleBytes);

    ConvertContext& context_;
    sdk::graphic::ImageLoader& loader_;
    const PsdDocument& document_;
    const std::string scratch_;
    std::vector<ImageJob> jobs_;
    std::unique_ptr<PsdMng> mng_;
    std::unique_ptr<PsdApng> apng_;
    // Frames are made apart from their animation and joined to it in order when layers are
    // decoded on several threads; on one they go straight into it.
    bool framesApart_ = false;
    // Outputs that will never be written spare their encoding: an animation once it has failed,
    // the layer PNGs after the first that failed.
    std::atomic<bool> mngFailed_{false};
    std::atomic<bool> apngFailed_{false};
    std::atomic<size_t> firstFailedPng_{SIZE_MAX};
    // Whether the stored merged image, as its PNG was written, is opaque white throughout: what
    // a document saved without its composite stores.
    bool mergedBlank_ = false;
    const BandRows::Open mergedOpen_;
};

// Whether any layer of the document is visible by its own flag and has pixels.
bool HasVisiblePixels(sdk::graphic::ImageLoaderPSD& psd)
{
    for (int32_t i = 0; i < psd.LayerCount(); ++i) {
        const sdk::graphic::ImageLoaderPSD::info_t& record = psd.LayerRecord(i);
        if (record.properties.visible && record.width > 0 && record.height > 0)
            return true;
    }
    return false;
}

void PsdOutputs::Write(int32_t layerCount)
{
    if (option.psdToPngMerged)
        jobs_[0].png.reset(new StagedOutput(scratch_, kMergedPngMemory));
    const bool layers = !document_.layers.empty();
    if (document_.Frames() > 0)
        mng_.reset(new PsdMng(document_, scratch_));
    if (document_.ApngFrames() > 0)
        apng_.reset(new PsdApng(document_, scratch_));
    // Images made in bands take the threads even when there is only the merged image.
    const int32_t threads =
        (layers || option.imageBands) && option.layerEncoders >= 2 ? option.layerEncoders : 0;
    framesApart_ = threads >= 2;
    // Jobs done but not yet taken hold a frame each: a few more than the threads bound them.
    // A merged image composed from the layers takes as long as several layers, so the layers
    // may run further ahead of it.
    const size_t ahead = 2 * static_cast<size_t>(threads) + (option.compose ? kComposeAhead : 0);
    OrderedWork work(jobs_.size(), threads, ahead,
                     [this](size_t index, OrderedWork& running) {
                         if (option.imageBands && index == 0)
                             DecodeMergedInBands(jobs_[0], running);
                         else if (option.imageBands)
                             DecodeLayerInBands(index, running);
                         else if (index == 0)
                             DecodeMerged(jobs_[0], running);
                         else
                             DecodeLayer(index, running);
                     });

    // The merged image, its PNG and the report.
    ImageJob& merged = jobs_[0];
    work.WaitFor(0);
    if (merged.decodeError)
        std::rethrow_exception(merged.decodeError);
    context_.progress.StepIt();
    if (option.psdToPngMerged) {
        CommitMergedPng(context_, document_, *merged.png);
        // A document saved without its composite stores a blank one.
        auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader_);
        if (mergedBlank_ && context_.remarks && psd && HasVisiblePixels(*psd))
            context_.remarks->notes.push_back(
                "the merged image the document stores is blank, all white (it was saved "
                "without one, perhaps), though its visible layers have pixels; --compose draws "
                "the merged image from the layers");
    }
    merged.png.reset();
    work.Release(0);
    if (option.textImageInfo || option.textLayerInfo)
        WriteTextInfo(context_, document_, loader_, layerCount);

    // Every layer decoded, in order, its frames joined to their animations; then the animations
    // and the layer PNGs, which wait until then.
    for (size_t i = 1; i < jobs_.size(); ++i) {
        work.WaitFor(i);
        ImageJob& job = jobs_[i];
        if (job.decodeError) {
            if (context_.remarks) {
                context_.remarks->failedLayer = job.layer->index;
                context_.remarks->failedLayerName = job.layer->info.title;
                auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader_);
                context_.remarks->failedLayerPath =
                    psd ? LayerPathShown(*psd, job.layer->index) : job.layer->info.title;
            }
            std::rethrow_exception(job.decodeError);
        }
        context_.progress.StepIt();
        if (job.frame) {
            job.frame->AppendTo(mng_->Output());
            mngFailed_ = mng_->Output().Failed();
            job.frame.reset();
        }
        if (job.apngFrame) {
            apng_->AppendFrame(*job.layer, *job.apngFrame);
            apngFailed_ = apng_->Output().Failed();
            job.apngFrame.reset();
        }
        work.Release(i);
    }
    if (mng_) {
        mng_->Finish();
        mng_->Commit(context_);
    }
    if (apng_) {
        apng_->Finish();
        apng_->Commit(context_);
    }
    if (layers && option.psdToPngLayers) {
        std::vector<StagedOutput*> pngs;
        for (size_t i = 1; i < jobs_.size(); ++i)
            pngs.push_back(jobs_[i].png.get());
        CommitLayerPngs(context_, document_, pngs);
    }
    auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader_);
    if (psd && !document_.smartObjects.empty())
        WriteSmartObjects(context_, document_, *psd);
    if (option.manifest)
        WriteManifest(context_, document_, loader_);
}

void PsdOutputs::DecodeMerged(ImageJob& job, const OrderedWork& work)
{
    if (!job.rows)
        return;  // reports and manifests alone
    RowSource& rows = *job.rows;
    const int32_t channels = rows.Channels();
    const int32_t width = rows.Width();
    const int32_t sampleBytes = rows.SampleBytes();
    const size_t rowBytes = static_cast<size_t>(width) * channels * sampleBytes;
    std::unique_ptr<ImageSaverPNG> saver;
    if (job.png) {
        saver = PngSaver(job.png->Stream(), document_.color.tag);
        saver->sixteenBits = sampleBytes == 2;
        job.png->Run([&] { saver->Begin(channels, width, rows.Height(), ImageInfo()); });
    }
    // The merged PNG is written as decoded, or with its matte taken out when asked.
    const bool unmatte = job.png && option.removeMatte;
    std::vector<uint8_t> unmatted(unmatte ? rowBytes : 0);
    std::vector<uint8_t> colored;
    // Whether the stored image is blank (every byte 255), for a caller that takes remarks.
    bool blank = job.png && !option.compose && context_.remarks != nullptr;
    for (int32_t y = 0; y < rows.Height() && !work.Stopping(); ++y) {
        const uint8_t* row = nullptr;
        if (!Decoded(job, [&] { row = rows.NextRow(); }))
            return;
        for (size_t i = 0; blank && i < rowBytes; ++i)
            blank = row[i] == 0xFF;
        if (unmatte) {
            std::memcpy(unmatted.data(), row, unmatted.size());
            if (sampleBytes == 2)
                sdk::graphic::RemoveMatteRow16(reinterpret_cast<uint16_t*>(unmatted.data()),
                                               channels, width);
            else
                sdk::graphic::RemoveMatteRow(unmatted.data(), channels, width);
            row = unmatted.data();
        }
        row = Colored(document_.color, row, channels, width, sampleBytes, colored);
        if (saver)
            job.png->Run([&] { saver->WriteRow(row); });
    }
    if (saver) {
        job.png->Run([&] { saver->End(); });
        job.png->Close();
    }
    mergedBlank_ = blank && width > 0 && rows.Height() > 0;
    job.rows.reset();
}

void PsdOutputs::DecodeLayer(size_t index, const OrderedWork& work)
{
    ImageJob& job = jobs_[index];
    const PsdLayer& layer = *job.layer;
    BandRows::Open unused;
    if (!Decoded(job, [&] { job.rows = OpenLayer(layer, unused); }))
        return;
    RowSource& rows = *job.rows;
    const int32_t channels = rows.Channels();
    const int32_t width = rows.Width();
    const int32_t height = rows.Height();
    const int32_t sampleBytes = rows.SampleBytes();
    const std::unique_ptr<RowEncoding> frame = MngFrame(job);
    const std::unique_ptr<RowEncoding> apngFrame = ApngFrame(job, channels);
    const std::unique_ptr<RowEncoding> png = LayerPng(job, index, channels, sampleBytes);
    const ImageInfo frameInfo = frame ? PsdMng::FrameInfo(layer.info) : ImageInfo();
    for (RowEncoding* encoding : {frame.get(), apngFrame.get(), png.get()}) {
        if (encoding)
            encoding->Begin(channels, width, height, frameInfo);
    }

    // Each row decoded once for all; animations take rows of 16-bit samples as 8-bit ones.
    const size_t samples = static_cast<size_t>(width) * channels;
    std::vector<uint8_t> blanked(option.fillBlank ? samples * sampleBytes : 0);
    std::vector<uint8_t> colored, eightBit;
    for (int32_t y = 0; y < height && !work.Stopping(); ++y) {
        const uint8_t* row = nullptr;
        if (!Decoded(job, [&] { row = rows.NextRow(); }))
            return;
        row = Colored(document_.color, row, channels, width, sampleBytes, colored);
        if (option.fillBlank) {
            std::memcpy(blanked.data(), row, blanked.size());
            if (sampleBytes == 2)
                FillBlankRow16(reinterpret_cast<uint16_t*>(blanked.data()), channels, width);
            else
                FillBlankRow(blanked.data(), channels, width);
            row = blanked.data();
        }
        const uint8_t* frameRow =
            sampleBytes == 2 && (frame || apngFrame) ? EightBitRow(row, samples, eightBit) : row;
        for (RowEncoding* encoding : {frame.get(), apngFrame.get()}) {
            if (encoding)
                encoding->Row(frameRow);
        }
        if (png)
            png->Row(row);
    }
    for (RowEncoding* encoding : {frame.get(), apngFrame.get(), png.get()}) {
        if (encoding)
            encoding->End();
    }
    CloseLayerOutputs(job, index, frame != nullptr, apngFrame != nullptr, png != nullptr);
    job.rows.reset();
}

void PsdOutputs::CloseLayerOutputs(ImageJob& job, size_t index, bool frame, bool apngFrame,
                                   bool png)
{
    if (frame) {
        if (job.frame)
            job.frame->Close();
        else
            mngFailed_ = mng_->Output().Failed();
    }
    if (apngFrame) {
        if (job.apngFrame) {
            job.apngFrame->Close();
        } else {
            apng_->EndFrame();
            apngFailed_ = apng_->Output().Failed();
        }
    }
    if (png) {
        job.png->Close();
        // Layer PNGs after a failed one are never written.
        for (size_t first = firstFailedPng_; job.png->Failed() && index < first;)
            firstFailedPng_.compare_exchange_weak(first, index);
    }
}

std::unique_ptr<RowSource> PsdOutputs::OpenLayer(const PsdLayer& layer, BandRows::Open& open)
{
    open = nullptr;
    auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader_);
    if (layer.groupPicture && psd)
        return sdk::render::GroupAsShown(*psd, layer.index);
    if (option.asShown && psd)
        return sdk::render::LayerAsShown(*psd, layer.index);
    const bool sixteen = document_.sixteen && layer.png && psd;
    if (option.imageBands && psd && psd->OpensAtAnyRow(layer.index)) {
        const int32_t index = layer.index;
        open = [psd, index, sixteen](int32_t firstRow) {
            return sixteen ? psd->LayerRows16(index, firstRow) : psd->LayerRows(index, firstRow);
        };
    }
    if (sixteen)
        return psd->LayerRows16(layer.index);
    return loader_.LayerRows(layer.index);
}

std::unique_ptr<RowEncoding> PsdOutputs::MngFrame(ImageJob& job)
{
    if (!mng_ || !job.layer->frame || mngFailed_)
        return nullptr;
    if (!framesApart_)
        return std::unique_ptr<RowEncoding>(new RowEncoding(mng_->Output(), mng_->Saver()));
    job.frame.reset(new StagedOutput(scratch_, kFrameMemory));
    std::unique_ptr<ImageSaverPNG> saver(new ImageSaverPNG(job.frame->Stream()));
    PsdMng::ConfigureFrameSaver(*saver, document_.color.tag);
    return std::unique_ptr<RowEncoding>(new RowEncoding(*job.frame, std::move(saver)));
}

std::unique_ptr<RowEncoding> PsdOutputs::ApngFrame(ImageJob& job, int32_t channels)
{
    const PsdLayer& layer = *job.layer;
    if (!apng_ || !layer.apngFrame || apngFailed_)
        return nullptr;
    std::unique_ptr<LayerPicture> picture = apng_->FramePicture(layer, channels);
    if (!framesApart_) {
        apng_->BeginFrame(layer);
        return std::unique_ptr<RowEncoding>(
            new RowEncoding(apng_->Output(), PngSaver(apng_->FrameData()), std::move(picture)));
    }
    job.apngFrame.reset(new StagedOutput(scratch_, kFrameMemory));
    return std::unique_ptr<RowEncoding>(
        new RowEncoding(*job.apngFrame, PngSaver(job.apngFrame->Stream()), std::move(picture)));
}

std::unique_ptr<RowEncoding> PsdOutputs::LayerPng(ImageJob& job, size_t index, int32_t channels,
                                                  int32_t sampleBytes)
{
    const PsdLayer& layer = *job.layer;
    if (!layer.png || index >= firstFailedPng_)
        return nullptr;
    job.png.reset(new StagedOutput(scratch_, kLayerPngMemory));
    std::unique_ptr<LayerPicture> picture(new LayerPicture(layer.info, channels, document_.width,
                                                           document_.height, document_.channels,
                                                           sampleBytes));
    std::unique_ptr<ImageSaverPNG> saver = PngSaver(job.png->Stream(), document_.color.tag);
    saver->sixteenBits = sampleBytes == 2;
    return std::unique_ptr<RowEncoding>(
        new RowEncoding(*job.png, std::move(saver), std::move(picture)));
}

// The rows of an image for its bands: opened by each band at its first row where open is
// given, otherwise read once by the bands in turn.
BandRows BandRowsOf(std::unique_ptr<RowSource> first, BandRows::Open open, int32_t lookBack)
{
    if (open)
        return BandRows(std::move(first), std::move(open));
    return BandRows(std::move(first), lookBack);
}

void PsdOutputs::DecodeMergedInBands(ImageJob& job, OrderedWork& work)
{
    if (!job.rows)
        return;  // reports and manifests alone
    const int32_t channels = job.rows->Channels();
    const int32_t width = job.rows->Width();
    const int32_t sampleBytes = job.rows->SampleBytes();
    const size_t rowBytes = static_cast<size_t>(width) * channels * sampleBytes;
    std::unique_ptr<ImageSaverPNG> saver;
    std::unique_ptr<BandedPng> png;
    std::vector<BandedPng*> pngs;
    if (job.png) {
        saver = PngSaver(job.png->Stream(), document_.color.tag);
        saver->sixteenBits = sampleBytes == 2;
        png.reset(new BandedPng(*job.png, *saver, nullptr, false));
        png->Begin(channels, width, job.rows->Height(), ImageInfo());
        pngs.push_back(png.get());
    }
    // The merged PNG is written as decoded, or with its matte taken out when asked.
    const bool unmatte = job.png && option.removeMatte;
    // Whether the stored image is blank (every byte 255), for a caller that takes remarks.
    std::atomic<bool> blank(job.png && !option.compose && context_.remarks != nullptr);
    BandRowSteps steps;
    steps.common = [&](int32_t, const uint8_t* row, BandScratch& scratch) {
        if (blank.load(std::memory_order_relaxed)) {
            for (size_t i = 0; i < rowBytes; ++i) {
                if (row[i] != 0xFF) {
                    blank = false;
                    break;
                }
            }
        }
        if (unmatte) {
            scratch.first.assign(row, row + rowBytes);
            if (sampleBytes == 2)
                sdk::graphic::RemoveMatteRow16(reinterpret_cast<uint16_t*>(scratch.first.data()),
                                               channels, width);
            else
                sdk::graphic::RemoveMatteRow(scratch.first.data(), channels, width);
            row = scratch.first.data();
        }
        return Colored(document_.color, row, channels, width, sampleBytes, scratch.second);
    };
    BandRows rows = BandRowsOf(std::move(job.rows), mergedOpen_, LookBackOf(pngs));
    if (!Decoded(job, [&] { RunImageBands(work, rows, pngs, steps); }))
        return;
    if (job.png)
        job.png->Close();
    mergedBlank_ = blank && width > 0 && rows.Height() > 0;
}

std::vector<BandedPng*> PsdOutputs::BandedOutputs::All() const
{
    std::vector<BandedPng*> all;
    for (BandedPng* png : {frame, apngFrame, png}) {
        if (png)
            all.push_back(png);
    }
    return all;
}

PsdOutputs::BandedOutputs PsdOutputs::LayerBandedOutputs(ImageJob& job, size_t index,
                                                         int32_t channels, int32_t sampleBytes)
{
    const PsdLayer& layer = *job.layer;
    BandedOutputs outputs;
    auto add = [&](StagedOutput& output, ImageSaverPNG& saver, BandedPng::MakePicture picture,
                   bool eightBit) {
        outputs.pngs.emplace_back(new BandedPng(output, saver, std::move(picture), eightBit));
        return outputs.pngs.back().get();
    };
    auto own = [&](std::unique_ptr<ImageSaverPNG> saver) -> ImageSaverPNG& {
        outputs.savers.push_back(std::move(saver));
        return *outputs.savers.back();
    };
    if (mng_ && layer.frame && !mngFailed_) {
        if (!framesApart_) {
            outputs.frame = add(mng_->Output(), mng_->Saver(), nullptr, true);
        } else {
            job.frame.reset(new StagedOutput(scratch_, kFrameMemory));
            std::unique_ptr<ImageSaverPNG> saver(new ImageSaverPNG(job.frame->Stream()));
            PsdMng::ConfigureFrameSaver(*saver, document_.color.tag);
            outputs.frame = add(*job.frame, own(std::move(saver)), nullptr, true);
        }
    }
    if (apng_ && layer.apngFrame && !apngFailed_) {
        auto picture = [this, &layer, channels] { return apng_->FramePicture(layer, channels); };
        if (!framesApart_) {
            apng_->BeginFrame(layer);
            outputs.apngFrame =
                add(apng_->Output(), own(PngSaver(apng_->FrameData())), picture, true);
        } else {
            job.apngFrame.reset(new StagedOutput(scratch_, kFrameMemory));
            outputs.apngFrame =
                add(*job.apngFrame, own(PngSaver(job.apngFrame->Stream())), picture, true);
        }
    }
    if (layer.png && index < firstFailedPng_) {
        job.png.reset(new StagedOutput(scratch_, kLayerPngMemory));
        std::unique_ptr<ImageSaverPNG> saver = PngSaver(job.png->Stream(), document_.color.tag);
        saver->sixteenBits = sampleBytes == 2;
        auto picture = [this, &layer, channels, sampleBytes] {
            return std::unique_ptr<LayerPicture>(
                new LayerPicture(layer.info, channels, document_.width, document_.height,
                                 document_.channels, sampleBytes));
        };
        outputs.png = add(*job.png, own(std::move(saver)), picture, false);
    }
    return outputs;
}

void PsdOutputs::DecodeLayerInBands(size_t index, OrderedWork& work)
{
    ImageJob& job = jobs_[index];
    const PsdLayer& layer = *job.layer;
    BandRows::Open open;
    if (!Decoded(job, [&] { job.rows = OpenLayer(layer, open); }))
        return;
    const int32_t channels = job.rows->Channels();
    const int32_t width = job.rows->Width();
    const int32_t height = job.rows->Height();
    const int32_t sampleBytes = job.rows->SampleBytes();
    BandedOutputs outputs = LayerBandedOutputs(job, index, channels, sampleBytes);
    const ImageInfo frameInfo = outputs.frame ? PsdMng::FrameInfo(layer.info) : ImageInfo();
    for (BandedPng* png : outputs.All())
        png->Begin(channels, width, height, frameInfo);

    const size_t samples = static_cast<size_t>(width) * channels;
    BandRowSteps steps;
    steps.sixteenBitRows = sampleBytes == 2;
    steps.common = [&](int32_t, const uint8_t* row, BandScratch& scratch) {
        row = Colored(document_.color, row, channels, width, sampleBytes, scratch.first);
        if (!option.fillBlank)
            return row;
        scratch.second.assign(row, row + samples * sampleBytes);
        if (sampleBytes == 2)
            FillBlankRow16(reinterpret_cast<uint16_t*>(scratch.second.data()), channels, width);
        else
            FillBlankRow(scratch.second.data(), channels, width);
        return static_cast<const uint8_t*>(scratch.second.data());
    };
    BandRows rows = BandRowsOf(std::move(job.rows), std::move(open), LookBackOf(outputs.All()));
    if (!Decoded(job, [&] { RunImageBands(work, rows, outputs.All(), steps); }))
        return;
    CloseLayerOutputs(job, index, outputs.frame != nullptr, outputs.apngFrame != nullptr,
                      outputs.png != nullptr);
}

// How a band opens the merged image's rows (stored, or composed from the layers) at its first
// row, when that costs no more than reading them from the top; empty otherwise.
BandRows::Open MergedOpener(sdk::graphic::ImageLoaderPSD& psd, bool composed, bool sixteen)
{
    if (composed) {
        if (!sdk::render::ComposesFromAnyRow(psd))
            return nullptr;
        return [&psd](int32_t firstRow) {
            return std::unique_ptr<RowSource>(new sdk::render::ComposedRows(psd, firstRow));
        };
    }
    if (!psd.OpensAtAnyRow(-1))
        return nullptr;
    return [&psd, sixteen](int32_t firstRow) {
        return sixteen ? psd.Rows16(firstRow) : psd.Rows(firstRow);
    };
}

// Shows the layers of psd in the layer comp that option.comp names: its place in the document's
// list. A layer whose comp records are damaged stays as the document keeps it, which a note says.
// Raises "ConvertPsd:740" when the document has no comp of that name.
int32_t ApplyNamedComp(ConvertContext& context, sdk::graphic::ImageLoaderPSD& psd)
{
    const std::string wanted = sdk::files::NativeToUtf8(option.comp);
    const std::vector<sdk::graphic::PsdLayerComp>& comps = psd.LayerComps();
    for (size_t i = 0; i < comps.size(); ++i) {
        if (sdk::files::Utf16ToUtf8(comps[i].name) != wanted)
            continue;
        for (const sdk::graphic::PsdLayerCompDamage& damage : psd.ApplyLayerComp(comps[i].id)) {
            if (context.remarks)
                context.remarks->notes.push_back(sdk::files::Format(
                    "layer %d \"%s\": what the layer comps make of the layer is damaged (%s); "
                    "it is shown as the document keeps it",
                    damage.layer + 1, LayerPathShown(psd, damage.layer).c_str(),
                    damage.tag.c_str()));
        }
        return static_cast<int32_t>(i);
    }
    throw sdk::debug::runtime_error("ConvertPsd:740");
}

}  // namespace

void ConvertPsd(ConvertContext& context, sdk::graphic::ImageLoader& loader, const std::string& path,
                const std::string& base)
{
    const int32_t count = loader.LayerCount();

    // The layer comp asked for makes the layers what it records before anything looks at them.
    auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader);
    const int32_t comp = psd && !option.comp.empty() ? ApplyNamedComp(context, *psd) : -1;

    // The group structure a manifest shows is checked before anything is written.
    if (option.manifest && psd)
        psd->LayerTree();

    // The pictures of the MNG and the layer PNGs, and the names of the PNGs.
    PsdDocument document;
    document.inputPath = path;
    document.base = base;
    document.comp = comp;
    SelectPsdLayers(loader, document);
    NameLayerPngs(document);
    // The files embedded for the placed layers, which the manifest refers to; what is wrong
    // with their records, and those that live elsewhere, are said before anything is written.
    if (option.smartObjects && psd)
        NameSmartObjects(document, *psd);
    if ((option.smartObjects || option.manifest) && psd)
        NoteLinkedFiles(context, *psd, option.smartObjects);

    int32_t steps = 1;
    steps += option.psdToPngMerged ? 1 : 0;
    steps += option.textImageInfo ? 1 : 0;
    steps += option.textLayerInfo ? 1 : 0;
    steps += document.Frames() + document.ApngFrames() + document.Pngs();
    steps += static_cast<int32_t>(document.layers.size());  // their decoding
    steps += static_cast<int32_t>(document.smartObjects.size());
    steps += option.manifest ? 1 : 0;
    context.progress.SetRange(0, steps);

    // Documents of 16 and 32 bits keep 16 bits where asked, in what is drawn from their layers
    // too.
    document.sixteen = option.sixteenBitPngs && psd && psd->Format().depth >= 16;
    if (psd)
        psd->SetSixteenBitDrawing(document.sixteen);
    // What the colours become, decided before any rows are decoded (a CMYK document's ink is
    // converted as it is decoded). The window's numbers are never looked at.
    if (psd && (option.color != ColorChoice::None || option.reportColor)) {
        std::vector<std::string> notes;
        document.color =
            PlanPsdColor(*psd, option.color, option.cmykProfile, notes, document.sixteen);
        if (context.remarks)
            context.remarks->notes.insert(context.remarks->notes.end(), notes.begin(), notes.end());
    }

    // Reports and manifests alone take the merged image's size and channels from its record:
    // its pixels are not decoded, and damage found in its data is a note.
    if (psd && option.reportsWithoutPixels && !option.AnyPsdPicture()) {
        document.width = psd->MergedRecord().width;
        document.height = psd->MergedRecord().height;
        document.channels = psd->MergedChannels();
        try {
            loader.Rows();  // checks that the channels' data is there, decoding no row
        } catch (const std::exception& error) {
            if (context.remarks)
                context.remarks->notes.push_back(
                    std::string("the image data is damaged (") + error.what() +
                    "); the reports and the manifest are written from the layer records");
        }
        PsdOutputs(context, loader, document, nullptr).Write(count);
        return;
    }

    // The merged image is checked first, before anything is written. Composed from the layers,
    // it is planned here; the stored image is checked all the same, which bounds the size of
    // what is drawn by what the file holds. A document without layers keeps its stored image.
    std::unique_ptr<RowSource> merged = document.sixteen ? psd->Rows16() : loader.Rows();
    if (option.compose && psd && count > 0)
        merged.reset(new sdk::render::ComposedRows(*psd));
    BandRows::Open mergedOpen;
    if (option.imageBands && psd)
        mergedOpen = MergedOpener(*psd, option.compose && count > 0, document.sixteen);
    // What the drawing of the layers leaves out is said once, before anything is written.
    const bool drawn = option.compose || option.asShown || option.groups == GroupLayout::Images;
    if (drawn && psd && count > 0 && context.remarks) {
        const std::string undrawn = UndrawnNote(*psd);
        if (!undrawn.empty())
            context.remarks->notes.push_back(undrawn);
    }
    document.width = merged->Width();
    document.height = merged->Height();
    document.channels = merged->Channels();
    PsdOutputs outputs(context, loader, document, std::move(merged), std::move(mergedOpen));
    outputs.Write(count);
}
