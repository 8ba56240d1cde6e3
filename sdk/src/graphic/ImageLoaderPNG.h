// Placeholder: the PNG reader is being written.
#pragma once

#include "debug/Error.h"
#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderPNG : public ImageLoader {
public:
    explicit ImageLoaderPNG(stream::stream_in& stream) : stream_(stream)
    {
        throw debug::runtime_error("ImageLoaderPNG: not built yet");
    }
    const char* FormatName() const override { return "PNG"; }
    void Load(Image&, ImageInfo&) override {}

private:
    stream::stream_in& stream_;
};

}  // namespace graphic
}  // namespace sdk

namespace sdk {
namespace graphic {
inline bool IsPNGSignature(stream::stream_in&) { return false; }
}  // namespace graphic
}  // namespace sdk
