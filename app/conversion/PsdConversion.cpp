#include "conversion/PsdConversion.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "conversion/LayerPicture.h"
#include "conversion/Option.h"
#include "conversion/OrderedWork.h"
#include "conversion/OutputFiles.h"
#include "conversion/PsdDocument.h"
#include "conversion/PsdLayerSelection.h"
#include "conversion/PsdManifest.h"
#include "conversion/PsdToMng.h"
#include "conversion/PsdToPng.h"
#include "conversion/PsdToText.h"
#include "conversion/StagedOutput.h"
#include "graphic/ImageOperations.h"
#include "graphic/ImageLoaderPSD.h"
#include "graphic/ImageSaverPNG.h"
#include "render/ComposedRows.h"
#include "render/LayerAsShown.h"

using sdk::graphic::ImageInfo;
using sdk::graphic::ImageSaverPNG;
using sdk::graphic::RowSource;

namespace {

// The bytes an output keeps in memory before a temporary file takes them. Layer PNGs wait until
// every layer is decoded, so each keeps little; a frame waits only until the frames before it
// are in the MNG.
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
};

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
    PsdOutputs(ConvertContext& context, sdk::graphic::ImageLoader& loader,
               const PsdDocument& document, std::unique_ptr<RowSource> merged)
        : context_(context),
          loader_(loader),
          document_(document),
          scratch_(ScratchBeside(document.base)),
          jobs_(1 + document.layers.size())
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

    ConvertContext& context_;
    sdk::graphic::ImageLoader& loader_;
    const PsdDocument& document_;
    const std::string scratch_;
    std::vector<ImageJob> jobs_;
    std::unique_ptr<PsdMng> mng_;
    // Frames are made apart from the MNG and joined to it in order when layers are decoded on
    // several threads; on one they go straight into it.
    bool framesApart_ = false;
    // Outputs that will never be written spare their encoding: the MNG once it has failed, the
    // layer PNGs after the first that failed.
    std::atomic<bool> mngFailed_{false};
    std::atomic<size_t> firstFailedPng_{SIZE_MAX};
};

