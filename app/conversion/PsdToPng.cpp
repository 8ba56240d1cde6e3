#include "conversion/PsdToPng.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "conversion/Option.h"
#include "conversion/OutputFiles.h"
#include "conversion/StatusText.h"
#include "files/CodePage.h"
#include "files/Format.h"
#include "files/Path.h"
#include "graphic/Draw.h"
#include "graphic/ImageOperations.h"
#include "graphic/ImageSaverPNG.h"
#include "stream/StreamBuffer.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

std::string SafeLayerName(const std::string& name)
{
    std::string result;
    std::string part;
    auto flush_part = [&] {
        if (part.empty())
            return;
        if (part.find_first_not_of('.') == std::string::npos)
            part.assign(part.size(), '_');
        if (!result.empty())
            result += sdk::files::kPathSeparator;
        result += part;
        part.clear();
    };
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = sdk::files::CharLength(name, pos);
        const char c = name[pos];
        if (length == 1 && sdk::files::IsSeparator(c)) {
            flush_part();
        } else if (length == 1 && c == ':') {
            part += '_';
        } else {
            part.append(name, pos, length);
        }
        pos += length;
    }
    flush_part();
    return result;
}

std::string LayerFileName(char separator, bool serial, int32_t index, const std::string& title)
{
    if (serial)
        return sdk::files::Format("%c%04d.png", separator, index);
    return sdk::files::Format("%c%s.png", separator, SafeLayerName(title).c_str());
}

void SaveMergedPng(ConvertContext& context, const PsdDocument& document)
{
    const std::string output = document.base + ".png";
    AddStatusLine(context, StatusLine(document.inputPath, output));
    PrepareOutput(context, document.inputPath, output);
    SavePng(document.merged, output);
    context.progress.StepIt();
}

namespace {

// The picture a layer's PNG shows and the record written with it: without alpha when asked, cut
// to the document's frame on canvas when asked, with its offset only when asked. It works on the
// caller's canvas and scratch image alone, so calls for different layers may run at once.
const Image& LayerPicture(const PsdLayer& layer, Image& canvas, Image& scratch, ImageInfo& info)
{
    info = layer.info;
    const Image* picture = &layer.image;
    if (option.pngNoAlpha) {
        scratch = sdk::graphic::ExtractColor(*picture);
        picture = &scratch;
    }
    if (option.pngTrim) {
        std::fill(canvas.Data(), canvas.Data() + canvas.Size(), 0);
        sdk::graphic::Draw(canvas, *picture, info.x, info.y);
        info.x = 0;
        info.y = 0;
        picture = &canvas;
    }
    if (!option.pngOffset) {
        info.x = 0;
        info.y = 0;
    }
    return *picture;
}

// One canvas for the layers cut to the document's frame: gray or colour as the document, with
// alpha unless alpha is dropped. Empty when nothing is cut.
Image MakeCanvas(const PsdDocument& document)
{
    Image canvas;
    if (option.pngTrim) {
        const int32_t merged_channels = document.merged.Channels();
        const int32_t channels = (option.pngNoAlpha ? 1 : 2) + (merged_channels >= 3 ? 2 : 0);
        canvas.Create(channels, document.merged.Width(), document.merged.Height());
    }
    return canvas;
}

// The path of every layer's PNG, in layer order. A path that an earlier layer of the document
// takes already (compared without regard to ASCII letter case, so that every platform gives the
// same names) becomes "NAME (2).png", "NAME (3).png", ..., the first that is still free.
std::vector<std::string> LayerOutputs(const PsdDocument& document)
{
    std::vector<std::string> outputs;
    std::set<std::string> taken;
    for (const PsdLayer& layer : document.layers) {
        const std::string path =
            document.base +
            LayerFileName(option.separator, option.serialNumber, layer.index, layer.info.title);
        std::string output = path;
        const std::string stem = path.substr(0, path.size() - 4);  // without ".png"
        for (int32_t n = 2; !taken.insert(sdk::files::LowerAsciiLetters(output)).second; ++n)
            output = sdk::files::Format("%s (%d).png", stem.c_str(), n);
        outputs.push_back(output);
    }
    return outputs;
}

void AddLayerStatusLine(ConvertContext& context, const PsdDocument& document,
                        const PsdLayer& layer, const std::string& output)
{
    AddStatusLine(context, sdk::files::Format(
                               "%s (%d) → %s", sdk::files::GetFileName(document.inputPath).c_str(),
                               layer.index + 1, sdk::files::GetFileName(output).c_str()));
}

// The layers' PNGs encoded in memory by several threads, each with its own canvas and scratch
// images; the caller takes them in layer order. Every image a thread reads is reached through a
// const reference, so no shared handle's count is touched.
class LayerEncoders {
public:
    LayerEncoders(const PsdDocument& document, int32_t threads) : document_(document)
    {
        results_.resize(document.layers.size());
        for (int32_t i = 0; i < threads; ++i) {
            try {
                threads_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break;  // the system gives no more threads: fewer encoders do the work
            }
        }
        if (threads_.empty())
            Work();  // none at all: encode everything here, ahead of the writes
    }
    ~LayerEncoders()
    {
        stop_ = true;
        for (std::thread& thread : threads_)
            thread.join();
    }
    LayerEncoders(const LayerEncoders&) = delete;
    LayerEncoders& operator=(const LayerEncoders&) = delete;

