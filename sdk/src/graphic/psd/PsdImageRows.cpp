#include "graphic/psd/PsdImageRows.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "graphic/Image.h"
#include "graphic/ImageLimits.h"
#include "graphic/psd/PsdColorModes.h"
#include "graphic/psd/PsdRecordFields.h"
#include "graphic/psd/PsdSamples.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

// The part of a pixel that the black channel of a CMYK image writes: a row of its own.
const int32_t kBlackTarget = 4;

// Deflate never packs more than this many bytes into one.
const int64_t kMaxDeflateRatio = 1032;

// a x b for values of at least 0, or the largest value when that does not fit.
int64_t SaturatedProduct(int64_t a, int64_t b)
{
    const int64_t largest = std::numeric_limits<int64_t>::max();
    return a != 0 && b > largest / a ? largest : a * b;
}

// A CMYK row's ink (cyan in the red sample, magenta in green, yellow in blue, black in a row of
// its own) gathered pixel by pixel, made colour through transform, and put back in place.
template <class Sample>
void InkThrough(const ColorTransform& transform, Sample* row, int32_t channels, int32_t width,
                const Sample* black, std::vector<Sample>& ink, std::vector<Sample>& color)
{
    ink.resize(static_cast<size_t>(width) * 4);
    color.resize(static_cast<size_t>(width) * 3);
    Sample* pixel = row + (channels == 4 ? 1 : 0);
    for (int32_t x = 0; x < width; ++x, pixel += channels) {
        Sample* gathered = &ink[static_cast<size_t>(x) * 4];
        gathered[0] = pixel[2];
        gathered[1] = pixel[1];
        gathered[2] = pixel[0];
        gathered[3] = black[x];
    }
    transform.Convert(reinterpret_cast<const uint8_t*>(ink.data()),
                      reinterpret_cast<uint8_t*>(color.data()), width);
    pixel = row + (channels == 4 ? 1 : 0);
    for (int32_t x = 0; x < width; ++x, pixel += channels)
        std::memcpy(pixel, &color[static_cast<size_t>(x) * 3], 3 * sizeof(Sample));
}

// Whether the channel holds pixels of the image: a channel with the id colorChannels would land
// before the first byte of a pixel without alpha, and is left out.
bool Decoded(const PsdFormat& format, const ImageLoaderPSD::info_t::channel_t& channel, bool alpha)
{
    return channel.id != kIgnored && !(format.IsExtraColourId(channel.id) && !alpha);
}

// The part of a pixel of channels bytes that the channel of id writes, as StoreChannelRow places
// them: transparency in byte 0, an index as three colour bytes, black in a row of its own, one
// colour channel in the gray byte, three in the colour bytes.
int32_t TargetOf(const PsdFormat& format, int32_t channels, int32_t id)
{
    const int32_t first = channels > format.outputColors ? 1 : 0;
    if (id == kTransparency)
        return 0;
    if (format.colorMode == PsdFormat::kIndexed)
        return first;
    if (format.colorMode == PsdFormat::kCmyk && id == 3)
        return kBlackTarget;
    if (format.colorChannels > 1)
        return format.IsExtraColourId(id) ? 0 : first + 2 - id;
    return first;
}

}  // namespace

bool PsdImageRows::OpensAtAnyRow(const PsdFormat& format, const ImageLoaderPSD::info_t& record,
                                 bool alpha)
{
    const int32_t channels = format.outputColors + (alpha ? 1 : 0);
    std::vector<int32_t> written;
    for (const ImageLoaderPSD::info_t::channel_t& channel : record.channels) {
        if (!Decoded(format, channel, alpha))
            continue;
        if (channel.compression != kRaw && channel.compression != kRle)
            return false;
        const int32_t target = TargetOf(format, channels, channel.id);
        if (std::find(written.begin(), written.end(), target) != written.end())
            return false;
        written.push_back(target);
    }
    return true;
}

