// Files over Win32 handles.
#include <windows.h>

#include <limits>

#include "debug/Error.h"
#include "stream/FileHandle.h"
#include "stream/PendingFiles.h"

namespace sdk {
namespace stream {

namespace {

const int32_t kMaxSize = std::numeric_limits<int32_t>::max();
const intptr_t kInvalid = -1;

[[noreturn]] void Fail(const char* tag, DWORD code) { throw debug::windows_error(tag, code); }

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Makes a new listed temporary file beside path, open for writing; raises tag when none can be
// made.
intptr_t MakeTemporary(const std::string& path, std::string& temporary, const char* tag)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD code = 0;
    const bool made = pending::Make(
        path, GetCurrentProcessId(),
        [&](const std::string& candidate) {
            // Shared for deletion, so that an interrupted program can remove it while open.
            file = CreateFileA(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                               CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            code = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
            return file != INVALID_HANDLE_VALUE ? pending::Made::kMade
                   : code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS
                       ? pending::Made::kTaken
                       : pending::Made::kFailed;
        },
        temporary);
    if (!made)
        Fail(tag, code);
    return reinterpret_cast<intptr_t>(file);
}

}  // namespace

stream_file::impl::impl(const std::string& file_path) : handle(kInvalid), path(file_path) {}

stream_file::impl::~impl()
{
    if (handle != kInvalid)
        CloseHandle(Handle(handle));
    if (!temporary.empty())
        pending::Discard(temporary);
}

void stream_file::impl::OpenRead()
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("stream_file::impl::OpenRead:75", GetLastError());
    // Sizes and positions are 32-bit: a larger file cannot be read correctly, so it is refused.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxSize) {
        CloseHandle(file);
        Fail("stream_file::impl::OpenRead:75", ERROR_FILE_TOO_LARGE);
    }
    handle = reinterpret_cast<intptr_t>(file);
}

void stream_file::impl::OpenWrite()
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("stream_file::impl::OpenWrite:88", GetLastError());
    handle = reinterpret_cast<intptr_t>(file);
}

void stream_file::impl::OpenReplace()
{
    const char* tag = "stream_file::impl::OpenWrite:88";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        Fail(tag, ERROR_ACCESS_DENIED);  // what opening a folder for writing gives
    // Refused where writing the file itself would be refused: a file that may not be written,
    // or one that another stream holds.
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND)
            Fail(tag, code);
    } else {
        const bool device = GetFileType(probe) != FILE_TYPE_DISK;
        CloseHandle(probe);
        if (device) {
            OpenWrite();  // a device cannot be replaced by a file: it is written as it is
            return;
        }
    }
    handle = MakeTemporary(path, temporary, tag);
}

void stream_file::impl::OpenScratch()
{
    handle = MakeTemporary(path, temporary, "stream_file::impl::OpenWrite:88");
}

void stream_file::impl::Close()
{
    if (handle == kInvalid)
        return;
    HANDLE file = Handle(handle);
    handle = kInvalid;
    if (!CloseHandle(file))
        Fail("stream_file::impl::Close:170", GetLastError());
}

void stream_file::impl::Commit()
{
    const char* tag = "stream_file::impl::Commit:175";
    if (handle == kInvalid)
        Fail(tag, ERROR_INVALID_HANDLE);
    HANDLE file = Handle(handle);
    handle = kInvalid;
    if (!CloseHandle(file))
        Fail(tag, GetLastError());  // the temporary file goes with this object
    if (temporary.empty())
        return;
    const uint32_t code = pending::Replace(temporary, path);
    temporary.clear();
    if (code != 0)
        Fail(tag, code);
}

int32_t stream_file::impl::GetSize()
{
    if (handle == kInvalid)
        return 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Handle(handle), &size) || size.QuadPart > kMaxSize)
        return 0;
    return static_cast<int32_t>(size.QuadPart);
}

int32_t stream_file::impl::GetPos()
{
    if (handle == kInvalid)
        return 0;
    LARGE_INTEGER zero = {}, pos = {};
    if (!SetFilePointerEx(Handle(handle), zero, &pos, FILE_CURRENT) || pos.QuadPart > kMaxSize)
        return 0;
    return static_cast<int32_t>(pos.QuadPart);
}

void stream_file::impl::Seek(int32_t offset)
{
    LARGE_INTEGER distance, pos;
    distance.QuadPart = offset;
    LARGE_INTEGER zero = {}, current = {};
    if (!SetFilePointerEx(Handle(handle), zero, &current, FILE_CURRENT))
        Fail("stream_file::impl::Seek:131", GetLastError());
    if (current.QuadPart + offset > kMaxSize)
        Fail("stream_file::impl::Seek:131", ERROR_INVALID_PARAMETER);
    if (!SetFilePointerEx(Handle(handle), distance, &pos, FILE_CURRENT))
        Fail("stream_file::impl::Seek:131", GetLastError());
}

void stream_file::impl::SetPos(int32_t position)
{
    LARGE_INTEGER distance;
    distance.QuadPart = position;
    if (!SetFilePointerEx(Handle(handle), distance, nullptr, FILE_BEGIN))
        Fail("stream_file::impl::SetPos:142", GetLastError());
}

uint32_t stream_file::impl::Read(void* destination, uint32_t count)
{
    DWORD done = 0;
    if (!ReadFile(Handle(handle), destination, count, &done, nullptr))
        Fail("stream_file::impl::Read:153", GetLastError());
    return done;
}

void stream_file::impl::Write(const void* source, uint32_t count)
{
    if (GetPos() + static_cast<int64_t>(count) > kMaxSize)
        Fail("stream_file::impl::Write:164", ERROR_FILE_TOO_LARGE);
    DWORD done = 0;
    if (!WriteFile(Handle(handle), source, count, &done, nullptr))
        Fail("stream_file::impl::Write:164", GetLastError());
}

}  // namespace stream
}  // namespace sdk
