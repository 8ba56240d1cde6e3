#include "graphic/png/PngRowFilter.h"

#include <png.h>

#include <cstring>

#include "graphic/png/PngFilterChoice.h"

namespace sdk {
namespace graphic {

namespace {

// PNG's sample order is Image's reversed, pixel by pixel.
template <int kChannels>
void Reorder8(const uint8_t* in, uint8_t* out, size_t pixels)
{
    for (size_t p = 0; p < pixels; ++p, in += kChannels, out += kChannels)
        for (int k = 0; k < kChannels; ++k)
            out[k] = in[kChannels - 1 - k];
}

// The same for samples of two bytes, which also go from the machine's order to big-endian.
template <int kChannels>
void Reorder16(const uint8_t* in, uint8_t* out, size_t pixels)
{
    for (size_t p = 0; p < pixels; ++p, in += 2 * kChannels, out += 2 * kChannels)
        for (int k = 0; k < kChannels; ++k) {
            uint16_t sample;
            std::memcpy(&sample, in + 2 * (kChannels - 1 - k), 2);
            out[2 * k] = static_cast<uint8_t>(sample >> 8);
            out[2 * k + 1] = static_cast<uint8_t>(sample);
        }
}

void Reorder(const PngDataLayout& layout, const uint8_t* in, uint8_t* out)
{
    const size_t pixels = static_cast<size_t>(layout.width);
    typedef void (*Function)(const uint8_t*, uint8_t*, size_t);
    static const Function k8[] = {Reorder8<1>, Reorder8<2>, Reorder8<3>, Reorder8<4>};
    static const Function k16[] = {Reorder16<1>, Reorder16<2>, Reorder16<3>, Reorder16<4>};
    (layout.sixteenBits ? k16 : k8)[layout.channels - 1](in, out, pixels);
}

uint8_t PaethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Writes row filtered with filter (a PNG_FILTER_* mask bit) to out; the bytes before the first
// pixel have zero to their left.
void Apply(int filter, const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp,
           uint8_t* out)
{
    const size_t lead = bpp < bytes ? bpp : bytes;
    switch (filter) {
        case PNG_FILTER_SUB:
            std::memcpy(out, row, lead);
            for (size_t i = lead; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]);
            break;
        case PNG_FILTER_UP:
            for (size_t i = 0; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(row[i] - above[i]);
            break;
        case PNG_FILTER_AVG:
            for (size_t i = 0; i < lead; ++i)
                out[i] = static_cast<uint8_t>(row[i] - above[i] / 2);
            for (size_t i = lead; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(row[i] - (row[i - bpp] + above[i]) / 2);
            break;
        case PNG_FILTER_PAETH:
            for (size_t i = 0; i < lead; ++i)
                out[i] = static_cast<uint8_t>(row[i] - above[i]);
            for (size_t i = lead; i < bytes; ++i)
                out[i] = static_cast<uint8_t>(
                    row[i] - PaethPredictor(row[i - bpp], above[i], above[i - bpp]));
            break;
        default:
            std::memcpy(out, row, bytes);
            break;
    }
}

// The filter type byte of a filter's mask bit.
uint8_t FilterType(int filter)
{
    switch (filter) {
        case PNG_FILTER_SUB:
            return PNG_FILTER_VALUE_SUB;
        case PNG_FILTER_UP:
            return PNG_FILTER_VALUE_UP;
        case PNG_FILTER_AVG:
            return PNG_FILTER_VALUE_AVG;
        case PNG_FILTER_PAETH:
            return PNG_FILTER_VALUE_PAETH;
        default:
            return PNG_FILTER_VALUE_NONE;
    }
}

}  // namespace

PngRowFilter::PngRowFilter(const PngDataLayout& layout)
    : layout_(layout), allowed_(layout.AllowedFilters()), filtered_(layout.FilteredRowBytes())
{
    // Rows that are never filtered need neither the row above nor a place of their own.
    if (allowed_ != PNG_FILTER_NONE) {
        current_.resize(layout.RowBytes());
        previous_.resize(layout.RowBytes());
    }
}

void PngRowFilter::Seed(const uint8_t* row)
{
    if (allowed_ != PNG_FILTER_NONE)
        Reorder(layout_, row, previous_.data());
}

const uint8_t* PngRowFilter::Filter(const uint8_t* row)
{
    if (allowed_ == PNG_FILTER_NONE) {
        filtered_[0] = PNG_FILTER_VALUE_NONE;
        Reorder(layout_, row, filtered_.data() + 1);
        return filtered_.data();
    }
    Reorder(layout_, row, current_.data());
    const size_t bytes = current_.size();
    const size_t bpp = layout_.BytesPerPixel();
    const int filter = ChooseRowFilter(current_.data(), previous_.data(), bytes, bpp, allowed_);
    filtered_[0] = FilterType(filter);
    Apply(filter, current_.data(), previous_.data(), bytes, bpp, filtered_.data() + 1);
    current_.swap(previous_);
    return filtered_.data();
}

}  // namespace graphic
}  // namespace sdk
