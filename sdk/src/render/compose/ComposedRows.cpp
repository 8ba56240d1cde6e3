#include "render/compose/ComposedRows.h"

#include <algorithm>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"

namespace sdk {
namespace render {

namespace {

int32_t CheckedWidth(const graphic::ImageLoaderPSD& loader)
{
    const graphic::ImageLoaderPSD::info_t& merged = loader.MergedRecord();
    if (merged.width <= 0)
        throw debug::runtime_error("Image::Create:59");
    if (merged.height <= 0)
        throw debug::runtime_error("Image::Create:60");
    if (merged.width > graphic::kMaxRowWidth)
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:340");
    return merged.width;
}

int32_t CheckedFirstRow(int32_t firstRow, int32_t height)
{
    if (firstRow < 0 || firstRow > height)
        throw debug::logic_error("ComposedRows::ComposedRows:80");
    return firstRow;
}

// A unit value as a sample of 8 or 16 bits, clamped and rounded.
template <class Sample>
Sample ToSample(float value)
{
    const float most = sizeof(Sample) == 1 ? 255.0f : 65535.0f;
    return static_cast<Sample>(std::min(1.0f, std::max(0.0f, value)) * most + 0.5f);
}

template <class Sample>
void StoreStraight(const float* premultiplied, int32_t count, int32_t channels, Sample* out)
{
    for (int32_t x = 0; x < count; ++x) {
        const float* pixel = premultiplied + x * 4;
        const float alpha = pixel[3];
        const float unpremultiply = alpha > 0.0f ? 1.0f / alpha : 0.0f;
        Sample* target = out + x * channels;
        target[0] = ToSample<Sample>(alpha);
        if (channels == 2) {
            target[1] = ToSample<Sample>(pixel[0] * unpremultiply);
        } else {
            target[1] = ToSample<Sample>(pixel[2] * unpremultiply);
            target[2] = ToSample<Sample>(pixel[1] * unpremultiply);
            target[3] = ToSample<Sample>(pixel[0] * unpremultiply);
        }
    }
}

}  // namespace

void StoreStraightRow(const float* premultiplied, int32_t count, int32_t channels, uint8_t* out,
                      int32_t sampleBytes)
{
    if (sampleBytes == 2)
        StoreStraight(premultiplied, count, channels, reinterpret_cast<uint16_t*>(out));
    else
        StoreStraight(premultiplied, count, channels, out);
}

ComposedRows::ComposedRows(graphic::ImageLoaderPSD& loader) : ComposedRows(loader, 0) {}

ComposedRows::ComposedRows(graphic::ImageLoaderPSD& loader, int32_t firstRow)
    : width_(CheckedWidth(loader)), height_(loader.MergedRecord().height),
      firstRow_(CheckedFirstRow(firstRow, height_)), channels_(loader.Format().outputColors + 1),
      plan_(PlanLayers(loader, 0, width_, firstRow)),
      sampleBytes_(loader.Format().drawSixteen ? 2 : 1), compositor_(width_),
      row_(static_cast<size_t>(width_) * 4),
      pixels_(static_cast<size_t>(width_) * channels_ * sampleBytes_)
{
    if (firstRow_ == 0 || DrawsRowByRow(plan_)) {
        next_ = firstRow_;
        return;
    }
    // Rows that need the rows above them: the composition starts from the top, and the rows
    // above the first are composed and dropped.
    plan_ = PlanLayers(loader, 0, width_);
}

ComposedRows::~ComposedRows() = default;

const uint8_t* ComposedRows::NextRow()
{
    if (next_ >= height_)
        throw debug::logic_error("ComposedRows::NextRow");
    for (; next_ < firstRow_; ++next_) {
        std::fill(row_.begin(), row_.end(), 0.0f);
        compositor_.ComposeList(plan_, next_, row_.data());
    }
    std::fill(row_.begin(), row_.end(), 0.0f);
    compositor_.ComposeList(plan_, next_++, row_.data());
    StoreStraightRow(row_.data(), width_, channels_, pixels_.data(), sampleBytes_);
    return pixels_.data();
}

bool ComposesFromAnyRow(graphic::ImageLoaderPSD& loader)
{
    const std::vector<PlanNode> plan = PlanLayers(loader, 0, CheckedWidth(loader));
    return DrawsRowByRow(plan) && OpensAtAnyRow(plan, loader);
}

}  // namespace render
}  // namespace sdk
