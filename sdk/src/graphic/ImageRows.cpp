#include "graphic/ImageRows.h"

#include <cstring>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

ImageRows::ImageRows(const Image& image) : image_(image)
{
    if (!image_.IsValid())
        throw debug::logic_error("ImageRows::ImageRows:20");
}

const uint8_t* ImageRows::NextRow()
{
    if (next_ >= image_.Height())
        throw debug::logic_error("ImageRows::NextRow:26");
    const uint8_t* row = image_.Data() + static_cast<size_t>(image_.Stride()) * next_;
    ++next_;
    return row;
}

void ReadAllRows(RowSource& source, Image& image)
{
    image.Create(source.Channels(), source.Width(), source.Height());
    uint8_t* row = image.Data();
    const size_t stride = static_cast<size_t>(image.Stride());
    for (int32_t y = 0; y < image.Height(); ++y, row += stride)
        std::memcpy(row, source.NextRow(), stride);
}

}  // namespace graphic
}  // namespace sdk