void PsdOutputs::Write(int32_t layerCount)
{
    if (option.psdToPngMerged)
        jobs_[0].png.reset(new StagedOutput(scratch_, kMergedPngMemory));
    const bool layers = !document_.layers.empty();
    if (document_.Frames() > 0)
        mng_.reset(new PsdMng(document_, scratch_));
    const int32_t threads = layers && option.layerEncoders >= 2 ? option.layerEncoders : 0;
    framesApart_ = threads >= 2;
    // Jobs done but not yet taken hold a frame each: a few more than the threads bound them.
    // A merged image composed from the layers takes as long as several layers, so the layers
    // may run further ahead of it.
    const size_t ahead = 2 * static_cast<size_t>(threads) + (option.compose ? kComposeAhead : 0);
    OrderedWork work(jobs_.size(), threads, ahead,
                     [this](size_t index, const OrderedWork& running) {
                         if (index == 0)
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
    if (option.psdToPngMerged)
        CommitMergedPng(context_, document_, *merged.png);
    merged.png.reset();
    work.Release(0);
    if (option.textImageInfo || option.textLayerInfo)
        WriteTextInfo(context_, document_, loader_, layerCount);

    // Every layer decoded, in order, its frame joined to the MNG; then the MNG and the layer
    // PNGs, which wait until then.
    for (size_t i = 1; i < jobs_.size(); ++i) {
        work.WaitFor(i);
        ImageJob& job = jobs_[i];
        if (job.decodeError)
            std::rethrow_exception(job.decodeError);
        context_.progress.StepIt();
        if (job.frame) {
            job.frame->AppendTo(mng_->Output());
            mngFailed_ = mng_->Output().Failed();
            job.frame.reset();
        }
        work.Release(i);
    }
    if (mng_) {
        mng_->Finish();
        mng_->Commit(context_);
    }
    if (layers && option.psdToPngLayers) {
        std::vector<StagedOutput*> pngs;
        for (size_t i = 1; i < jobs_.size(); ++i)
            pngs.push_back(jobs_[i].png.get());
        CommitLayerPngs(context_, document_, pngs);
    }
    if (option.manifest)
        WriteManifest(context_, document_, loader_);
}

void PsdOutputs::DecodeMerged(ImageJob& job, const OrderedWork& work)
{
    RowSource& rows = *job.rows;
    const int32_t channels = rows.Channels();
    const int32_t width = rows.Width();
    std::unique_ptr<ImageSaverPNG> saver;
    if (job.png) {
        saver.reset(new ImageSaverPNG(job.png->Stream()));
        ConfigurePngSaver(*saver);
        job.png->Run([&] { saver->Begin(channels, width, rows.Height(), ImageInfo()); });
    }
    // The merged PNG is written as decoded, or with its matte taken out when asked.
    const bool unmatte = job.png && option.removeMatte;
    std::vector<uint8_t> unmatted(unmatte ? static_cast<size_t>(width) * channels : 0);
    for (int32_t y = 0; y < rows.Height() && !work.Stopping(); ++y) {
        const uint8_t* row = nullptr;
        if (!Decoded(job, [&] { row = rows.NextRow(); }))
            return;
        if (unmatte) {
            std::memcpy(unmatted.data(), row, unmatted.size());
            sdk::graphic::RemoveMatteRow(unmatted.data(), channels, width);
            row = unmatted.data();
        }
        if (saver)
            job.png->Run([&] { saver->WriteRow(row); });
    }
    if (saver) {
        job.png->Run([&] { saver->End(); });
        job.png->Close();
    }
    job.rows.reset();
}

void PsdOutputs::DecodeLayer(size_t index, const OrderedWork& work)
{
    ImageJob& job = jobs_[index];
    const PsdLayer& layer = *job.layer;
    sdk::graphic::ImageLoaderPSD* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader_);
    if (!Decoded(job, [&] {
            if (layer.groupPicture && psd)
                job.rows = sdk::render::GroupAsShown(*psd, layer.index);
            else if (option.asShown && psd)
                job.rows = sdk::render::LayerAsShown(*psd, layer.index);
            else
                job.rows = loader_.LayerRows(layer.index);
        }))
        return;
    RowSource& rows = *job.rows;
    const int32_t channels = rows.Channels();
    const int32_t width = rows.Width();
    const int32_t height = rows.Height();

    // The layer's MNG frame.
    StagedOutput* frame = nullptr;
    ImageSaverPNG* frameSaver = nullptr;
    std::unique_ptr<ImageSaverPNG> apartSaver;
    if (mng_ && layer.frame && !mngFailed_) {
        if (framesApart_) {
            job.frame.reset(new StagedOutput(scratch_, kFrameMemory));
            apartSaver.reset(new ImageSaverPNG(job.frame->Stream()));
            PsdMng::ConfigureFrameSaver(*apartSaver);
            frame = job.frame.get();
            frameSaver = apartSaver.get();
        } else {
            frame = &mng_->Output();
            frameSaver = &mng_->Saver();
        }
        const ImageInfo info = PsdMng::FrameInfo(layer.info);
        frame->Run([&] { frameSaver->Begin(channels, width, height, info); });
    }

    // The layer's PNG.
    std::unique_ptr<LayerPicture> picture;
    std::unique_ptr<ImageSaverPNG> pngSaver;
    if (layer.png && index < firstFailedPng_) {
        job.png.reset(new StagedOutput(scratch_, kLayerPngMemory));
        picture.reset(new LayerPicture(layer.info, channels, document_.width, document_.height,
                                       document_.channels));
        pngSaver.reset(new ImageSaverPNG(job.png->Stream()));
        ConfigurePngSaver(*pngSaver);
        job.png->Run([&] {
            pngSaver->Begin(picture->Channels(), picture->Width(), picture->Height(),
                            picture->Info());
        });
    }
    const LayerPicture::Emit toPng = [&](const uint8_t* row) { pngSaver->WriteRow(row); };

    // Each row decoded once for both.
    std::vector<uint8_t> blanked(option.fillBlank ? static_cast<size_t>(width) * channels : 0);
    for (int32_t y = 0; y < height && !work.Stopping(); ++y) {
        const uint8_t* row = nullptr;
        if (!Decoded(job, [&] { row = rows.NextRow(); }))
            return;
        if (option.fillBlank) {
            std::memcpy(blanked.data(), row, blanked.size());
            FillBlankRow(blanked.data(), channels, width);
            row = blanked.data();
        }
        if (frame)
            frame->Run([&] { frameSaver->WriteRow(row); });
        if (picture)
            job.png->Run([&] { picture->Add(row, toPng); });
    }
    if (frame) {
        frame->Run([&] { frameSaver->End(); });
        if (job.frame)
            job.frame->Close();
        else
            mngFailed_ = frame->Failed();
    }
    if (picture) {
        job.png->Run([&] {
            picture->Finish(toPng);
            pngSaver->End();
        });
        job.png->Close();
        // Layer PNGs after a failed one are never written.
        for (size_t first = firstFailedPng_; job.png->Failed() && index < first;)
            firstFailedPng_.compare_exchange_weak(first, index);
    }
    job.rows.reset();
}

}  // namespace

void ConvertPsd(ConvertContext& context, sdk::graphic::ImageLoader& loader, const std::string& path,
                const std::string& base)
{
    const int32_t count = loader.LayerCount();

    // The group structure a manifest shows is checked before anything is written.
    auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader);
    if (option.manifest && psd)
        psd->LayerTree();

    // The pictures of the MNG and the layer PNGs, and the names of the PNGs.
    PsdDocument document;
    document.inputPath = path;
    document.base = base;
    SelectPsdLayers(loader, document);
    NameLayerPngs(document);

    int32_t steps = 1;
    steps += option.psdToPngMerged ? 1 : 0;
    steps += option.textImageInfo ? 1 : 0;
    steps += option.textLayerInfo ? 1 : 0;
    steps += document.Frames() + document.Pngs();
    steps += static_cast<int32_t>(document.layers.size());  // their decoding
    steps += option.manifest ? 1 : 0;
    context.progress.SetRange(0, steps);

    // The merged image is checked first, before anything is written. Composed from the layers,
    // it is planned here; the stored image is checked all the same, which bounds the size of
    // what is drawn by what the file holds. A document without layers keeps its stored image.
    std::unique_ptr<RowSource> merged = loader.Rows();
    if (option.compose && psd && count > 0)
        merged.reset(new sdk::render::ComposedRows(*psd));
    document.width = merged->Width();
    document.height = merged->Height();
    document.channels = merged->Channels();
    PsdOutputs outputs(context, loader, document, std::move(merged));
    outputs.Write(count);
}
