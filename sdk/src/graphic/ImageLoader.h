// The one reader interface. A reader is built on an input stream, which it does not own and
// which must outlive it; it examines the file at construction and hands out the main image and,
// for layered formats, the images of the layers, each with its ImageInfo. The kind of reader is
// chosen from the file's first bytes, never from its name (dispatch/LoaderDispatch.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/RowSource.h"
#include "smart_ptr/SmartPtr.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

class ImageLoader {
public:
    virtual ~ImageLoader() = default;
    // "BMP", "PNG", "MNG" or "PSD".
    virtual const char* FormatName() const = 0;
    // Decodes the main image (replacing what image held) and describes it.
    virtual void Load(Image& image, ImageInfo& info) = 0;
    // Number of layers (frames); 0 for single-image formats.
    virtual int32_t LayerCount() { return 0; }
    // Decodes layer index (0-based, in file order).
    virtual void LayerLoad(int32_t index, Image& image)
    {
        (void)index;
        (void)image;
    }
    // Describes layer index.
    virtual void LayerInfo(int32_t index, ImageInfo& info)
    {
        (void)index;
        (void)info;
    }
    // The main image and layer index as sources of rows, with the errors of Load and LayerLoad.
    // A reader that decodes whole images hands out the rows of a loaded image; the PSD reader
    // decodes each row as it is asked for, and its sources may be used on different threads at
    // once. A source must not outlive its reader.
    virtual std::unique_ptr<RowSource> Rows();
    virtual std::unique_ptr<RowSource> LayerRows(int32_t index);

protected:
    ImageLoader() = default;
    ImageLoader(const ImageLoader&) = delete;
    ImageLoader& operator=(const ImageLoader&) = delete;
};

}  // namespace graphic
}  // namespace sdk
