// The platform's side of the file-system functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sdk {
namespace files {

struct DirectoryEntry {
    std::string name;
    bool is_directory;
};

// What a listing left out, for callers that tell the user about it.
struct ListingReport {
    // The system's error code when the folder cannot be searched; 0 otherwise.
    uint32_t error = 0;
    // The names of the links to folders that match the pattern, left out of the entries.
    std::vector<std::string> folder_links;
};

// Appends the entries of folder whose names match pattern ("*" and "?" wildcards), without
// "." and "..", in the order the system lists them (by name on systems that do not order).
// Where the system has links to folders that a search cannot tell apart from folders (POSIX),
// they are not listed, so a link cycle cannot make a search endless; on Windows junctions are
// listed as folders. Returns false when the folder cannot be searched. When report is given,
// it is filled in too.
bool ListDirectory(const std::string& folder, const std::string& pattern,
                   std::vector<DirectoryEntry>& entries, ListingReport* report = nullptr);

// Creates one folder whose parent exists. 0 when done, otherwise the system's error code.
uint32_t CreateFolder(const std::string& path);

}  // namespace files
}  // namespace sdk
