#include "graphic/ImageOperations.h"

#include <algorithm>
#include <cstring>

#include "debug/Error.h"
#include "graphic/Draw.h"

namespace sdk {
namespace graphic {

namespace {

inline void RequireValid(const Image& image, const char* tag)
{
    if (!image.IsValid())
        throw debug::logic_error(tag);
}

inline size_t PixelCount(const Image& image)
{
    return static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height());
}

}  // namespace

void Copy(Image& dst, const Image& src)
{
    RequireValid(src, "Copy:41");
    if (!SameFormat(dst, src))
        dst.Create(src.Channels(), src.Width(), src.Height());
    // dst and src may be handles on one raster.
    std::memmove(dst.Data(), src.Data(), static_cast<size_t>(src.Size()));
}

void InvertAlpha(Image& image)
{
    RequireValid(image, "InvertAlpha:61");
    if (!HasAlpha(image))
        return;
    const size_t channels = static_cast<size_t>(image.Channels());
    uint8_t* p = image.Data();
    for (size_t i = 0, n = PixelCount(image); i < n; ++i, p += channels)
        *p = static_cast<uint8_t>(255 - *p);
}

void RemoveMatte(Image& image)
{
    RequireValid(image, "RemoveMatte:231");
    const int32_t channels = image.Channels();
    uint8_t* row = image.Data();
    for (int32_t y = 0; y < image.Height(); ++y, row += image.Stride())
        RemoveMatteRow(row, channels, image.Width());
}

namespace {

template <class Sample, int64_t Most>
void RemoveMatteSamples(Sample* row, int32_t channels, int32_t width)
{
    if (channels != 2 && channels != 4)
        return;
    Sample* p = row;
    for (int32_t i = 0; i < width; ++i, p += channels) {
        const int64_t alpha = p[0];
        if (alpha == 0 || alpha == Most)
            continue;
        for (int32_t c = 1; c < channels; ++c) {
            const int64_t unblended = (p[c] + alpha - Most) * Most;
            p[c] = static_cast<Sample>(
                unblended <= 0 ? 0 : std::min<int64_t>(Most, (unblended + alpha / 2) / alpha));
        }
    }
}

}  // namespace

void RemoveMatteRow(uint8_t* row, int32_t channels, int32_t width)
{
    RemoveMatteSamples<uint8_t, 255>(row, channels, width);
}

void RemoveMatteRow16(uint16_t* row, int32_t channels, int32_t width)
{
    RemoveMatteSamples<uint16_t, 65535>(row, channels, width);
}

Image ExtractAlpha(const Image& image)
{
    RequireValid(image, "ExtractAlpha:114");
    Image result(1, image.Width(), image.Height());
    uint8_t* d = result.Data();
    const size_t n = PixelCount(image);
    if (!HasAlpha(image)) {
        std::memset(d, 255, n);
        return result;
    }
    const size_t channels = static_cast<size_t>(image.Channels());
    const uint8_t* s = image.Data();
    for (size_t i = 0; i < n; ++i, s += channels)
        d[i] = *s;
    return result;
}

Image ExtractColor(const Image& image)
{
    RequireValid(image, "ExtractColor:137");
    return Convert(image, HasAlpha(image) ? image.Channels() - 1 : image.Channels());
}

void ChangeAlpha(Image& image, const Image& alpha)
{
    RequireValid(image, "ChangeAlpha:156");
    RequireValid(alpha, "ChangeAlpha:157");
    if (!HasAlpha(image))
        return;

    Image source = alpha;
    if (alpha.Channels() != 1 || alpha.Width() != image.Width() ||
        alpha.Height() != image.Height()) {
        source = Image(1, image.Width(), image.Height());
        std::memset(source.Data(), 255, static_cast<size_t>(source.Size()));
        Draw(source, alpha);
    }

    const size_t channels = static_cast<size_t>(image.Channels());
    const uint8_t* s = static_cast<const Image&>(source).Data();
    uint8_t* d = image.Data();
    for (size_t i = 0, n = PixelCount(image); i < n; ++i, d += channels)
        *d = s[i];
}

Image Merge(const Image& color, const Image& alpha)
{
    RequireValid(color, "Merge:188");
    RequireValid(alpha, "Merge:189");
    const int32_t channels = HasAlpha(color) ? color.Channels() : color.Channels() + 1;
    Image result = Convert(color, channels);
    ChangeAlpha(result, alpha);
    return result;
}

Image Convert(const Image& image, int32_t channels)
{
    RequireValid(image, "Convert:41");
    Image result(channels, image.Width(), image.Height());
    if (channels == image.Channels())
        Copy(result, image);
    else
        Draw(result, image);
    return result;
}

}  // namespace graphic
}  // namespace sdk
