// What the image data of a PNG is made of (size, samples, the compression setting), and how
// libpng would filter and deflate it: enough to make any band of rows of it apart from the rest
// and join the bands into the very stream libpng would write for the whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdk {
namespace graphic {

struct PngDataLayout {
    // The writer's compression settings: standard (every filter, zlib's default level), best
    // (every filter, level 9) and fast (filter None only, level 1).
    enum class Compression { Standard, Best, Fast };

    int32_t channels = 1;  // samples per pixel, 1 to 4, in Image's order (G, A G, B G R, A B G R)
    int32_t width = 0;
    int32_t height = 0;
    bool sixteenBits = false;  // samples of two bytes in the machine's byte order
    Compression compression = Compression::Standard;

    // Channels 1 to 4, width and height 1 to the PNG writer's side limit.
    bool IsValid() const;
    size_t BytesPerPixel() const;
    size_t RowBytes() const;
    // A row in the image data: its filter type byte and its bytes.
    size_t FilteredRowBytes() const;
    // The bytes of the whole image data before compression.
    uint64_t FilteredBytes() const;

    // The filters a row may get, as a mask of libpng's PNG_FILTER_* bits: None only when fast,
    // else all five, less those that look at the row above for an image one row high and those
    // that look at the pixel before for an image one pixel wide.
    int AllowedFilters() const;
    // The deflate parameters libpng uses for the image data: the level, the strategy (filtered
    // data unless rows are never filtered) and the window (15 bits, smaller for small images).
    int ZlibLevel() const;
    int ZlibStrategy() const;
    int ZlibWindowBits() const;
    // The two bytes of the zlib header libpng writes: that of the parameters above, its window
    // field then narrowed to the data's size as libpng does.
    void ZlibHeader(uint8_t header[2]) const;
};

bool operator==(const PngDataLayout& left, const PngDataLayout& right);
bool operator!=(const PngDataLayout& left, const PngDataLayout& right);

}  // namespace graphic
}  // namespace sdk
