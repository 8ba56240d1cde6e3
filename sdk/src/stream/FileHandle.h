// stream_file::impl: one open file of the host system. Each failure raises a windows_error
// with the system's error code; stream_file turns it into its own runtime error.
#pragma once

#include <cstdint>
#include <string>

#include "stream/StreamFile.h"

namespace sdk {
namespace stream {

class stream_file::impl {
public:
    explicit impl(const std::string& path);
    ~impl();
    impl(const impl&) = delete;
    impl& operator=(const impl&) = delete;

    void OpenRead();
    void OpenWrite();
    // Opens a new temporary file beside path for writing; Commit puts it in path's place.
    void OpenReplace();
    // Closes the file and, when it is a temporary one, renames it over path.
    void Commit();
    // 0 when the size cannot be had.
    int32_t GetSize();
    // 0 when the position cannot be had.
    int32_t GetPos();
    void Seek(int32_t offset);
    void SetPos(int32_t position);
    // Returns the bytes actually read; short at the end of the file.
    uint32_t Read(void* destination, uint32_t count);
    void Write(const void* source, uint32_t count);

    const std::string& Path() const { return path; }

private:
    intptr_t handle;  // the system's handle or descriptor; -1 while nothing is open
    std::string path;
    // The temporary file written in path's stead until Commit; empty when path itself is open.
    // A temporary file still named here when the object goes is removed.
    std::string temporary;
};

}  // namespace stream
}  // namespace sdk
