#include "graphic/Image.h"

#include "debug/Error.h"
#include "graphic/ImageLimits.h"

namespace sdk {
namespace graphic {

Image::impl::impl(int32_t c, int32_t w, int32_t h)
    : channels(c),
      width(w),
      height(h),
      stride(c * w),
      size(c * w * h),
      buffer(new uint8_t[static_cast<size_t>(size) + 7]())
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(buffer.get());
    data = buffer.get() + ((8 - address % 8) % 8);
}

Image::Image() : impl_(new impl()) {}

Image::Image(int32_t channels, int32_t width, int32_t height) : Image()
{
    Create(channels, width, height);
}

Image::~Image() = default;

void CheckImageShape(int32_t channels, int32_t width, int32_t height)
{
    if (channels < 1 || channels > 4)
        throw debug::runtime_error("Image::Create:58");
    if (width < 1)
        throw debug::runtime_error("Image::Create:59");
    if (height < 1)
        throw debug::runtime_error("Image::Create:60");
}

void Image::Create(int32_t channels, int32_t width, int32_t height)
{
    CheckImageShape(channels, width, height);
    const int64_t size = int64_t{channels} * width * height;
    if (size > kMaxImageBytes)
        throw debug::runtime_error("Image::Create:61");

    // Build the new raster completely before letting go of the old one.
    smart_ptr<impl> fresh(new impl(channels, width, height));
    impl_ = std::move(fresh);
}

void Image::Release()
{
    impl_ = smart_ptr<impl>(new impl());
}

int32_t Image::Channels() const { return impl_->channels; }
int32_t Image::Width() const { return impl_->width; }
int32_t Image::Height() const { return impl_->height; }
int32_t Image::Stride() const { return impl_->stride; }
int32_t Image::Size() const { return impl_->size; }
bool Image::IsValid() const { return impl_->channels != 0; }

uint8_t* Image::Data()
{
    uint8_t* data = impl_->data;
    if (data == nullptr)
        throw debug::logic_error("Image::Data:79");
    return data;
}

const uint8_t* Image::Data() const
{
    const uint8_t* data = impl_->data;
    if (data == nullptr)
        throw debug::logic_error("Image::Data:84");
    return data;
}

uint8_t* Pixel(Image& image, int32_t x, int32_t y)
{
    return image.Data() + static_cast<ptrdiff_t>(image.Channels()) * x +
           static_cast<ptrdiff_t>(image.Stride()) * y;
}

const uint8_t* Pixel(const Image& image, int32_t x, int32_t y)
{
    return image.Data() + static_cast<ptrdiff_t>(image.Channels()) * x +
           static_cast<ptrdiff_t>(image.Stride()) * y;
}

bool SameFormat(const Image& a, const Image& b)
{
    return a.Channels() == b.Channels() && a.Width() == b.Width() && a.Height() == b.Height();
}

bool HasAlpha(const Image& image)
{
    return image.Channels() % 2 == 0;
}

}  // namespace graphic
}  // namespace sdk
