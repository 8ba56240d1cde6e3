// An output written ahead of its turn. Its bytes are kept in memory up to a bound and beyond it
// in a temporary file beside a given path, listed among the pending files so that an interrupt
// removes it; once complete they are copied, in order, to the output they are meant for. The
// temporary file goes with the object. Positions cannot be moved: bytes are only appended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stream/StreamFile.h"

namespace sdk {
namespace stream {

class scratch_out : public stream_out {
public:
    // beside: a path in the folder the temporary file is made in (nothing is made at the path
    // itself). memoryBound: the bytes kept in memory before a temporary file takes them.
    scratch_out(const std::string& beside, uint32_t memoryBound);
    ~scratch_out() override;
    scratch_out(const scratch_out&) = delete;
    scratch_out& operator=(const scratch_out&) = delete;

    int32_t GetSize() override { return static_cast<int32_t>(size_); }
    uint32_t GetRemain() override { return 0; }
    int32_t GetPos() override { return static_cast<int32_t>(size_); }
    // Raise "scratch_out::Seek:40" and "scratch_out::SetPos:41": positions stay at the end.
    void Seek(int32_t offset) override;
    void SetPos(int32_t position) override;
    // Appends; a temporary file that cannot be made or written raises the errors of file_out
    // ("stream_file::OpenWrite:56", "file_out::Write:63").
    void Write(const void* source, uint32_t count) override;

    // Writing is done: a temporary file is closed (it stays until the object goes), so that
    // many finished outputs hold no open file each.
    void Close();
    // Writes every byte written so far to output, in order. Reading back the temporary file
    // raises the errors of file_in ("stream_file::OpenRead:55", "file_in::Read:62").
    void CopyTo(stream_out& output);

private:
    void MoveToFile();

    std::string beside_;
    uint32_t memoryBound_;
    std::vector<uint8_t> memory_;
    std::unique_ptr<stream_file::impl> file_;  // null while the bytes fit in memory
    int64_t size_ = 0;
};

}  // namespace stream
}  // namespace sdk
