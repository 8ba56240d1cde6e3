// One band of an image's rows, filtered and deflated on its own, so that several threads can
// compress one image at once without changing what is written. Each band's deflate is primed
// with the last 32 KiB of the image data before it, and ends on a byte boundary (a sync flush;
// the band holding the image's last row ends the deflate stream instead). Written in order
// behind one zlib header and followed by the Adler-32 of all of them, the bands make a zlib
// stream of the image data; a band starting at the top that holds the whole image gives exactly
// libpng's stream. A band's worker is given the rows just above its band (ContextRows of them):
// it filters them again, so that no band waits for another, and the bytes depend only on where
// the bands start and end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphic/png/PngDataLayout.h"
#include "graphic/png/PngRowFilter.h"

namespace sdk {
namespace graphic {

// A finished band: its raw deflate blocks and what joining them into the stream needs.
struct PngBand {
    PngDataLayout layout;  // of the image it belongs to
    int32_t firstRow = 0;
    int32_t rows = 0;
    std::vector<uint8_t> deflated;  // deflate blocks, without zlib header or trailer
    uint32_t adler = 1;             // Adler-32 of the band's image data (its filtered rows)
    uint64_t filteredBytes = 0;     // the bytes of that data: rows x FilteredRowBytes
    bool endsStream = false;        // holds the image's last row: the final deflate block
};

class PngBandEncoder {
public:
    // A band of the image that layout describes, starting at row firstRow. Raises
    // "PngBandEncoder::PngBandEncoder:20" for an invalid layout or a row outside the image, and
    // "PngBandEncoder::Finish:90" when zlib fails, here or in any later call.
    PngBandEncoder(const PngDataLayout& layout, int32_t firstRow);
    ~PngBandEncoder();
    PngBandEncoder(const PngBandEncoder&) = delete;
    PngBandEncoder& operator=(const PngBandEncoder&) = delete;

    // How many rows above its first row a band needs: enough that their image data reaches
    // 32 KiB (deflate's farthest reach back), and one more to filter the first of them.
    static int32_t ContextRows(const PngDataLayout& layout);

    // The min(firstRow, ContextRows) rows just above the band, top to bottom, each given once
    // before any row of the band. Rows are in Image's layout, RowBytes of the layout long.
    void Context(const uint8_t* row);
    // The band's rows in order, at least one and at most to the image's last row.
    void Row(const uint8_t* row);
    // Ends the band.
    PngBand Finish();
    // Context, Row and Finish raise "PngBandEncoder::Row:40" for a call out of the order above:
    // context rows missing or too many, a row past the image's end, a band of no row, anything
    // after Finish.

private:
    // Deflates bytes with flush; the output goes onto the band's blocks.
    void Deflate(const uint8_t* bytes, size_t count, int flush);
    // Primes the deflate with the context's image data, once all of it is in.
    void StartBand();

    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
    PngRowFilter filter_;
    PngBand band_;
    int32_t contextRows_;  // wanted above the band
    int32_t contextGiven_ = 0;
    std::vector<uint8_t> history_;  // the context's image data
    size_t used_ = 0;               // bytes of band_.deflated holding output
    bool started_ = false;
    bool finished_ = false;
};

}  // namespace graphic
}  // namespace sdk
