// One image's rows cut into bands that the workers of a document's work make at once: each band
// is read from its first row (and the few rows above it that it looks back on), its rows made
// what the outputs take, and compressed into each of the image's PNG datastreams apart from the
// others; the pieces are joined into each datastream in order as they come. The bands are as tall
// as the image's rows make about option.bandBytes (4 MiB), whatever the number of workers, so
// that any number of workers writes the same bytes. A band costs the compression its own block
// tables and a flush, about fifty bytes: far below a thousandth of a band's compressed bytes
// for all but the flattest pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "conversion/output/BandRows.h"
#include "conversion/output/OrderedWork.h"
#include "conversion/output/StagedOutput.h"
#include "conversion/psd/LayerPicture.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/ImageSaverPNG.h"
#include "graphic/png/PngBandEncoder.h"

// A PNG datastream made in bands: its header goes out first (Begin), each band's piece of the
// picture is compressed on the band's thread and joined to it in order, then its end (End). The
// rows may go through a picture that reshapes them (a layer placed on the canvas, say).
class BandedPng {
public:
    using MakePicture = std::function<std::unique_ptr<LayerPicture>()>;

    // saver writes into output (or into a stream that writes into it); makePicture, when given,
    // makes a new picture for each band; eightBit: the datastream takes rows of 8-bit samples.
    BandedPng(StagedOutput& output, sdk::graphic::ImageSaverPNG& saver, MakePicture makePicture,
              bool eightBit);

    StagedOutput& Output() { return output_; }
    bool EightBit() const { return eightBit_; }
    // Writes what comes before the image data, for rows of the given layout (or the picture's).
    void Begin(int32_t channels, int32_t width, int32_t height, const sdk::graphic::ImageInfo& info);
    // The rows above its first that a band looks back on.
    int32_t LookBack() const;
    // Whether other's image data is always this one's: both begun, of one layout, showing the
    // rows as they are, and taking rows of the same samples (of which there are two kinds when
    // the image's rows have 16-bit samples). Its bands are then compressed once for both.
    bool SameDataAs(const BandedPng& other, bool sixteenBitRows) const;
    // After the last band's piece has been joined: the end of the datastream.
    void End();

private:
    friend class BandPiece;
    // The pieces of bands, joined in order: band's piece (none when the band shows no row of
    // this datastream) or what failed while it was made.
    void Join(size_t band, std::unique_ptr<sdk::graphic::PngBand> piece,
              std::exception_ptr failure);

    StagedOutput& output_;
    sdk::graphic::ImageSaverPNG& saver_;
    const MakePicture makePicture_;
    const bool eightBit_;
    bool begun_ = false;
    sdk::graphic::PngDataLayout layout_;
    bool rowsAsTheyAre_ = true;  // no picture, or one that shows the rows as they are

    std::mutex mutex_;
    size_t nextBand_ = 0;  // the band whose piece is joined next
    std::map<size_t, std::pair<std::unique_ptr<sdk::graphic::PngBand>, std::exception_ptr>>
        waiting_;
};

// A band's own buffers for the rows' steps.
struct BandScratch {
    std::vector<uint8_t> first, second;
};

// The rows' steps before the datastreams take them: row of the image (number y) into what the
// datastreams take (in the scratch's buffers, where it changes).
struct BandRowSteps {
    using Step =
        std::function<const uint8_t*(int32_t y, const uint8_t* row, BandScratch& scratch)>;
    Step common;     // every datastream's (may be empty: the row as it is)
    bool sixteenBitRows = false;  // rows of 16-bit samples, which 8-bit datastreams take made 8-bit
};

// A row of 16-bit samples (samples of them) as 8-bit ones, in buffer.
const uint8_t* EightBitRow(const uint8_t* row, size_t samples, std::vector<uint8_t>& buffer);

// The rows of a band that an image with rows of rowBytes bytes (before filtering) is cut into.
int32_t BandHeight(size_t rowBytes);
// The most rows above its own that a band of these datastreams looks back on.
int32_t LookBackOf(const std::vector<BandedPng*>& pngs);

// Makes every band of rows into the datastreams (each begun), on work's threads; the bands' rows
// first go through steps. Raises what reading the rows raised in the first band that failed (the
// same whatever the threads), or OrderedWork::Stopped. Ends the datastreams that were begun.
void RunImageBands(OrderedWork& work, BandRows& rows, const std::vector<BandedPng*>& pngs,
                   const BandRowSteps& steps);
