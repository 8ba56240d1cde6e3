// PSD to APNG: an animated PNG of a frame per layer with pixels, in layer order. Each frame shows
// its layer alone at its offset on the document's canvas, cut to the canvas (frames may not leave
// it); the first frame, the image a reader without animation shows, covers the whole canvas. Like
// the MNG it is made while the layers are decoded (its header first, then each frame in layer
// order, then its end) and written at its turn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/ConvertContext.h"
#include "conversion/output/StagedOutput.h"
#include "conversion/psd/LayerPicture.h"
#include "conversion/psd/PsdDocument.h"
#include "graphic/png/ImageSaverAPNG.h"
#include "stream/Stream.h"

class PsdApng {
public:
    // Starts the APNG of document's APNG frames (at least one) in a staged output whose scratch
    // lies beside scratchBeside.
    PsdApng(const PsdDocument& document, const std::string& scratchBeside);
    PsdApng(const PsdApng&) = delete;
    PsdApng& operator=(const PsdApng&) = delete;

    StagedOutput& Output() { return output_; }
    // The picture a layer's frame shows, made from the layer's rows of layerChannels bytes per
    // pixel: gray or colour as the document, always with alpha. A layer wholly outside the
    // canvas shows as one transparent pixel.
    std::unique_ptr<LayerPicture> FramePicture(const PsdLayer& layer, int32_t layerChannels) const;

    // A frame written straight into the APNG: BeginFrame, its picture's PNG file to FrameData()
    // inside Output().Run, EndFrame.
    void BeginFrame(const PsdLayer& layer);
    sdk::stream::stream_out& FrameData() { return writer_.FrameData(); }
    void EndFrame();
    // A frame made apart from the APNG, as its picture's PNG file, joined to it in order.
    void AppendFrame(const PsdLayer& layer, StagedOutput& frame);

    // Every frame is in: the APNG's end.
    void Finish();
    // Writes the APNG at its turn: status line, the file, a progress step per frame.
    void Commit(ConvertContext& context);

private:
    sdk::graphic::ApngFrame FrameOf(const PsdLayer& layer) const;

    const PsdDocument& document_;
    const PsdLayer* first_ = nullptr;  // the layer of the first frame
    int32_t channels_ = 0;
    StagedOutput output_;
    sdk::graphic::ImageSaverAPNG writer_;  // after output_: goes before it
};
