#include "render/FillPaint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "graphic/psd/PsdDescriptor.h"
#include "render/PatternTile.h"
#include "render/adjust/GradientRamp.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

using graphic::PsdDescriptorValue;

const double kPi = 3.14159265358979323846;

// A value in -0.5 .. 0.5 that depends only on the pixel: the dither of a gradient is the same
// for the same document whatever part of it is drawn.
float Noise(int32_t x, int32_t y)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return static_cast<float>(h >> 8) / static_cast<float>(1 << 24) - 0.5f;
}

class GradientPaint : public FillPaint {
public:
    using Style = GradientSettings::Style;

    GradientPaint(GradientSettings settings, const FillBox& box)
        : ramp_(std::move(settings.ramp)),
          style_(settings.style),
          reverse_(settings.reverse),
          dither_(settings.dither)
    {
        const double width = box.right - box.left, height = box.bottom - box.top;
        centreX_ = (box.left + box.right) / 2 + settings.offsetX / 100 * width;
        centreY_ = (box.top + box.bottom) / 2 + settings.offsetY / 100 * height;
        const double radians = settings.angle * kPi / 180;
        cos_ = std::cos(radians);
        sin_ = -std::sin(radians);  // rows run down
        // The gradient runs along the line through the box's centre at its angle, from edge to
        // edge of the box, times its scale.
        double length = std::numeric_limits<double>::max();
        if (std::fabs(cos_) > 1e-9)
            length = std::min(length, width / std::fabs(cos_));
        if (std::fabs(sin_) > 1e-9)
            length = std::min(length, height / std::fabs(sin_));
        length_ = std::max(length * settings.scale / 100, 1e-6);
    }

    void Row(int32_t y, int32_t left, int32_t width, float* rgba) const override
    {
        const double dy = y - centreY_;
        const double half = length_ / 2;
        for (int32_t i = 0; i < width; ++i) {
            const int32_t x = left + i;
            const double dx = x - centreX_;
            const double u = dx * cos_ + dy * sin_;
            const double v = dy * cos_ - dx * sin_;
            double t = 0;
            switch (style_) {
            case Style::Linear: t = u / length_ + 0.5; break;
            case Style::Radial: t = std::sqrt(u * u + v * v) / half; break;
            case Style::Reflected: t = std::fabs(u) / half; break;
            case Style::Diamond: t = (std::fabs(u) + std::fabs(v)) / half; break;
            case Style::Angle: {
                // Counter-clockwise from the angle's direction, the ramp runs backwards.
                double turn = std::atan2(-v, u);
                if (turn < 0)
                    turn += 2 * kPi;
                t = 1 - turn / (2 * kPi);
                break;
            }
            }
            if (reverse_)
                t = 1 - t;
            const float* colour = ramp_.At(static_cast<float>(t));
            float* out = rgba + static_cast<size_t>(i) * 4;
            const float noise = dither_ ? Noise(x, y) / 255.0f : 0.0f;
            for (int c = 0; c < 3; ++c)
                out[c] = std::min(std::max(colour[c] + noise, 0.0f), 1.0f);
            out[3] = colour[3];
        }
    }

private:
    GradientRamp ramp_;
    Style style_;
    bool reverse_;
    bool dither_;
    double centreX_ = 0, centreY_ = 0, cos_ = 1, sin_ = 0, length_ = 1;
};

class PatternPaint : public FillPaint {
public:
    PatternPaint(std::shared_ptr<const PatternTile> tile, double scale, double phaseX,
                 double phaseY, bool gray)
        : tile_(std::move(tile)), scale_(scale), phaseX_(phaseX), phaseY_(phaseY), gray_(gray)
    {
    }

