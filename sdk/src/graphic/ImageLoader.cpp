#include "graphic/ImageLoader.h"

#include <cstring>

#include "debug/Error.h"
#include "graphic/ImageLoaderBMP.h"
#include "graphic/ImageLoaderMNG.h"
#include "graphic/ImageLoaderPNG.h"
#include "graphic/ImageLoaderPSD.h"
#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

namespace {

// True when the file starts with the bytes of signature. A file too short to hold them never
// matches, since bytes that were not read have no value.
bool StartsWith(stream::stream_in& stream, const char* signature, uint32_t length)
{
    stream.SetPos(0);
    if (stream.GetRemain() < length)
        return false;
    char head[8] = {};
    stream.Read(head, length);
    return memcmp(head, signature, length) == 0;
}

}  // namespace

smart_ptr<ImageLoader> CreateLoader(stream::stream_in& stream)
{
    if (StartsWith(stream, "BM", 2))
        return smart_ptr<ImageLoader>(new ImageLoaderBMP(stream));
    if (IsPNGSignature(stream))
        return smart_ptr<ImageLoader>(new ImageLoaderPNG(stream));
    if (IsMNGSignature(stream))
        return smart_ptr<ImageLoader>(new ImageLoaderMNG(stream));
    if (StartsWith(stream, "8BPS", 4))
        return smart_ptr<ImageLoader>(new ImageLoaderPSD(stream));
    return smart_ptr<ImageLoader>();
}

void Load(Image& image, ImageInfo& info, stream::stream_in& stream)
{
    smart_ptr<ImageLoader> loader = CreateLoader(stream);
    if (loader.IsEmpty())
        throw debug::runtime_error("graphic::Load:48");
    loader->Load(image, info);
}

void Load(Image& image, stream::stream_in& stream)
{
    ImageInfo discarded;
    Load(image, discarded, stream);
}

void Load(Image& image, const std::string& path)
{
    stream::file_in file(path);
    file.OpenRead();
    Load(image, file);
}

}  // namespace graphic
}  // namespace sdk
