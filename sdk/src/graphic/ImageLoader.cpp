#include "graphic/ImageLoader.h"

#include "debug/Error.h"
#include "graphic/ImageLoaderBMP.h"
#include "graphic/ImageLoaderMNG.h"
#include "graphic/ImageLoaderPNG.h"
#include "graphic/ImageLoaderPSD.h"
#include "graphic/ImageRows.h"
#include "graphic/Signature.h"
#include "stream/StreamFile.h"

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

smart_ptr<ImageLoader> CreateLoader(stream::stream_in& stream, const ReadOptions& options)
{
    if (StartsWith(stream, "BM", 2))
        return smart_ptr<ImageLoader>(new ImageLoaderBMP(stream, options.extendedBmp));
    if (IsPNGSignature(stream))
        return smart_ptr<ImageLoader>(new ImageLoaderPNG(stream));
    if (IsMNGSignature(stream))
        return smart_ptr<ImageLoader>(new ImageLoaderMNG(stream));
    if (StartsWith(stream, "8BPS", 4))
        return smart_ptr<ImageLoader>(new ImageLoaderPSD(stream, options.extendedPsd));
    return smart_ptr<ImageLoader>();
}

void Load(Image& image, ImageInfo& info, stream::stream_in& stream, const ReadOptions& options)
{
    smart_ptr<ImageLoader> loader = CreateLoader(stream, options);
    if (loader.IsEmpty())
        throw debug::runtime_error("graphic::Load:48");
    loader->Load(image, info);
}

void Load(Image& image, stream::stream_in& stream, const ReadOptions& options)
{
    ImageInfo discarded;
    Load(image, discarded, stream, options);
}

void Load(Image& image, const std::string& path, const ReadOptions& options)
{
    stream::file_in file(path);
    file.OpenRead();
    Load(image, file, options);
}

}  // namespace graphic
}  // namespace sdk
