#include "graphic/dispatch/LoaderDispatch.h"

#include "debug/Error.h"
#include "graphic/Signature.h"
#include "graphic/bmp/ImageLoaderBMP.h"
#include "graphic/png/ImageLoaderMNG.h"
#include "graphic/png/ImageLoaderPNG.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

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
