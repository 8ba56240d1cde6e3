// File-system queries over the Win32 ANSI functions.
#include <windows.h>

#include "files/DirectoryListing.h"
#include "files/FileSystem.h"
#include "files/NativePath.h"
#include "files/Path.h"

namespace sdk {
namespace files {

std::string NativePath(const std::string& path) { return path; }

bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(StripSeparator(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsRegularFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

uint64_t GetFileSize64(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string GetModulePath()
{
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, length);
}

bool ListDirectory(const std::string& folder, const std::string& pattern,
                   std::vector<DirectoryEntry>& entries, ListingReport* report)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(MakePath(folder, pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // No name matching the pattern in a folder that is there is an empty listing, not a
        // failure (a drive's root has no "." to match "*" even).
        if (error == ERROR_FILE_NOT_FOUND && (folder.empty() || IsDirectory(folder)))
            return true;
        if (report != nullptr)
            report->error = error;
        return false;
    }
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        // Junctions and links to folders are followed here, as the system's own searches do;
        // a cycle ends where the path reaches the system's length limit.
        const bool is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(DirectoryEntry{name, is_directory});
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return true;
}

uint32_t CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) ? 0 : GetLastError();
}

std::string CurrentFolder()
{
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0)
        return std::string();
    std::string folder(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, &folder[0]);
    folder.resize(length < size ? length : 0);
    return folder;
}

std::string TemporaryFolder()
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return ".";
    std::string path(folder, length);
    if (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

uint32_t RenameOver(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : GetLastError();
}

uint32_t RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) ? 0 : GetLastError();
}

}  // namespace files
}  // namespace sdk
