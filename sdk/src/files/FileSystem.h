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
// Size in bytes of the file; 0 when it cannot be found.
uint64_t GetFileSize64(const std::string& path);
// Full path of the program's own executable.
std::string GetModulePath();
// Creates the folder and every missing parent; true when the folder exists afterwards.
bool MakeDirectories(const std::string& path);
// Renames the file from over the file to, which it replaces when it exists. 0 when done,
// otherwise the system's error code.
uint32_t RenameOver(const std::string& from, const std::string& to);
// Removes the file. 0 when done, otherwise the system's error code.
uint32_t RemoveFile(const std::string& path);
// Appends the full paths of the files matching pattern in folder and in every folder below it:
// the deepest folders first, each folder after all folders below it, the folder itself last.
void FindFiles(std::vector<std::string>& result, const std::string& folder,
               const std::string& pattern);

}  // namespace files
}  // namespace sdk
