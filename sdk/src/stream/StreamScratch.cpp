#include "stream/StreamScratch.h"

#include <algorithm>

#include "debug/Error.h"
#include "stream/FileHandle.h"

namespace sdk {
namespace stream {

namespace {
// The piece a temporary file is read back in.
const uint32_t kCopyPiece = 1u << 20;
}  // namespace

scratch_out::scratch_out(const std::string& beside, uint32_t memoryBound)
    : beside_(beside), memoryBound_(memoryBound)
{
}

scratch_out::~scratch_out() = default;

void scratch_out::Seek(int32_t)
{
    throw debug::logic_error("scratch_out::Seek:40");
}

void scratch_out::SetPos(int32_t)
{
    throw debug::logic_error("scratch_out::SetPos:41");
}

void scratch_out::Write(const void* source, uint32_t count)
{
    if (!file_ && memory_.size() + count > memoryBound_)
        MoveToFile();
    if (file_) {
        stream_file::impl& file = *file_;
        Wrapped(file, "file_out::Write:63", [&] { file.Write(source, count); });
    } else {
        const uint8_t* bytes = static_cast<const uint8_t*>(source);
        memory_.insert(memory_.end(), bytes, bytes + count);
    }
    size_ += count;
}

void scratch_out::MoveToFile()
{
    std::unique_ptr<stream_file::impl> file(new stream_file::impl(beside_));
    stream_file::impl& target = *file;
    Wrapped(target, "stream_file::OpenWrite:56", [&] { target.OpenScratch(); });
    file_ = std::move(file);
    if (!memory_.empty()) {
        Wrapped(target, "file_out::Write:63",
                [&] { target.Write(memory_.data(), static_cast<uint32_t>(memory_.size())); });
    }
    std::vector<uint8_t>().swap(memory_);
}

void scratch_out::Close()
{
    if (!file_)
        return;
    stream_file::impl& file = *file_;
    Wrapped(file, "file_out::Write:63", [&] { file.Close(); });
}

void scratch_out::CopyTo(stream_out& output)
{
    if (!file_) {
        if (!memory_.empty())
            output.Write(memory_.data(), static_cast<uint32_t>(memory_.size()));
        return;
    }
    Close();
    stream_file::impl reader(file_->Temporary());
    Wrapped(reader, "stream_file::OpenRead:55", [&] { reader.OpenRead(); });
    std::vector<uint8_t> piece(static_cast<size_t>(std::min<int64_t>(size_, kCopyPiece)));
    for (int64_t left = size_; left > 0;) {
        const uint32_t count = static_cast<uint32_t>(std::min<int64_t>(left, kCopyPiece));
        const uint32_t got =
            Wrapped(reader, "file_in::Read:62", [&] { return reader.Read(piece.data(), count); });
        if (got != count)  // the file was cut short behind our back
            throw debug::runtime_error("file_in::Read:62");
        output.Write(piece.data(), count);
        left -= count;
    }
}

}  // namespace stream
}  // namespace sdk
