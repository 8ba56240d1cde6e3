#include "render/LayerLook.h"

#include <algorithm>

namespace sdk {
namespace render {

namespace {

// Shape and fill layers that store pixels have their vector mask drawn into them already.
bool HasVectorShapeInPixels(const graphic::ImageLoaderPSD::info_t& record)
{
    using Kind = graphic::PsdLayerProperties::Kind;
    const Kind kind = record.properties.kind;
    return (kind == Kind::Shape || kind == Kind::Fill) && !LayerLook::DrawsFill(record);
}

}  // namespace

bool LayerLook::DrawsFill(const graphic::ImageLoaderPSD::info_t& record)
{
    const graphic::PsdLayerProperties& properties = record.properties;
    if (!properties.hasFillColour && !FillBlock(properties))
        return false;
    if (record.width <= 0 || record.height <= 0)
        return true;
    // The pixels the editor stores for a shape do not show its vector mask's density or
    // feather; the editor draws the shape from its fill then.
    if (properties.hasVectorMask && !properties.vectorMask.disabled &&
        (properties.mask.vectorDensity < 255 || properties.mask.vectorFeather > 0))
        return true;
    // Every colour and transparency channel holds its compression field alone.
    for (const graphic::ImageLoaderPSD::info_t::channel_t& channel : record.channels) {
        if (channel.storedId >= -1 && channel.length > 2)
            return false;
    }
    return true;
}

bool LayerLook::Draws(const graphic::ImageLoaderPSD::info_t& record)
{
    return DrawsFill(record) || (record.width > 0 && record.height > 0);
}

LayerLook::LayerLook(graphic::ImageLoaderPSD& loader, int32_t index, int32_t left, int32_t width,
                     PatternTiles& tiles, int32_t firstRow)
    : index_(index), left_(left), width_(width),
      record_(loader.LayerRecord(index)), fill_(DrawsFill(record_)),
      pixels_(
          [&loader, index](int32_t first) {
              return loader.Format().drawSixteen ? loader.LayerRows16(index, first)
                                                 : loader.LayerRows(index, first);
          },
          record_.height, OnDemandRows::StartOf(firstRow, record_.y, record_.height))
{
    if (fill_ && FillBlock(record_.properties)) {
        paint_ = ReadFillPaint(loader, index, tiles);
        paintless_ = !paint_;
        if (paint_)
            paintRow_.resize(static_cast<size_t>(std::max(width, 0)) * 4);
    }
    const Span columns = Columns();
    if (!columns.Empty())
        masks_.reset(new MaskCoverage(loader, index, left + columns.from,
                                      columns.to - columns.from,
                                      !HasVectorShapeInPixels(record_), firstRow));
}

bool LayerLook::OpensAtAnyRow(const graphic::ImageLoaderPSD& loader) const
{
    return (fill_ || loader.OpensAtAnyRow(index_)) && (!masks_ || masks_->OpensAtAnyRow(loader));
}

LayerLook::~LayerLook() = default;

Span LayerLook::Columns() const
{
    if (fill_)
        return Span{0, width_};
    const int64_t from = std::max<int64_t>(left_, record_.x);
    const int64_t to = std::min<int64_t>(static_cast<int64_t>(left_) + width_,
                                         static_cast<int64_t>(record_.x) + record_.width);
    Span span;
    if (from < to && record_.height > 0) {
        span.from = static_cast<int32_t>(from - left_);
        span.to = static_cast<int32_t>(to - left_);
    }
    return span;
}

bool LayerLook::Opaque() const
{
    if (fill_ || (masks_ && masks_->Any()))
        return false;
    for (const graphic::ImageLoaderPSD::info_t::channel_t& channel : record_.channels) {
        if (channel.id == 0xFFFF)
            return false;
    }
    return record_.width > 0 && record_.height > 0;
}

namespace {

// The unit of a sample: 8 or 16 bits.
template <class Sample>
constexpr float kToUnit = 1.0f / 255.0f;
template <>
constexpr float kToUnit<uint16_t> = 1.0f / 65535.0f;

// Writes content (premultiplied RGBA) for count pixels of one layout: colour times the alpha
// scale[x] (Scaled) or the constant alpha.
template <class Sample, int Channels, bool Scaled>
void StoreContent(const Sample* __restrict pixels, int32_t count,
                  const float* __restrict scale, float constant, float* __restrict content)
{
    const float toUnit = kToUnit<Sample>;
    const int first = Channels == 2 || Channels == 4 ? 1 : 0;
    for (int32_t x = 0; x < count; ++x) {
        const Sample* pixel = pixels + x * Channels;
        const float alpha = Scaled ? scale[x] : constant;
        const float factor = alpha * toUnit;
        float* out = content + x * 4;
        if (Channels <= 2) {
            const float gray = pixel[first] * factor;
            out[0] = gray;
            out[1] = gray;
            out[2] = gray;
        } else {
            out[0] = pixel[first + 2] * factor;
            out[1] = pixel[first + 1] * factor;
            out[2] = pixel[first] * factor;
        }
        out[3] = alpha;
    }
}

template <class Sample, int Channels>
void StoreContent(const Sample* pixels, int32_t count, const float* scale, float constant,
                  float* content)
{
    if (scale)
        StoreContent<Sample, Channels, true>(pixels, count, scale, constant, content);
    else
        StoreContent<Sample, Channels, false>(pixels, count, scale, constant, content);
}

// Content and coverage in one pass for pixels with alpha and no mask: the alpha sample times
// strength.
template <class Sample, int Channels>
void StoreCutContent(const Sample* __restrict pixels, int32_t count, float strength,
                     float* __restrict coverage, float* __restrict content)
{
    const float toUnit = kToUnit<Sample>;
    const float alphaScale = strength * toUnit;
    for (int32_t x = 0; x < count; ++x) {
        const Sample* pixel = pixels + x * Channels;
        const float alpha = pixel[0] * alphaScale;
        const float factor = alpha * toUnit;
        float* out = content + x * 4;
        if (Channels == 2) {
            const float gray = pixel[1] * factor;
            out[0] = gray;
            out[1] = gray;
            out[2] = gray;
        } else {
            out[0] = pixel[3] * factor;
            out[1] = pixel[2] * factor;
            out[2] = pixel[1] * factor;
        }
        out[3] = alpha;
        coverage[x] = alpha;
    }
}

// The coverage of count pixels from their alpha samples, channels apart.
template <class Sample>
void StoreAlpha(const Sample* __restrict pixels, int32_t count, int32_t channels,
                float* __restrict coverage)
{
    for (int32_t x = 0; x < count; ++x)
        coverage[x] = pixels[x * channels] * kToUnit<Sample>;
}

}  // namespace

Span LayerLook::Row(int32_t y, float strength, bool cut, float* content, float* coverage)
{
    if (fill_) {
        if (paintless_ || width_ <= 0)
            return Span();
        const float* paint = paint_ ? paintRow_.data() : nullptr;
        float colour[3];
        for (int i = 0; i < 3; ++i)
            colour[i] = record_.properties.fillColour[i] / 255.0f;
        if (paint) {
            paint_->Row(y, left_, width_, paintRow_.data());
            for (int32_t x = 0; x < width_; ++x)
                coverage[x] = paint[x * 4 + 3];
        } else {
            std::fill(coverage, coverage + width_, 1.0f);
        }
        masks_->Apply(y, coverage, 0, width_);
        for (int32_t x = 0; x < width_; ++x) {
            if (cut)
                coverage[x] *= strength;
            // Without cut the content's alpha is strength alone: the paint's own alpha is part
            // of the coverage.
            const float alpha = cut ? coverage[x] : strength;
            const float* from = paint ? paint + x * 4 : colour;
            for (int i = 0; i < 3; ++i)
                content[x * 4 + i] = from[i] * alpha;
            content[x * 4 + 3] = alpha;
        }
        return Span{0, width_};
    }
    const int64_t row = static_cast<int64_t>(y) - record_.y;
    const Span span = Columns();
    if (row < 0 || row >= record_.height || span.Empty())
        return Span();
    const uint8_t* pixels = pixels_.Row(row);
    if (!pixels)
        return Span();

    if (pixels_.SampleBytes() == 2)
        return PixelRow(y, reinterpret_cast<const uint16_t*>(pixels), span, strength, cut, content,
                        coverage);
    return PixelRow(y, pixels, span, strength, cut, content, coverage);
}

template <class Sample>
Span LayerLook::PixelRow(int32_t y, const Sample* pixels, Span span, float strength, bool cut,
                         float* content, float* coverage)
{
    // Layouts: G, A G, B G R, A B G R; alpha first when there is one.
    const int32_t channels = pixels_.Channels();
    const bool alpha = channels == 2 || channels == 4;
    const int32_t count = span.to - span.from;
    const Sample* first =
        pixels + (static_cast<int64_t>(left_) + span.from - record_.x) * channels;
    float* cover = coverage + span.from;
    float* out = content + span.from * 4;
    if (cut && alpha && !masks_->Any()) {
        if (channels == 2)
            StoreCutContent<Sample, 2>(first, count, strength, cover, out);
        else
            StoreCutContent<Sample, 4>(first, count, strength, cover, out);
        return span;
    }
    if (alpha)
        StoreAlpha(first, count, channels, cover);
    else
        std::fill(cover, cover + count, 1.0f);
    if (masks_->Any())
        masks_->Apply(y, cover, 0, count);
    // Cut: the colour's alpha is the coverage times strength; otherwise strength alone.
    const bool opaque = !alpha && !masks_->Any();
    if (cut && strength != 1.0f) {
        for (int32_t x = 0; x < count; ++x)
            cover[x] *= strength;
    }
    const float* scale = cut && !opaque ? cover : nullptr;
    switch (channels) {
    case 1: StoreContent<Sample, 1>(first, count, scale, strength, out); break;
    case 2: StoreContent<Sample, 2>(first, count, scale, strength, out); break;
    case 3: StoreContent<Sample, 3>(first, count, scale, strength, out); break;
    default: StoreContent<Sample, 4>(first, count, scale, strength, out); break;
    }
    return span;
}

}  // namespace render
}  // namespace sdk
