// The rows of a ZIP-compressed PSD channel: one zlib stream over the whole channel, inflated a
// row at a time so that no more than one row and a window of input are ever held. With
// prediction, each row stores differences: of bytes at 8 bits, of big-endian 16-bit values at
// 16 bits; at 32 bits the row's bytes differ one from the next across the row and the bytes of
// each float are kept in planes (all first bytes, then all second bytes, and so on).
#pragma once

#include <cstdint>
#include <vector>

#include "graphic/psd/PsdInput.h"

namespace sdk {
namespace graphic {

class PsdZipRows {
public:
    // The compressed data lies from start up to end (file positions).
    PsdZipRows(PsdInput& input, int64_t start, int64_t end, int64_t rowBytes, int32_t depth,
               bool prediction);
    ~PsdZipRows();
    PsdZipRows(const PsdZipRows&) = delete;
    PsdZipRows& operator=(const PsdZipRows&) = delete;

    // Inflates the next row into row (rowBytes bytes), prediction undone. Raises
    // "PsdZipRows::Next:60" when the data is not a zlib stream or ends before the row is full.
    void Next(uint8_t* row);

private:
    void Inflate(uint8_t* row);
    void UndoPrediction(uint8_t* row);

    PsdInput& input;
    int64_t position;  // of the next compressed byte to read
    int64_t end;
    int64_t rowBytes;
    int32_t depth;
    bool prediction;
    bool finished = false;
    std::vector<uint8_t> compressed;
    std::vector<uint8_t> planes;
    struct Inflater;
    Inflater* inflater;
};

}  // namespace graphic
}  // namespace sdk
