// The portable half of the file-system functions: folder trees and recursive search.
#include "files/FileSystem.h"

#include "files/DirectoryListing.h"
#include "files/Path.h"

namespace sdk {
namespace files {

bool MakeDirectories(const std::string& path)
{
    const std::string folder = StripSeparator(path);
    // An empty parent is where a relative path starts: it exists.
    if (folder.empty() || IsDirectory(folder))
        return true;
    const std::string parent = StripSeparator(GetFolder(folder));
    // A parent that is the folder itself (a drive that does not exist) ends the chain too.
    if (parent != folder)
        MakeDirectories(parent);
    return CreateFolder(folder);
}

namespace {

// Every folder below folder, depth first, each after all folders below it.
void ListSubfolders(std::vector<std::string>& result, const std::string& folder)
{
    std::vector<DirectoryEntry> entries;
    ListDirectory(folder, "*", entries);
    for (const DirectoryEntry& entry : entries) {
        if (!entry.is_directory)
            continue;
        const std::string path = MakePath(folder, entry.name);
        ListSubfolders(result, path);
        result.push_back(path);
    }
}

void ListFiles(std::vector<std::string>& result, const std::string& folder,
               const std::string& pattern)
{
    std::vector<DirectoryEntry> entries;
    ListDirectory(folder, pattern, entries);
    for (const DirectoryEntry& entry : entries) {
        if (!entry.is_directory)
            result.push_back(MakePath(folder, entry.name));
    }
}

}  // namespace

void FindFiles(std::vector<std::string>& result, const std::string& folder,
               const std::string& pattern)
{
    std::vector<std::string> folders;
    ListSubfolders(folders, folder);
    for (const std::string& subfolder : folders)
        ListFiles(result, subfolder, pattern);
    ListFiles(result, folder, pattern);
}

}  // namespace files
}  // namespace sdk
