// Whole images and row sources, each as the other: an Image handed out row by row, and a
// source's rows gathered into an Image.
#pragma once

#include <memory>

#include "graphic/Image.h"
#include "graphic/RowSource.h"

namespace sdk {
namespace graphic {

// The rows of an image, straight from its raster; the image is shared, not copied.
class ImageRows : public RowSource {
public:
    // Raises "ImageRows::ImageRows:20" for an invalid image.
    explicit ImageRows(const Image& image);
    int32_t Channels() const override { return image_.Channels(); }
    int32_t Width() const override { return image_.Width(); }
    int32_t Height() const override { return image_.Height(); }
    const uint8_t* NextRow() override;

private:
    const Image image_;
    int32_t next_ = 0;
};

// Every row of source in a new image of its size and layout (created before the first row is
// asked for, so its size limit is checked first).
void ReadAllRows(RowSource& source, Image& image);

}  // namespace graphic
}  // namespace sdk
