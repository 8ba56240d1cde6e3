// Streams over a file. Copies of a stream_file share one open file (and one position); the file
// is closed when the last of them goes. Failures of the system are written to the diagnostic log
// with the file's path and reach the caller as runtime errors with the stream's own tag.
#pragma once

#include <string>

#include "smart_ptr/SmartPtr.h"
#include "stream/Stream.h"

namespace sdk {
namespace stream {

class stream_file : public virtual stream_base {
public:
    class impl;

    // Keeps the path; opens nothing.
    explicit stream_file(const std::string& path);
    // Opens the path for reading; other readers may share it, writers may not.
    void OpenRead();
    // Creates or empties the path for writing; nobody else may open it meanwhile.
    void OpenWrite();

    int32_t GetSize() override;
    uint32_t GetRemain() override;
    int32_t GetPos() override;
    // Moving beyond the end is allowed; reads there come back short.
    void Seek(int32_t offset) override;
    void SetPos(int32_t position) override;

    const std::string& Path() const;

protected:
    ~stream_file() = default;
    smart_ptr<impl> file;
};

// A readable file. Reads that reach the end of the file succeed and leave the rest of the
// destination unchanged: readers that must not run past the end check GetRemain themselves.
class file_in : public stream_in, public stream_file {
public:
    explicit file_in(const std::string& path) : stream_file(path) {}
    void Read(void* destination, uint32_t count) override;
};

// A writable file. OpenWrite writes the path itself. OpenReplace writes a new temporary file
// beside it instead, which Commit renames over the path once it is complete: until then, and
// for good when the last copy of the stream goes without Commit, a file at the path stays as it
// was, and the temporary file is removed. OpenReplace refuses what OpenWrite would refuse (a
// folder at the path, a file that may not be written or that another stream holds) with the
// same error; a device at the path is written as it is.
class file_out : public stream_out, public stream_file {
public:
    explicit file_out(const std::string& path) : stream_file(path) {}
    void OpenReplace();
    void Write(const void* source, uint32_t count) override;
    // Closes the file; after OpenReplace, the temporary file then takes the path's place.
    void Commit();
};

// The system's error code behind the last file operation that failed on this thread (errno, or
// GetLastError on Windows), 0 when it had none or after ClearLastFileError: the reason that the
// error record logs, for callers that explain a failure in words.
uint32_t LastFileError();
void ClearLastFileError();
// Makes code what LastFileError tells on this thread: for a caller that raises again an error
// that a file operation raised elsewhere (on another thread, say).
void SetLastFileError(uint32_t code);

}  // namespace stream
}  // namespace sdk
