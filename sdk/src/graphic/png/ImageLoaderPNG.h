// The PNG reader. Decodes anything libpng accepts into an image of 1 to 4 bytes per pixel at
// 8 bits per channel, and reports the oFFs offset (in pixels) and the texts "Title", "Comment"
// and "Mode" (from tEXt, zTXt or iTXt, whichever libpng found). Its decoder s_LoadPNG also
// serves the MNG reader for the embedded datastreams.
#pragma once

#include "graphic/ImageLoader.h"

namespace sdk {
namespace graphic {

class ImageLoaderPNG : public ImageLoader {
public:
    explicit ImageLoaderPNG(stream::stream_in& stream);
    ~ImageLoaderPNG() override;
    const char* FormatName() const override;
    // Raises "ImageLoaderPNG::Load:53" when the file does not start with the PNG signature.
    void Load(Image& image, ImageInfo& info) override;

    // Decodes one PNG datastream whose 8 signature bytes are already consumed, starting at the
    // stream's position. Fields of info that the datastream does not speak of keep their values.
    static void s_LoadPNG(stream::stream_in& stream, Image& image, ImageInfo& info);

private:
    stream::stream_in& stream;
};

// True when the stream starts with the 8 bytes of the PNG signature; false for a shorter
// stream. Leaves the stream after the bytes read.
bool IsPNGSignature(stream::stream_in& stream);

}  // namespace graphic
}  // namespace sdk