PsdImageRows::PsdImageRows(const PsdFormat& format, PsdInput& input,
                           const ImageLoaderPSD::info_t& record, bool alpha, bool merged,
                           bool sixteen, int32_t firstRow)
    : format_(format),
      input_(input),
      width_(record.width),
      height_(record.height),
      firstRow_(firstRow),
      channels_(format.outputColors + (alpha ? 1 : 0)),
      rowBytes_(PsdRowBytes(std::max(record.width, 0), format.depth)),
      sixteen_(sixteen)
{
    if (firstRow < 0 || firstRow > std::max(height_, 0))
        throw debug::logic_error("PsdImageRows::PsdImageRows:70");
    next_ = firstRow;
    CheckImageShape(channels_, width_, height_);  // "Image::Create:59" or ":60"

    for (const ImageLoaderPSD::info_t::channel_t& channel : record.channels) {
        if (!Decoded(format_, channel, alpha))
            continue;
        Channel decoded;
        decoded.record = &channel;
        // A layer channel's data lies within the channel's own length (which the scan placed
        // inside the file); the merged channels lie wherever the file holds them. Keeping each
        // layer channel to its own bytes also bounds the work of a decode by the file's size.
        const int64_t start = channel.countsOffset != 0 ? channel.countsOffset : channel.dataOffset;
        decoded.end = merged ? format_.fileSize : start - 2 + channel.length;
        decoded.target = TargetOf(format_, channels_, channel.id);
        decoded_.push_back(std::move(decoded));
    }
    // A record without any channel to decode holds no pixel data in the file at all, whatever
    // size it declares: "LoadImage:305".
    if (decoded_.empty())
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:305");
    // Every channel to decode must be backed by the file before anything is sized.
    for (Channel& channel : decoded_)
        channel.skipped = CheckChannel(*channel.record, channel.end);
    if (width_ > kMaxRowWidth)
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:340");

    // Channels are applied in record order, so of two that write the same part of a pixel the
    // later one is what shows. Only those are decoded row by row; the others are decoded once
    // here, one after another, for the damage they may hold.
    std::vector<int32_t> written;  // the parts written by the channels after the one at hand
    for (auto channel = decoded_.rbegin(); channel != decoded_.rend(); ++channel) {
        channel->shown =
            std::find(written.begin(), written.end(), channel->target) == written.end();
        if (channel->shown)
            written.push_back(channel->target);
    }
    if (!std::all_of(decoded_.begin(), decoded_.end(), [](const Channel& c) { return c.shown; }))
        DecodeInFileOrder(decoded_.size(), nullptr);
    for (Channel& channel : decoded_) {
        if (!channel.shown)
            continue;
        channel.rows = Cursor(channel, firstRow_, channel.skipped);
        channel.stored.assign(static_cast<size_t>(rowBytes_), 0);
    }
    if (sixteen_) {
        sixteenBit_.assign(static_cast<size_t>(width_), 0);
        pixels16_.assign(static_cast<size_t>(width_) * static_cast<size_t>(channels_), 0);
        if (format_.colorMode == PsdFormat::kCmyk)
            black16_.assign(static_cast<size_t>(width_), 0);
        return;
    }
    eightBit_.assign(static_cast<size_t>(width_), 0);
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(channels_), 0);
    if (format_.colorMode == PsdFormat::kCmyk)
        black_.assign(static_cast<size_t>(width_), 0);

    // 8-bit gray or colour whose every pixel byte one channel writes: the channels' rows are
    // interleaved in one pass.
    if (format_.depth == 8 && channels_ >= 2 &&
        (format_.colorMode == PsdFormat::kGrayscale || format_.colorMode == PsdFormat::kRgb)) {
        std::vector<const uint8_t*> sources(static_cast<size_t>(channels_), nullptr);
        for (const Channel& channel : decoded_) {
            if (channel.shown && channel.target >= 0 && channel.target < channels_)
                sources[static_cast<size_t>(channel.target)] = channel.stored.data();
        }
        if (std::find(sources.begin(), sources.end(), nullptr) == sources.end())
            interleaved_ = sources;
    }
}

PsdImageRows::~PsdImageRows() = default;

