#include "graphic/psd/PsdZipRows.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

namespace {
const uint32_t kInputChunk = 64 * 1024;
const char kDamaged[] = "PsdZipRows::Next:60";
}  // namespace

struct PsdZipRows::Inflater {
    z_stream z;
};

PsdZipRows::PsdZipRows(PsdInput& input, int64_t start, int64_t end, int64_t rowBytes,
                       int32_t depth, bool prediction)
    : input(input),
      position(start),
      end(end),
      rowBytes(rowBytes),
      depth(depth),
      prediction(prediction),
      inflater(new Inflater())
{
    std::memset(&inflater->z, 0, sizeof inflater->z);
    if (inflateInit(&inflater->z) != Z_OK) {
        delete inflater;
        throw debug::runtime_error(kDamaged);
    }
}

PsdZipRows::~PsdZipRows()
{
    inflateEnd(&inflater->z);
    delete inflater;
}

void PsdZipRows::Next(uint8_t* row)
{
    Inflate(row);
    if (prediction)
        UndoPrediction(row);
}

void PsdZipRows::Inflate(uint8_t* row)
{
    z_stream& z = inflater->z;
    z.next_out = row;
    z.avail_out = static_cast<uInt>(rowBytes);
    while (z.avail_out > 0) {
        if (finished)
            throw debug::runtime_error(kDamaged);
        if (z.avail_in == 0) {
            const int64_t left = end - position;
            if (left <= 0)
                throw debug::runtime_error(kDamaged);
            const uint32_t chunk = static_cast<uint32_t>(std::min<int64_t>(left, kInputChunk));
            compressed.resize(chunk);
            this->input.ReadAt(position, compressed.data(), chunk);
            position += chunk;
            z.next_in = compressed.data();
            z.avail_in = chunk;
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END)
            finished = true;
        else if (status != Z_OK)
            throw debug::runtime_error(kDamaged);
    }
}

void PsdZipRows::UndoPrediction(uint8_t* row)
{
    const size_t bytes = static_cast<size_t>(rowBytes);
    if (depth == 16) {
        for (size_t i = 2; i + 1 < bytes; i += 2) {
            const unsigned sum = (row[i - 2] << 8 | row[i - 1]) + (row[i] << 8 | row[i + 1]);
            row[i] = static_cast<uint8_t>(sum >> 8);
            row[i + 1] = static_cast<uint8_t>(sum);
        }
        return;
    }
    for (size_t i = 1; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - 1]);
    if (depth != 32)
        return;
    // Byte planes back into big-endian floats.
    const size_t width = bytes / 4;
    planes.assign(row, row + bytes);
    for (size_t x = 0; x < width; ++x) {
        for (size_t plane = 0; plane < 4; ++plane)
            row[x * 4 + plane] = planes[plane * width + x];
    }
}

}  // namespace graphic
}  // namespace sdk
