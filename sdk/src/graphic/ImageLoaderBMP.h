// Placeholder: the BMP reader is being written.
#pragma once

#include "debug/Error.h"
#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderBMP : public ImageLoader {
public:
    explicit ImageLoaderBMP(stream::stream_in& stream) : stream_(stream)
    {
        throw debug::runtime_error("ImageLoaderBMP: not built yet");
    }
    const char* FormatName() const override { return "BMP"; }
    void Load(Image&, ImageInfo&) override {}

private:
    stream::stream_in& stream_;
};

}  // namespace graphic
}  // namespace sdk
