// The platform's side of the file-system functions.
#pragma once

#include <string>
#include <vector>

namespace sdk {
namespace files {

struct DirectoryEntry {
    std::string name;
    bool is_directory;
};

// Appends the entries of folder whose names match pattern ("*" and "?" wildcards), without
// "." and "..", in the order the system lists them (by name on systems that do not order).
// Returns false when the folder cannot be searched.
bool ListDirectory(const std::string& folder, const std::string& pattern,
                   std::vector<DirectoryEntry>& entries);

// Creates one folder whose parent exists; true on success.
bool CreateFolder(const std::string& path);

}  // namespace files
}  // namespace sdk
