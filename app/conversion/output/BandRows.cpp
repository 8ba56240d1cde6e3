#include "conversion/output/BandRows.h"

#include <algorithm>
#include <cstring>

#include "debug/Error.h"

namespace {

size_t RowBytesOf(const sdk::graphic::RowSource& source)
{
    return static_cast<size_t>(source.Width()) * static_cast<size_t>(source.Channels()) *
           static_cast<size_t>(source.SampleBytes());
}

}  // namespace

BandRows::BandRows(std::unique_ptr<sdk::graphic::RowSource> first, Open open)
    : channels_(first->Channels()), width_(first->Width()), height_(first->Height()),
      sampleBytes_(first->SampleBytes()), rowBytes_(RowBytesOf(*first)), open_(std::move(open)),
      first_(std::move(first)), shared_(false)
{
}

BandRows::BandRows(std::unique_ptr<sdk::graphic::RowSource> first, int32_t lookBack)
    : channels_(first->Channels()), width_(first->Width()), height_(first->Height()),
      sampleBytes_(first->SampleBytes()), rowBytes_(RowBytesOf(*first)), first_(std::move(first)),
      shared_(true), lookBack_(std::max(0, lookBack))
{
}

void BandRows::Read(size_t band, int32_t from, int32_t to, const Take& take,
                    const std::function<bool()>& stopping)
{
    if (from < 0 || to > height_ || from > to)
        throw sdk::debug::logic_error("BandRows::Read");
    if (shared_) {
        std::vector<uint8_t> rows;
        CopyShared(band, from, to, rows, stopping);
        for (int32_t y = from; y < to && !stopping(); ++y)
            take(y, rows.data() + static_cast<size_t>(y - from) * rowBytes_);
        return;
    }
    std::unique_ptr<sdk::graphic::RowSource> source;
    if (from == 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        source = std::move(first_);
    }
    if (!source)
        source = open_(from);
    for (int32_t y = from; y < to && !stopping(); ++y)
        take(y, source->NextRow());
}

void BandRows::Pass(size_t band)
{
    if (!shared_)
        return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        turnPassed_.wait(lock, [&] { return turn_ >= band; });
    }
    PassTurn(band);
}

void BandRows::PassTurn(size_t band)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        turn_ = band + 1;
    }
    turnPassed_.notify_all();
}

void BandRows::CopyShared(size_t band, int32_t from, int32_t to, std::vector<uint8_t>& rows,
                          const std::function<bool()>& stopping)
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        turnPassed_.wait(lock, [&] { return turn_ >= band; });
    }
    // The turn is this band's until it passes it: the shared state is its own meanwhile.
    struct TurnPasser {
        BandRows& rows;
        size_t band;
        ~TurnPasser() { rows.PassTurn(band); }
    } passer{*this, band};
    if (failure_)
        std::rethrow_exception(failure_);
    if (from < keptFrom_)
        throw sdk::debug::logic_error("BandRows::Read:looked back too far");
    rows.resize(static_cast<size_t>(to - from) * rowBytes_);
    // Rows an earlier band read come from those kept; then the source goes on.
    for (int32_t y = from; y < std::min(to, read_); ++y)
        std::memcpy(rows.data() + static_cast<size_t>(y - from) * rowBytes_,
                    kept_.data() + static_cast<size_t>(y - keptFrom_) * rowBytes_, rowBytes_);
    try {
        for (; read_ < to; ++read_) {
            if (stopping())
                return;
            const uint8_t* row = first_->NextRow();
            if (read_ >= from)
                std::memcpy(rows.data() + static_cast<size_t>(read_ - from) * rowBytes_, row,
                            rowBytes_);
        }
    } catch (...) {
        failure_ = std::current_exception();
        throw;
    }
    // What the next band may look back on.
    keptFrom_ = std::max(from, to - lookBack_);
    kept_.assign(rows.begin() + static_cast<size_t>(keptFrom_ - from) * rowBytes_, rows.end());
}
