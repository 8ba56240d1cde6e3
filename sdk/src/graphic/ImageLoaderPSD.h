// Placeholder: the PSD reader is being written.
#pragma once

#include "debug/Error.h"
#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderPSD : public ImageLoader {
public:
    explicit ImageLoaderPSD(stream::stream_in& stream) : stream_(stream)
    {
        throw debug::runtime_error("ImageLoaderPSD: not built yet");
    }
    const char* FormatName() const override { return "PSD"; }
    void Load(Image&, ImageInfo&) override {}

private:
    stream::stream_in& stream_;
};

}  // namespace graphic
}  // namespace sdk
