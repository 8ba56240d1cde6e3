#include "conversion/psd/PsdToApng.h"

#include <algorithm>

#include "conversion/Option.h"

namespace {
// The APNG keeps this much in memory before a temporary file takes it.
const uint32_t kApngMemory = 64 * 1024;
}  // namespace

PsdApng::PsdApng(const PsdDocument& document, const std::string& scratchBeside)
    : document_(document), output_(scratchBeside, kApngMemory), writer_(output_.Stream())
{
    for (const PsdLayer& layer : document.layers) {
        if (layer.apngFrame) {
            first_ = &layer;
            break;
        }
    }
    channels_ = document.channels >= 3 ? 4 : 2;
    // Without --mng-loop the animation plays once.
    const uint32_t plays = option.mngLoop ? 0 : 1;
    const uint32_t frames = static_cast<uint32_t>(document.ApngFrames());
    writer_.colorTag = document.color.tag;
    output_.Run([&] { writer_.Begin(document.width, document.height, channels_, frames, plays); });
}

sdk::graphic::ApngFrame PsdApng::FrameOf(const PsdLayer& layer) const
{
    sdk::graphic::ApngFrame frame;
    // A frame lasts one tick of --fps; at 0 the next frame follows at once.
    if (option.mngFps > 0) {
        frame.delayNumerator = 1;
        frame.delayDenominator = static_cast<uint16_t>(option.mngFps);
    }
    if (&layer == first_) {
        frame.width = document_.width;
        frame.height = document_.height;
        return frame;
    }
    const sdk::graphic::ImageInfo& info = layer.info;
    const int64_t left = std::max<int64_t>(info.x, 0);
    const int64_t top = std::max<int64_t>(info.y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(info.x) + info.width,
                                            document_.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(info.y) + info.height,
                                             document_.height);
    if (left >= right || top >= bottom) {
        frame.width = 1;
        frame.height = 1;
        return frame;
    }
    frame.x = static_cast<int32_t>(left);
    frame.y = static_cast<int32_t>(top);
    frame.width = static_cast<int32_t>(right - left);
    frame.height = static_cast<int32_t>(bottom - top);
    return frame;
}

std::unique_ptr<LayerPicture> PsdApng::FramePicture(const PsdLayer& layer,
                                                    int32_t layerChannels) const
{
    const sdk::graphic::ApngFrame frame = FrameOf(layer);
    return std::unique_ptr<LayerPicture>(new LayerPicture(
        layer.info, layerChannels, frame.x, frame.y, frame.width, frame.height, channels_));
}

void PsdApng::BeginFrame(const PsdLayer& layer)
{
    output_.Run([&] { writer_.BeginFrame(FrameOf(layer)); });
}

void PsdApng::EndFrame()
{
    output_.Run([&] { writer_.EndFrame(); });
}

void PsdApng::AppendFrame(const PsdLayer& layer, StagedOutput& frame)
{
    BeginFrame(layer);
    frame.AppendTo(output_, writer_.FrameData());
    EndFrame();
}

void PsdApng::Finish()
{
    output_.Run([&] { writer_.End(); });
    output_.Close();
}

void PsdApng::Commit(ConvertContext& context)
{
    const std::string output = document_.base + ".apng";
    output_.CommitShown(context, document_.inputPath, output, OutputKind::Apng,
                        document_.ApngFrames());
}
