// PSD to MNG: one frame per layer. The MNG is made while the layers are decoded (its header
// first, then each layer's frame in layer order, then its end) and written at its turn.
#pragma once

#include <memory>
#include <string>

#include "conversion/ConvertContext.h"
#include "conversion/output/StagedOutput.h"
#include "conversion/psd/PsdDocument.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/ImageSaverPNG.h"

class PsdMng {
public:
    // Starts the MNG of document (signature, header, loop chunk) in a staged output whose
    // scratch lies beside scratchBeside.
    PsdMng(const PsdDocument& document, const std::string& scratchBeside);
    PsdMng(const PsdMng&) = delete;
    PsdMng& operator=(const PsdMng&) = delete;

    StagedOutput& Output() { return output_; }
    // The writer of frames that go straight into the MNG, one after another.
    sdk::graphic::ImageSaverPNG& Saver() { return saver_; }
    // Makes saver a writer of frames made apart from the MNG, to be appended to it in order,
    // each saying what its colours are as tag does.
    static void ConfigureFrameSaver(sdk::graphic::ImageSaverPNG& saver,
                                    const sdk::graphic::PngColorTag& tag);
    // The record a layer's frame is written with: offset, name and blend-mode key as asked.
    static sdk::graphic::ImageInfo FrameInfo(const sdk::graphic::ImageInfo& layer);

    // Every frame is in: the MNG's end.
    void Finish();
    // Writes the MNG at its turn: status line, the file, a progress step per frame.
    void Commit(ConvertContext& context);

private:
    const PsdDocument& document_;
    StagedOutput output_;
    sdk::graphic::ImageSaverPNG saver_;  // after output_: goes before it
};
