// The rows of one channel of a PSD image, read from the file as they are asked for, top to
// bottom, at the document's depth: raw rows one after another, PackBits rows by their row
// counts, ZIP data through one inflate stream. Each cursor reads through its own buffer, so the
// channels of many images can be read at once from one file. A cursor may start at any row:
// raw and PackBits data are read from that row's place on, ZIP data is inflated from its start
// and the rows before are dropped.
#pragma once

#include <cstdint>
#include <memory>

#include "graphic/psd/PsdInput.h"
#include "graphic/psd/PsdSequentialReader.h"

namespace sdk {
namespace graphic {

class PsdZipRows;

class PsdChannelRows {
public:
    // compression: 0 raw, 1 PackBits, 2 ZIP, 3 ZIP with prediction. countsOffset: where the
    // PackBits row counts lie (countSize bytes each); dataOffset: the first data byte; end: where
    // the channel's bytes end. The caller has checked that the data is there. The first row
    // given is firstRow (0 .. height); skipped: for PackBits, the data bytes of the rows before it
    // (the sum of their counts, which the caller has checked to lie within the data).
    PsdChannelRows(PsdInput& input, uint16_t compression, int64_t countsOffset, int64_t dataOffset,
                   int64_t end, int32_t height, int64_t rowBytes, int32_t depth, int32_t countSize,
                   int32_t firstRow = 0, int64_t skipped = 0);
    ~PsdChannelRows();
    PsdChannelRows(const PsdChannelRows&) = delete;
    PsdChannelRows& operator=(const PsdChannelRows&) = delete;

    // Decodes the next row into row (rowBytes bytes) and returns how many of its bytes the row's
    // data filled: all of them, but for a PackBits row that decodes short, whose other bytes keep
    // what they held. Raises what the data's damage raises.
    int64_t Next(uint8_t* row);

    // PackBits: the last row before the first row that decodes in full, and the data bytes
    // before it (skipped, for a cursor opened there); row -1 when none of them does. Decodes the
    // rows from the first row back to that one; raises what their damage raises.
    struct FullRow {
        int32_t row = -1;
        int64_t skipped = 0;
    };
    FullRow LastFullRowBefore();

    // PackBits decoding of one row of count source bytes into at most width bytes; returns the
    // bytes written. A run longer than the room left raises "memory_out::Fill:66" (repeat) or
    // ":77" (literal), a literal or repeat that the source cannot hold "memory_in::Read:42".
    static int64_t UnpackBits(uint8_t* destination, int64_t width, const uint8_t* source,
                              int64_t count);

private:
    uint32_t NextCount();

    PsdInput& input_;
    uint16_t compression_;
    int64_t rowBytes_;
    int32_t countSize_;
    int64_t countsOffset_;
    int64_t dataOffset_;
    int32_t firstRow_;
    int64_t skipped_;
    int32_t undropped_ = 0;  // ZIP rows before the first row, still to inflate
    PsdSequentialReader data_;
    std::unique_ptr<PsdSequentialReader> counts_;
    std::unique_ptr<PsdZipRows> zip_;
};

}  // namespace graphic
}  // namespace sdk