int64_t PsdImageRows::CheckChannel(const ImageLoaderPSD::info_t::channel_t& channel,
                                   int64_t end) const
{
    // Raw data needs its rows in full ("LoadImage:310"); PackBits needs its table of row counts
    // ("LoadImage:320"), the bytes those counts add up to ("LoadImage:330"), and enough of them
    // to fill the rectangle, PackBits turning 2 bytes into at most 128 ("LoadImage:335"); ZIP
    // data needs enough bytes to fill the rectangle at deflate's best ratio ("LoadImage:337").
    const int64_t rows = height_;
    const int64_t needed = SaturatedProduct(rowBytes_, rows);
    if (channel.compression == kRaw) {
        if (needed > end - channel.dataOffset)
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:310");
        return 0;
    }
    if (channel.compression != kRle) {
        if ((end - channel.dataOffset) * kMaxDeflateRatio < needed)
            throw debug::runtime_error("ImageLoaderPSD::LoadImage:337");
        return 0;
    }
    const int64_t countSize = format_.RowCountSize();
    if (channel.countsOffset + rows * countSize > end)
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:320");
    PsdSequentialReader counts(input_, channel.countsOffset,
                               channel.countsOffset + rows * countSize);
    // The data of the first row starts after the counts of the rows before it add up.
    int64_t sum = 0;
    int64_t skipped = 0;
    for (int64_t y = 0; y < rows; ++y) {
        if (y == firstRow_)
            skipped = sum;
        const uint8_t* at = counts.Take(static_cast<uint32_t>(countSize));
        sum += countSize == 4 ? stream::BigEndian32(at) : stream::BigEndian16(at);
    }
    if (firstRow_ == rows)
        skipped = sum;
    if (channel.dataOffset + sum > end)
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:330");
    const int64_t leastPerRow = (rowBytes_ + 127) / 128 * 2;
    if (sum < leastPerRow * rows)
        throw debug::runtime_error("ImageLoaderPSD::LoadImage:335");
    return skipped;
}

std::unique_ptr<PsdChannelRows> PsdImageRows::Cursor(const Channel& channel, int32_t first,
                                                     int64_t skipped) const
{
    const ImageLoaderPSD::info_t::channel_t& record = *channel.record;
    return std::unique_ptr<PsdChannelRows>(new PsdChannelRows(
        input_, record.compression, record.countsOffset, record.dataOffset, channel.end, height_,
        rowBytes_, format_.depth, format_.RowCountSize(), first, skipped));
}

const uint8_t* PsdImageRows::NextRow()
{
    if (next_ >= height_)
        throw debug::logic_error("PsdImageRows::NextRow:190");
    try {
        std::vector<int64_t> filled;
        for (Channel& channel : decoded_) {
            if (!channel.shown)
                continue;
            const int64_t bytes = channel.rows->Next(channel.stored.data());
            if (next_ == firstRow_)
                filled.push_back(bytes);
        }
        if (next_ == firstRow_)
            CompleteFirstRow(filled);
    } catch (...) {
        // Raises the damage that decoding the channels one after another meets first, which
        // may lie in a channel before this one.
        DecodeInFileOrder(decoded_.size(), nullptr);
        throw;
    }
    if (sixteen_) {
        ++next_;
        return SixteenBitRow();
    }
    if (!interleaved_.empty()) {
        Interleave();
        ++next_;
        return pixels_.data();
    }
    for (const Channel& channel : decoded_) {
        if (!channel.shown)
            continue;
        const uint8_t* source = channel.stored.data();
        if (format_.depth != 8) {
            // Colour is light; transparency is coverage.
            const int32_t id = channel.record->id;
            const bool light = id != kTransparency && !format_.IsExtraColourId(id);
            PsdRowToEightBit(source, eightBit_.data(), width_, format_.depth, light);
            source = eightBit_.data();
        }
        StoreChannelRow(channel, source);
    }
    if (format_.colorMode == PsdFormat::kCmyk && format_.inkToColor)
        InkThrough(*format_.inkToColor, pixels_.data(), channels_, width_, black_.data(), ink_,
                   color_);
    else if (format_.colorMode == PsdFormat::kCmyk)
        CmykRowToRgb(pixels_.data(), channels_, width_, black_.data());
    else if (format_.colorMode == PsdFormat::kLab)
        LabRowToRgb(pixels_.data(), channels_, width_);
    ++next_;
    return pixels_.data();
}

