// stream_file::impl: one open file of the host system. Each failure raises a windows_error
// with the system's error code; stream_file turns it into its own runtime error.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "debug/DebugLog.h"
#include "debug/Error.h"
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
    // Opens a new temporary file beside path for writing, without looking at path itself: a
    // file that never takes path's place, removed when this object goes.
    void OpenScratch();
    // Closes the file; a temporary one stays until this object goes.
    void Close();
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
    // The temporary file written in path's stead; empty when there is none.
    const std::string& Temporary() const { return temporary; }

private:
    intptr_t handle;  // the system's handle or descriptor; -1 while nothing is open
    std::string path;
    // The temporary file written in path's stead until Commit; empty when path itself is open.
    // A temporary file still named here when the object goes is removed.
    std::string temporary;
};

// Runs one operation of an open file; a failure is logged with the file's path, its system error
// code kept for LastFileError, and replaced by a runtime error carrying the stream's own tag.
template <class Operation>
auto Wrapped(stream_file::impl& file, const char* tag, Operation operation)
    -> decltype(operation())
{
    try {
        return operation();
    } catch (const std::exception& error) {
        const auto* system = dynamic_cast<const debug::windows_error*>(&error);
        SetLastFileError(system != nullptr ? system->Code() : 0);
        debug::LogError(error, "\tFILE_PATH: " + file.Path());
    }
    throw debug::runtime_error(tag);
}

}  // namespace stream
}  // namespace sdk
