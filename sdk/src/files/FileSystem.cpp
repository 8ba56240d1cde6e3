// The portable half of the file-system functions: folder trees and recursive search.
#include "files/FileSystem.h"

#include "files/AsciiText.h"
#include "files/CodePage.h"
#include "files/DirectoryListing.h"
#include "files/Path.h"

namespace sdk {
namespace files {

bool MakeDirectories(const std::string& path, uint32_t* error)
{
    const std::string folder = StripSeparator(path);
    // An empty parent is where a relative path starts: it exists.
    if (folder.empty() || IsDirectory(folder))
        return true;
    const std::string parent = StripSeparator(GetFolder(folder));
    // A parent that is the folder itself (a drive that does not exist) ends the chain too.
    uint32_t parent_error = 0;
    const bool parent_made = parent == folder || MakeDirectories(parent, &parent_error);
    const uint32_t code = CreateFolder(folder);
    // Another program (or thread) may have made it meanwhile.
    if (code == 0 || IsDirectory(folder))
        return true;
    // The reason is the parent's when it could not be made, unless it is a file: then the
    // folder's own ("not a directory") says more.
    if (error != nullptr)
        *error = !parent_made && !IsFile(parent) ? parent_error : code;
    return false;
}

namespace {

// Length of the folder part of path: the drive and every byte up to the last separator. Worked
// out here rather than by SplitPath, which bounds long paths on Windows, so that the folder part
// stays exactly as written.
size_t FolderPartLength(const std::string& path)
{
    size_t end = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    for (size_t pos = end; pos < path.size();) {
        const size_t length = CharLength(path, pos);
        if (length == 1 && IsSeparator(path[pos]))
            end = pos + 1;
        pos += length;
    }
    return end;
}

}  // namespace

std::string FindFileIgnoringCase(const std::string& path)
{
    if (IsFile(path))
        return path;
    const std::string folder = path.substr(0, FolderPartLength(path));
    const std::string name = path.substr(folder.size());
    if (name.empty())
        return std::string();
    // Every entry is listed and compared here: the name may hold wildcard characters, which must
    // not be taken as a pattern. A bare drive ("C:") means that drive's current folder.
    const bool bare_drive = folder.size() == 2 && folder[1] == ':';
    std::vector<DirectoryEntry> entries;
    ListDirectory(bare_drive ? folder + "." : folder, "*", entries);
    for (const DirectoryEntry& entry : entries) {
        if (!entry.is_directory && EqualsIgnoringCase(entry.name, name))
            return folder + entry.name;
    }
    return std::string();
}

namespace {

// Every folder below folder, depth first, each after all folders below it. Every folder is
// listed here once, so this is where the problems of the search are noted.
void ListSubfolders(std::vector<std::string>& result, const std::string& folder,
                    std::vector<ListingProblem>* problems)
{
    std::vector<DirectoryEntry> entries;
    ListingReport report;
    const bool listed = ListDirectory(folder, "*", entries, &report);
    if (problems != nullptr) {
        if (!listed)
            problems->push_back(
                ListingProblem{folder, ListingProblem::Kind::kUnreadable, report.error});
        for (const std::string& link : report.folder_links)
            problems->push_back(
                ListingProblem{MakePath(folder, link), ListingProblem::Kind::kFolderLink, 0});
    }
    for (const DirectoryEntry& entry : entries) {
        if (!entry.is_directory)
            continue;
        const std::string path = MakePath(folder, entry.name);
        ListSubfolders(result, path, problems);
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
               const std::string& pattern, std::vector<ListingProblem>* problems)
{
    std::vector<std::string> folders;
    ListSubfolders(folders, folder, problems);
    for (const std::string& subfolder : folders)
        ListFiles(result, subfolder, pattern);
    ListFiles(result, folder, pattern);
}

}  // namespace files
}  // namespace sdk
