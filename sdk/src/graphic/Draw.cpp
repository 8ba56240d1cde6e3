#include "graphic/Draw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace sdk {
namespace graphic {

namespace {

// One clipped transfer: both pointers address the top-left pixel of the block.
struct Transfer {
    uint8_t* dst;
    const uint8_t* src;
    int32_t dst_channels;
    int32_t src_channels;
    ptrdiff_t dst_stride;
    ptrdiff_t src_stride;
    int32_t width;
    int32_t height;
};

inline uint8_t Luminance(const uint8_t* bgr)
{
    return static_cast<uint8_t>((bgr[2] * 76 + bgr[1] * 150 + bgr[0] * 30) >> 8);
}

// Converts one pixel from layout S to layout D (channel counts).
template <int D, int S>
inline void ConvertPixel(uint8_t* d, const uint8_t* s);

template <> inline void ConvertPixel<1, 2>(uint8_t* d, const uint8_t* s) { d[0] = s[1]; }
template <> inline void ConvertPixel<1, 3>(uint8_t* d, const uint8_t* s) { d[0] = Luminance(s); }
template <> inline void ConvertPixel<1, 4>(uint8_t* d, const uint8_t* s)
{
    d[0] = Luminance(s + 1);
}

template <> inline void ConvertPixel<2, 1>(uint8_t* d, const uint8_t* s)
{
    d[0] = 255;
    d[1] = s[0];
}
template <> inline void ConvertPixel<2, 3>(uint8_t* d, const uint8_t* s)
{
    d[0] = 255;
    d[1] = Luminance(s);
}
template <> inline void ConvertPixel<2, 4>(uint8_t* d, const uint8_t* s)
{
    d[0] = s[0];
    d[1] = Luminance(s + 1);
}

template <> inline void ConvertPixel<3, 1>(uint8_t* d, const uint8_t* s)
{
    d[0] = d[1] = d[2] = s[0];
}
template <> inline void ConvertPixel<3, 2>(uint8_t* d, const uint8_t* s)
{
    d[0] = d[1] = d[2] = s[1];
}
template <> inline void ConvertPixel<3, 4>(uint8_t* d, const uint8_t* s)
{
    d[0] = s[1];
    d[1] = s[2];
    d[2] = s[3];
}

template <> inline void ConvertPixel<4, 1>(uint8_t* d, const uint8_t* s)
{
    d[0] = 255;
    d[1] = d[2] = d[3] = s[0];
}
template <> inline void ConvertPixel<4, 2>(uint8_t* d, const uint8_t* s)
{
    d[0] = s[0];
    d[1] = d[2] = d[3] = s[1];
}
template <> inline void ConvertPixel<4, 3>(uint8_t* d, const uint8_t* s)
{
    d[0] = 255;
    d[1] = s[0];
    d[2] = s[1];
    d[3] = s[2];
}

// Same layout: whole rows at a time. memmove, because Draw(image, image, ...) hands both
// pointers into one raster.
void CopyRows(const Transfer& t)
{
    const size_t bytes = static_cast<size_t>(t.width) * static_cast<size_t>(t.dst_channels);
    uint8_t* d = t.dst;
    const uint8_t* s = t.src;
    for (int32_t y = 0; y < t.height; ++y, d += t.dst_stride, s += t.src_stride)
        std::memmove(d, s, bytes);
}

template <int D, int S>
void ConvertRows(const Transfer& t)
{
    uint8_t* drow = t.dst;
    const uint8_t* srow = t.src;
    for (int32_t y = 0; y < t.height; ++y, drow += t.dst_stride, srow += t.src_stride) {
        uint8_t* d = drow;
        const uint8_t* s = srow;
        for (int32_t x = 0; x < t.width; ++x, d += D, s += S)
            ConvertPixel<D, S>(d, s);
    }
}

using Kernel = void (*)(const Transfer&);

// kernels[dst channels - 1][src channels - 1]
const Kernel kernels[4][4] = {
    {CopyRows, ConvertRows<1, 2>, ConvertRows<1, 3>, ConvertRows<1, 4>},
    {ConvertRows<2, 1>, CopyRows, ConvertRows<2, 3>, ConvertRows<2, 4>},
    {ConvertRows<3, 1>, ConvertRows<3, 2>, CopyRows, ConvertRows<3, 4>},
    {ConvertRows<4, 1>, ConvertRows<4, 2>, ConvertRows<4, 3>, CopyRows},
};

}  // namespace

void Draw(Image& dst, const Image& src, int32_t dst_x, int32_t dst_y, int32_t width,
          int32_t height, int32_t src_x, int32_t src_y)
{
    if (!dst.IsValid() || !src.IsValid())
        return;

    // 64-bit so that coordinates anywhere in the int32 range cannot overflow.
    int64_t dx = dst_x, dy = dst_y, w = width, h = height, sx = src_x, sy = src_y;
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (dx < 0) {
        w += dx;
        sx -= dx;
        dx = 0;
    }
    if (dy < 0) {
        h += dy;
        sy -= dy;
        dy = 0;
    }
    w = std::min({w, int64_t{dst.Width()} - dx, int64_t{src.Width()} - sx});
    h = std::min({h, int64_t{dst.Height()} - dy, int64_t{src.Height()} - sy});
    if (w <= 0 || h <= 0)
        return;

    // Here 0 <= dx < dst width, 0 <= sx < src width and likewise for y, so the values fit.
    Transfer t;
    t.dst_channels = dst.Channels();
    t.src_channels = src.Channels();
    t.dst_stride = dst.Stride();
    t.src_stride = src.Stride();
    t.dst = dst.Data() + t.dst_stride * dy + t.dst_channels * dx;
    t.src = src.Data() + t.src_stride * sy + t.src_channels * sx;
    t.width = static_cast<int32_t>(w);
    t.height = static_cast<int32_t>(h);
    kernels[t.dst_channels - 1][t.src_channels - 1](t);
}

void Draw(Image& dst, const Image& src, int32_t dx, int32_t dy)
{
    Draw(dst, src, dx, dy, src.Width(), src.Height(), 0, 0);
}

void Draw(Image& dst, const Image& src)
{
    Draw(dst, src, 0, 0);
}

void ConvertRow(uint8_t* dst, int32_t dstChannels, const uint8_t* src, int32_t srcChannels,
                int32_t width)
{
    if (width <= 0)
        return;
    Transfer t;
    t.dst = dst;
    t.src = src;
    t.dst_channels = dstChannels;
    t.src_channels = srcChannels;
    t.dst_stride = 0;
    t.src_stride = 0;
    t.width = width;
    t.height = 1;
    kernels[dstChannels - 1][srcChannels - 1](t);
}

void ConvertRow16(uint16_t* dst, int32_t dstChannels, const uint16_t* src, int32_t srcChannels,
                  int32_t width)
{
    const bool srcAlpha = srcChannels % 2 == 0, dstAlpha = dstChannels % 2 == 0;
    for (int32_t x = 0; x < width; ++x, src += srcChannels, dst += dstChannels) {
        const uint16_t alpha = srcAlpha ? src[0] : 65535;
        const uint16_t* colour = src + (srcAlpha ? 1 : 0);
        uint16_t bgr[3] = {colour[0], colour[0], colour[0]};
        if (srcChannels >= 3)
            std::copy(colour, colour + 3, bgr);
        uint16_t* out = dst;
        if (dstAlpha)
            *out++ = alpha;
        if (dstChannels >= 3)
            std::copy(bgr, bgr + 3, out);
        else  // as Luminance weighs them
            out[0] = static_cast<uint16_t>((bgr[2] * 76 + bgr[1] * 150 + bgr[0] * 30) >> 8);
    }
}

}  // namespace graphic
}  // namespace sdk