    void Row(int32_t y, int32_t left, int32_t width, float* rgba) const override
    {
        const float toUnit = 1.0f / 255.0f;
        if (scale_ == 1) {
            // Whole pixels of the tile, repeated from the phase on.
            const int32_t row = Wrap(std::floor(y - phaseY_), tile_->height);
            for (int32_t i = 0; i < width; ++i) {
                uint8_t grayed[4];
                const uint8_t* pixel =
                    Texel(Wrap(std::floor(left + i - phaseX_), tile_->width), row, grayed);
                for (int c = 0; c < 4; ++c)
                    rgba[i * 4 + c] = pixel[c] * toUnit;
            }
            return;
        }
        // A scaled tile: the four nearest pixels mixed by their nearness (bilinear), colour by
        // alpha.
        const double sy = (y + 0.5 - phaseY_) / scale_ - 0.5;
        const double fy = std::floor(sy);
        const float wy = static_cast<float>(sy - fy);
        const int32_t rows[2] = {Wrap(fy, tile_->height), Wrap(fy + 1, tile_->height)};
        for (int32_t i = 0; i < width; ++i) {
            const double sx = (left + i + 0.5 - phaseX_) / scale_ - 0.5;
            const double fx = std::floor(sx);
            const float wx = static_cast<float>(sx - fx);
            const int32_t columns[2] = {Wrap(fx, tile_->width), Wrap(fx + 1, tile_->width)};
            float sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < 4; ++j) {
                uint8_t grayed[4];
                const uint8_t* pixel = Texel(columns[j & 1], rows[j >> 1], grayed);
                const float weight = ((j & 1) ? wx : 1 - wx) * ((j >> 1) ? wy : 1 - wy);
                const float alpha = pixel[3] * toUnit * weight;
                for (int c = 0; c < 3; ++c)
                    sum[c] += pixel[c] * toUnit * alpha;
                sum[3] += alpha;
            }
            float* out = rgba + static_cast<size_t>(i) * 4;
            for (int c = 0; c < 3; ++c)
                out[c] = sum[3] > 0 ? std::min(sum[c] / sum[3], 1.0f) : 0.0f;
            out[3] = std::min(sum[3], 1.0f);
        }
    }

private:
    // The tile's pixel at x, y; in a gray document made gray in grayed (the tile is shared).
    const uint8_t* Texel(int32_t x, int32_t y, uint8_t (&grayed)[4]) const
    {
        const uint8_t* pixel = tile_->At(x, y);
        if (!gray_)
            return pixel;
        const int value = (30 * pixel[0] + 59 * pixel[1] + 11 * pixel[2] + 50) / 100;
        grayed[0] = grayed[1] = grayed[2] = static_cast<uint8_t>(value);
        grayed[3] = pixel[3];
        return grayed;
    }

    // position modulo size, in 0 .. size - 1.
    static int32_t Wrap(double position, int32_t size)
    {
        double place = std::fmod(position, static_cast<double>(size));
        if (place < 0)
            place += size;
        return std::min(static_cast<int32_t>(place), size - 1);
    }

    std::shared_ptr<const PatternTile> tile_;
    double scale_;
    double phaseX_, phaseY_;
    bool gray_;
};

// A point's horizontal and vertical numbers ("Hrzn", "Vrtc").
void ReadPoint(const PsdDescriptorValue& settings, const char* key, double& x, double& y)
{
    const PsdDescriptorValue* point = settings.Find(key);
    if (point && point->type == PsdDescriptorValue::Type::Object) {
        x = point->Number("Hrzn", 0);
        y = point->Number("Vrtc", 0);
    }
}

bool Finite(double value)
{
    return std::isfinite(value) && std::fabs(value) < 1e9;
}

}  // namespace