void PsdImageRows::CompleteFirstRow(const std::vector<int64_t>& filled)
{
    // In the order of a whole-image decode, a row of a channel decodes into the buffer that the
    // row before it left, and the first row of a channel into what the last row of the channel
    // before it left. Which of those bytes a short row keeps is only known by decoding the rows
    // before it: back to the last one that fills the buffer, or else to the channel's first row
    // and the channels before it. That is done here once, for every channel that needs it (a
    // damaged file's, never a sound one's).
    struct Short {
        size_t channel = 0;
        int64_t filled = 0;
        PsdChannelRows::FullRow full;  // the last row before the first one that fills the buffer
        std::vector<uint8_t> buffer;   // what the rows before the first one leave
    };
    std::vector<Short> shorts;
    size_t shownIndex = 0;
    for (size_t i = 0; i < decoded_.size(); ++i) {
        if (!decoded_[i].shown)
            continue;
        if (filled[shownIndex] < rowBytes_) {
            Short row;
            row.channel = i;
            row.filled = filled[shownIndex];
            if (firstRow_ > 0)
                row.full = Cursor(decoded_[i], firstRow_, decoded_[i].skipped)->LastFullRowBefore();
            row.buffer.assign(static_cast<size_t>(rowBytes_), 0);
            shorts.push_back(std::move(row));
        }
        ++shownIndex;
    }
    if (shorts.empty())
        return;
    // Channels whose rows before the first row all decode short start from what the channels
    // before them leave.
    size_t stop = 0;
    for (const Short& row : shorts)
        stop = row.full.row < 0 ? row.channel : stop;
    DecodeInFileOrder(stop, [&](size_t i, const std::vector<uint8_t>& buffer) {
        for (Short& row : shorts) {
            if (row.channel == i && row.full.row < 0)
                row.buffer = buffer;
        }
    });
    for (Short& row : shorts) {
        Channel& channel = decoded_[row.channel];
        const int32_t from = std::max(row.full.row, 0);
        std::unique_ptr<PsdChannelRows> cursor = Cursor(channel, from, row.full.skipped);
        for (int32_t y = from; y < firstRow_; ++y)
            cursor->Next(row.buffer.data());
        const size_t kept = static_cast<size_t>(row.filled);
        std::memcpy(channel.stored.data() + kept, row.buffer.data() + kept,
                    static_cast<size_t>(rowBytes_) - kept);
    }
}

void PsdImageRows::DecodeInFileOrder(
    size_t stop, const std::function<void(size_t, const std::vector<uint8_t>&)>& reached)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(rowBytes_), 0);
    for (size_t i = 0;; ++i) {
        if (reached)
            reached(i, buffer);
        if (i >= stop || i >= decoded_.size())
            return;
        std::unique_ptr<PsdChannelRows> cursor = Cursor(decoded_[i], 0, 0);
        for (int32_t y = 0; y < height_; ++y)
            cursor->Next(buffer.data());
    }
}

namespace {

// One channel's bytes into every Step-th byte of a row of pixels.
template <size_t Step>
void StoreStrided(const uint8_t* __restrict source, int32_t width, uint8_t* __restrict target)
{
    for (int32_t x = 0; x < width; ++x)
        target[Step * static_cast<size_t>(x)] = source[x];
}

}  // namespace

const uint8_t* PsdImageRows::SixteenBitRow()
{
    for (const Channel& channel : decoded_) {
        if (!channel.shown)
            continue;
        // Colour is light; transparency is coverage.
        const int32_t id = channel.record->id;
        const bool light = id != kTransparency && !format_.IsExtraColourId(id);
        PsdRowToSixteenBit(channel.stored.data(), sixteenBit_.data(), width_, format_.depth, light);
        StoreChannelRow16(channel, sixteenBit_.data());
    }
    if (format_.colorMode == PsdFormat::kCmyk && format_.inkToColor16) {
        InkThrough(*format_.inkToColor16, pixels16_.data(), channels_, width_, black16_.data(),
                   ink16_, color16_);
    } else if (format_.colorMode == PsdFormat::kCmyk) {
        CmykRowToRgb16(pixels16_.data(), channels_, width_, black16_.data());
    } else if (format_.colorMode == PsdFormat::kLab) {
        LabRowToRgb16(pixels16_.data(), channels_, width_);
    }
    return reinterpret_cast<const uint8_t*>(pixels16_.data());
}

