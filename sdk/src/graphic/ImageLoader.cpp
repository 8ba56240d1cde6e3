#include "graphic/ImageLoader.h"

#include "graphic/ImageRows.h"

namespace sdk {
namespace graphic {

std::unique_ptr<RowSource> ImageLoader::Rows()
{
    Image image;
    ImageInfo info;
    Load(image, info);
    return std::unique_ptr<RowSource>(new ImageRows(image));
}

std::unique_ptr<RowSource> ImageLoader::LayerRows(int32_t index)
{
    Image image;
    LayerLoad(index, image);
    return std::unique_ptr<RowSource>(new ImageRows(image));
}

}  // namespace graphic
}  // namespace sdk