FillBox GradientBox(const graphic::ImageLoaderPSD& loader, int32_t index, bool align)
{
    const graphic::ImageLoaderPSD::info_t& canvas = loader.MergedRecord();
    const double width = std::max(canvas.width, 0), height = std::max(canvas.height, 0);
    FillBox box;
    box.right = width;
    box.bottom = height;
    if (!align)
        return box;
    const graphic::PsdLayerProperties& properties = loader.LayerRecord(index).properties;
    if (properties.hasVectorMask) {
        bool first = true;
        for (const graphic::PsdSubpath& subpath : properties.vectorMask.subpaths) {
            for (const graphic::PsdPathKnot& knot : subpath.knots) {
                const double x = knot.anchor.x * width, y = knot.anchor.y * height;
                if (first) {
                    box = FillBox{x, y, x, y};
                    first = false;
                }
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
        if (!first)
            return box;
    }
    const graphic::PsdLayerMask& mask = properties.mask;
    if (mask.present && mask.width > 0 && mask.height > 0) {
        box.left = mask.x;
        box.top = mask.y;
        box.right = static_cast<double>(mask.x) + mask.width;
        box.bottom = static_cast<double>(mask.y) + mask.height;
    }
    return box;
}

const graphic::PsdBlockPlace* FillBlock(const graphic::PsdLayerProperties& properties)
{
    for (const graphic::PsdBlockPlace& place : properties.drawingBlocks) {
        if (memcmp(place.key, "GdFl", 4) == 0 || memcmp(place.key, "PtFl", 4) == 0)
            return &place;
    }
    return nullptr;
}

graphic::PsdDescriptorValue ReadFillSettings(graphic::ImageLoaderPSD& loader, int32_t index,
                                             const graphic::PsdBlockPlace& place)
{
    std::vector<uint8_t> block;
    const char key[5] = {place.key[0], place.key[1], place.key[2], place.key[3], 0};
    loader.LayerBlock(index, key, block);
    size_t at = 0;
    return graphic::ReadPsdVersionedDescriptor(block.data(), block.size(), at, kDamagedSettings);
}

GradientSettings ReadGradientSettings(const PsdDescriptorValue& settings)
{
    const PsdDescriptorValue* gradient = settings.Find("Grad");
    if (!gradient || gradient->type != PsdDescriptorValue::Type::Object)
        SettingsBytes::Fail();
    GradientSettings read;
    read.ramp = ReadGradientRamp(*gradient,
                                 GradientMethodOf(settings.Text("gradientsInterpolationMethod")));
    const std::string type = settings.Text("Type", "Lnr ");
    using Style = GradientSettings::Style;
    read.style = type == "Rdl "   ? Style::Radial
                 : type == "Angl" ? Style::Angle
                 : type == "Rflc" ? Style::Reflected
                 : type == "Dmnd" ? Style::Diamond
                                  : Style::Linear;
    ReadPoint(settings, "Ofst", read.offsetX, read.offsetY);
    read.angle = settings.Number("Angl", 90);
    read.scale = settings.Number("Scl ", 100);
    if (!Finite(read.angle) || !Finite(read.scale) || !Finite(read.offsetX) ||
        !Finite(read.offsetY))
        SettingsBytes::Fail();
    read.reverse = settings.Bool("Rvrs", false);
    read.dither = settings.Bool("Dthr", false);
    read.align = settings.Bool("Algn", true);
    return read;
}

std::unique_ptr<FillPaint> MakeGradientPaint(const PsdDescriptorValue& settings, const FillBox& box,
                                             bool gray)
{
    GradientSettings read = ReadGradientSettings(settings);
    if (read.ramp.noise)
        return nullptr;
    if (gray)
        read.ramp.MakeGray();
    return std::unique_ptr<FillPaint>(new GradientPaint(std::move(read), box));
}

PatternSettings ReadPatternSettings(const PsdDescriptorValue& settings)
{
    const PsdDescriptorValue* pattern = settings.Find("Ptrn");
    if (!pattern || pattern->type != PsdDescriptorValue::Type::Object)
        SettingsBytes::Fail();
    PatternSettings read;
    read.id = pattern->Text("Idnt");
    const PsdDescriptorValue* name = pattern->Find("Nm  ");
    if (name && name->type == PsdDescriptorValue::Type::Text)
        read.name = name->wide;
    ReadPoint(settings, "phase", read.phaseX, read.phaseY);
    read.scale = settings.Number("Scl ", 100) / 100;
    if (!Finite(read.phaseX) || !Finite(read.phaseY) || !Finite(read.scale))
        SettingsBytes::Fail();
    return read;
}

std::unique_ptr<FillPaint> MakePatternPaint(const PsdDescriptorValue& settings,
                                            graphic::ImageLoaderPSD& loader, PatternTiles& tiles,
                                            double originX, double originY)
{
    const PatternSettings read = ReadPatternSettings(settings);
    std::shared_ptr<const PatternTile> tile = tiles.Find(loader, read.id);
    // A pattern scaled below a thousandth of a pixel a tile is not drawn.
    if (!tile || !(read.scale > 1e-3))
        return nullptr;
    return std::unique_ptr<FillPaint>(new PatternPaint(std::move(tile), read.scale,
                                                       originX + read.phaseX, originY + read.phaseY,
                                                       loader.Format().outputColors == 1));
}

std::unique_ptr<FillPaint> ReadFillPaint(graphic::ImageLoaderPSD& loader, int32_t index,
                                         PatternTiles& tiles)
{
    const graphic::PsdBlockPlace* place = FillBlock(loader.LayerRecord(index).properties);
    if (!place)
        return nullptr;
    const PsdDescriptorValue settings = ReadFillSettings(loader, index, *place);
    if (memcmp(place->key, "GdFl", 4) == 0)
        return MakeGradientPaint(settings, GradientBox(loader, index, settings.Bool("Algn", true)),
                                 loader.Format().outputColors == 1);
    return MakePatternPaint(settings, loader, tiles, 0, 0);
}

}  // namespace render
}  // namespace sdk
