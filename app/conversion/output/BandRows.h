// The rows of one image as its bands take them, each band on its own thread. A source that opens
// at any row cheaply is opened by each band at the first row it needs; any other is read once,
// top to bottom, by the bands in their order, each copying its rows out while it has its turn
// and working on them after (so only the reading is one band after another), the rows its
// successor looks back on kept for it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "graphic/RowSource.h"

class BandRows {
public:
    // A source opened at a first row: its first NextRow gives that row.
    using Open = std::function<std::unique_ptr<sdk::graphic::RowSource>(int32_t firstRow)>;
    // A row of the image and its number.
    using Take = std::function<void(int32_t y, const uint8_t* row)>;

    // Bands that open first, a source already opened at row 0 (handed to the band that starts
    // there, if any) and open for the others.
    BandRows(std::unique_ptr<sdk::graphic::RowSource> first, Open open);
    // Bands that share first, read once; lookBack: the most rows above its own that a band
    // asks for.
    BandRows(std::unique_ptr<sdk::graphic::RowSource> first, int32_t lookBack);

    int32_t Channels() const { return channels_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t SampleBytes() const { return sampleBytes_; }
    size_t RowBytes() const { return rowBytes_; }

    // Hands rows from, from + 1, ..., to - 1 to take, in order, on this thread, for band
    // `band`. Each band reads once, from a row at or below where the band before it started;
    // with a shared source, band n's read waits until band n - 1 has read (so every band must
    // read, or call Pass). stopping is asked between rows. Raises what the source raises (for
    // a shared source, bands after a failed read raise the same).
    void Read(size_t band, int32_t from, int32_t to, const Take& take,
              const std::function<bool()>& stopping);
    // Band `band` will not read: its turn passes to the next.
    void Pass(size_t band);

private:
    // Waits for band's turn at the shared source, copies its rows out, and passes the turn.
    void CopyShared(size_t band, int32_t from, int32_t to, std::vector<uint8_t>& rows,
                    const std::function<bool()>& stopping);
    void PassTurn(size_t band);

    const int32_t channels_, width_, height_, sampleBytes_;
    const size_t rowBytes_;
    Open open_;
    // The shared source, or the one opened at row 0 until its band takes it.
    std::unique_ptr<sdk::graphic::RowSource> first_;
    const bool shared_;
    const int32_t lookBack_ = 0;

    std::mutex mutex_;
    std::condition_variable turnPassed_;
    size_t turn_ = 0;       // the band whose read comes next
    int32_t read_ = 0;      // rows the shared source has given
    std::vector<uint8_t> kept_;  // the last rows it gave, up to lookBack_ of them, oldest first
    int32_t keptFrom_ = 0;       // the first of them
    std::exception_ptr failure_;  // what the shared source raised
};