    // Waits for layer i; raises what its encoding raised.
    const std::vector<uint8_t>& Take(size_t i)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return results_[i].done; });
        if (results_[i].error)
            std::rethrow_exception(results_[i].error);
        return results_[i].bytes;
    }
    void Release(size_t i)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<uint8_t>().swap(results_[i].bytes);
    }

private:
    struct Result {
        std::vector<uint8_t> bytes;
        std::exception_ptr error;
        bool done = false;
    };

    void Work()
    {
        Image canvas, scratch;
        try {
            canvas = MakeCanvas(document_);
        } catch (...) {
        }
        for (size_t i = next_++; i < results_.size() && !stop_; i = next_++) {
            Result result;
            try {
                ImageInfo info;
                const Image& picture = LayerPicture(document_.layers[i], canvas, scratch, info);
                sdk::stream::buffer_io buffer;
                {
                    sdk::graphic::ImageSaverPNG saver(buffer);
                    ConfigurePngSaver(saver);
                    saver.Save(picture, info);
                }
                result.bytes = buffer.Bytes();
            } catch (...) {
                result.error = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                result.done = true;
                results_[i] = std::move(result);
            }
            done_.notify_all();
        }
    }

    const PsdDocument& document_;
    std::vector<Result> results_;
    std::vector<std::thread> threads_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable done_;
};

}  // namespace

void SaveLayerPngs(ConvertContext& context, const PsdDocument& document)
{
    const std::vector<std::string> outputs = LayerOutputs(document);
    const int32_t threads =
        std::min<int32_t>(option.layerEncoders, static_cast<int32_t>(document.layers.size()));
    if (threads <= 1) {
        Image canvas = MakeCanvas(document);
        Image scratch;
        for (size_t i = 0; i < document.layers.size(); ++i) {
            const PsdLayer& layer = document.layers[i];
            const std::string& output = outputs[i];
            AddLayerStatusLine(context, document, layer, output);
            ImageInfo info;
            const Image& picture = LayerPicture(layer, canvas, scratch, info);
            PrepareOutput(context, document.inputPath, output);
            SavePngInfo(picture, info, output);
            context.progress.StepIt();
        }
        return;
    }
    // The files are written in layer order on this thread, each after its status line, so the
    // lines, the files and the point where an error stops the document are those of the loop
    // above; only the encoding runs ahead on the other threads.
    LayerEncoders encoders(document, threads);
    for (size_t i = 0; i < document.layers.size(); ++i) {
        const PsdLayer& layer = document.layers[i];
        const std::string& output = outputs[i];
        AddLayerStatusLine(context, document, layer, output);
        const std::vector<uint8_t>& png = encoders.Take(i);
        PrepareOutput(context, document.inputPath, output);
        WriteOutputFile(output, [&](sdk::stream::stream_out& file) {
            file.Write(png.data(), static_cast<uint32_t>(png.size()));
        });
        encoders.Release(i);
        context.progress.StepIt();
    }
}