void PsdImageRows::StoreChannelRow16(const Channel& channel, const uint16_t* source)
{
    // As StoreChannelRow places bytes.
    const size_t step = static_cast<size_t>(channels_);
    uint16_t* const row = pixels16_.data();
    if (format_.colorMode == PsdFormat::kIndexed && channel.record->id != kTransparency) {
        for (int32_t x = 0; x < width_; ++x) {
            const uint8_t index = static_cast<uint8_t>(source[x] >> 8);
            uint16_t* pixel = row + step * x + channel.target;
            pixel[0] = static_cast<uint16_t>(format_.paletteB[index] * 257);
            pixel[1] = static_cast<uint16_t>(format_.paletteG[index] * 257);
            pixel[2] = static_cast<uint16_t>(format_.paletteR[index] * 257);
        }
        return;
    }
    if (channel.target == kBlackTarget) {
        std::memcpy(black16_.data(), source, static_cast<size_t>(width_) * sizeof(uint16_t));
        return;
    }
    if (channel.target < 0 || channel.target >= channels_)
        return;  // nothing is ever written outside a pixel
    for (int32_t x = 0; x < width_; ++x)
        row[step * x + channel.target] = source[x];
}

void PsdImageRows::Interleave()
{
    uint8_t* const row = pixels_.data();
    const uint8_t* const* source = interleaved_.data();
    const size_t width = static_cast<size_t>(width_);
    if (channels_ == 4) {
        const uint8_t *a = source[0], *b = source[1], *c = source[2], *d = source[3];
        for (size_t x = 0; x < width; ++x) {
            row[4 * x] = a[x];
            row[4 * x + 1] = b[x];
            row[4 * x + 2] = c[x];
            row[4 * x + 3] = d[x];
        }
    } else if (channels_ == 3) {
        const uint8_t *a = source[0], *b = source[1], *c = source[2];
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = a[x];
            row[3 * x + 1] = b[x];
            row[3 * x + 2] = c[x];
        }
    } else {
        const uint8_t *a = source[0], *b = source[1];
        for (size_t x = 0; x < width; ++x) {
            row[2 * x] = a[x];
            row[2 * x + 1] = b[x];
        }
    }
}

void PsdImageRows::StoreChannelRow(const Channel& channel, const uint8_t* source)
{
    const size_t step = static_cast<size_t>(channels_);
    const int32_t id = channel.record->id;
    uint8_t* const row = pixels_.data();
    if (format_.colorMode == PsdFormat::kIndexed && id != kTransparency) {
        const int32_t first = channel.target;
        for (int32_t x = 0; x < width_; ++x) {
            const uint8_t index = source[x];
            uint8_t* pixel = row + step * x + first;
            pixel[0] = format_.paletteB[index];
            pixel[1] = format_.paletteG[index];
            pixel[2] = format_.paletteR[index];
        }
        return;
    }
    if (channel.target == kBlackTarget) {
        std::memcpy(black_.data(), source, static_cast<size_t>(width_));
        return;
    }
    // Transparency and the id colorChannels: the alpha byte. One colour channel (gray, bitmap,
    // duotone, multichannel): the gray byte. Three (RGB, and the first three of CMYK and Lab,
    // converted afterwards): the first to the last byte, the second to the middle, the third
    // first.
    const int32_t target = channel.target;
    if (target < 0 || target >= channels_)
        return;  // nothing is ever written outside a pixel
    uint8_t* const first = row + target;
    switch (step) {
    case 1: std::memcpy(first, source, static_cast<size_t>(width_)); break;
    case 2: StoreStrided<2>(source, width_, first); break;
    case 3: StoreStrided<3>(source, width_, first); break;
    default: StoreStrided<4>(source, width_, first); break;
    }
}

}  // namespace graphic
}  // namespace sdk
