// File-system queries and operations. None raises an error: a failure shows only in the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sdk {
namespace files {

// True when the path (a final separator allowed) names an existing directory.
bool IsDirectory(const std::string& path);
// True when the path names an existing entry that is not a directory.
bool IsFile(const std::string& path);
// True when the path names an ordinary file: not a directory, a pipe, a device or a socket,
// which a reader could wait on for ever.
bool IsRegularFile(const std::string& path);
// Size in bytes of the file; 0 when it cannot be found.
uint64_t GetFileSize64(const std::string& path);
// Full path of the program's own executable.
std::string GetModulePath();
// Creates the folder and every missing parent; true when the folder exists afterwards. On
// failure, error (when not null) receives the system's error code of the step that failed.
bool MakeDirectories(const std::string& path, uint32_t* error = nullptr);
// The current folder, absolute; empty when the system cannot tell it.
std::string CurrentFolder();
// The folder the system keeps temporary files in (TMPDIR, or /tmp; on Windows the folder
// GetTempPath names), without a final separator.
std::string TemporaryFolder();
// Renames the file from over the file to, which it replaces when it exists. 0 when done,
// otherwise the system's error code.
uint32_t RenameOver(const std::string& from, const std::string& to);
// Removes the file. 0 when done, otherwise the system's error code.
uint32_t RemoveFile(const std::string& path);

// The path of the existing file (not a folder) that path names when letter case is not taken
// into account: path itself when it is a file; otherwise the first entry of its folder, in
// listing order, whose name equals the name of path without regard to ASCII letter case, joined
// to the folder part of path as written. Empty when there is none. On Windows the file system
// already ignores case; elsewhere this finds "PIC_.BMP" when "PIC_.bmp" is asked for.
std::string FindFileIgnoringCase(const std::string& path);

// Something a search of a folder tree had to leave out.
struct ListingProblem {
    enum class Kind {
        kUnreadable,  // the folder could not be listed: no permission, a path too long, gone...
        kFolderLink,  // a symbolic link to a folder, which is not followed (POSIX systems)
    };
    std::string path;
    Kind kind;
    // The system's error code (errno, or GetLastError() on Windows) for kUnreadable; 0 else.
    uint32_t error;
};

// Appends the full paths of the files matching pattern in folder and in every folder below it:
// the deepest folders first, each folder after all folders below it, the folder itself last.
// Folders that cannot be listed (folder itself included) and links to folders are left out;
// when problems is given, each of them is appended to it once, in the order the search meets
// them. The result does not depend on problems.
void FindFiles(std::vector<std::string>& result, const std::string& folder,
               const std::string& pattern, std::vector<ListingProblem>* problems = nullptr);

}  // namespace files
}  // namespace sdk
