#include "graphic/bmp/BmpRle.h"

#include <algorithm>

#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {

namespace {

// The stream's bytes one at a time, read in blocks; false once they are all taken.
class ByteSource {
public:
    explicit ByteSource(stream::stream_in& stream) : stream(stream) {}

    bool Next(uint8_t& byte)
    {
        if (next == end) {
            const int64_t left = stream::BytesLeft(stream);
            const uint32_t count = static_cast<uint32_t>(std::min<int64_t>(left, sizeof block));
            if (count == 0 || !stream::ReadWhole(stream, block, count))
                return false;
            next = 0;
            end = count;
        }
        byte = block[next++];
        return true;
    }

private:
    stream::stream_in& stream;
    uint8_t block[4096];
    uint32_t next = 0;
    uint32_t end = 0;
};

// The pixel position: x may pass the end of the row, y counts the rows that lines began on.
class Cursor {
public:
    Cursor(uint8_t* indices, int32_t width, int32_t height)
        : indices(indices), width(width), total(int64_t{width} * height)
    {
    }

    bool InPicture() const { return y * width + x < total; }
    void Put(uint8_t index)
    {
        const int64_t at = y * width + x;
        if (at < total)
            indices[at] = index;
        ++x;
    }
    void EndLine()
    {
        x = 0;
        ++y;
    }
    void Move(uint8_t right, uint8_t down)
    {
        x += right;
        y += down;
    }

private:
    uint8_t* const indices;
    const int64_t width;
    const int64_t total;
    int64_t x = 0;
    int64_t y = 0;
};

// The index of the i-th pixel of a code's byte: the byte itself, or with 4 bits its high
// nibble for even i and its low nibble for odd i.
uint8_t Index(uint8_t byte, bool four, int i)
{
    if (!four)
        return byte;
    return static_cast<uint8_t>((i & 1) == 0 ? byte >> 4 : byte & 15);
}

}  // namespace

void DecodeBmpRle(stream::stream_in& stream, uint16_t bitCount, int32_t width, int32_t height,
                  uint8_t* indices)
{
    const bool four = bitCount == 4;
    ByteSource data(stream);
    Cursor cursor(indices, width, height);
    // Every code takes at least two bytes and writes at most 255 pixels, so the data's length
    // bounds the work.
    uint8_t count, value;
    while (cursor.InPicture() && data.Next(count) && data.Next(value)) {
        if (count != 0) {
            for (int i = 0; i < count; ++i)
                cursor.Put(Index(value, four, i));
            continue;
        }
        if (value == 0) {
            cursor.EndLine();
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            uint8_t right, down;
            if (!data.Next(right) || !data.Next(down))
                return;
            cursor.Move(right, down);
        } else {
            const int bytes = four ? (value + 1) / 2 : value;
            uint8_t byte = 0;
            for (int i = 0; i < value; ++i) {
                if ((!four || (i & 1) == 0) && !data.Next(byte))
                    return;
                cursor.Put(Index(byte, four, i));
            }
            if ((bytes & 1) != 0 && !data.Next(byte))
                return;
        }
    }
}

}  // namespace graphic
}  // namespace sdk
