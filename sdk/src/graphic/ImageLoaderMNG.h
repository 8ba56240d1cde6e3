// Placeholder: the MNG reader is being written.
#pragma once

#include "debug/Error.h"
#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderMNG : public ImageLoader {
public:
    explicit ImageLoaderMNG(stream::stream_in& stream) : stream_(stream)
    {
        throw debug::runtime_error("ImageLoaderMNG: not built yet");
    }
    const char* FormatName() const override { return "MNG"; }
    void Load(Image&, ImageInfo&) override {}

private:
    stream::stream_in& stream_;
};

}  // namespace graphic
}  // namespace sdk

namespace sdk {
namespace graphic {
inline bool IsMNGSignature(stream::stream_in&) { return false; }
}  // namespace graphic
}  // namespace sdk
