// File-system queries over POSIX calls. A "\" in a path is a folder separator here too, so paths
// built the Windows way reach the right place.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "files/DirectoryListing.h"
#include "files/FileSystem.h"
#include "files/NativePath.h"
#include "files/Path.h"

namespace sdk {
namespace files {

std::string NativePath(const std::string& path)
{
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

bool IsDirectory(const std::string& path)
{
    std::string folder = StripSeparator(path);
    if (folder.empty() && !path.empty())
        folder = "/";  // the root is all separator
    struct stat info;
    return !folder.empty() && stat(NativePath(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(NativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

uint64_t GetFileSize64(const std::string& path)
{
    struct stat info;
    if (path.empty() || stat(NativePath(path).c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    return static_cast<uint64_t>(info.st_size);
}

std::string GetModulePath()
{
    char buffer[PATH_MAX + 1];
    ssize_t length = readlink("/proc/self/exe", buffer, PATH_MAX);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

bool ListDirectory(const std::string& folder, const std::string& pattern,
                   std::vector<DirectoryEntry>& entries, ListingReport* report)
{
    const std::string native_folder = NativePath(folder.empty() ? std::string(".") : folder);
    DIR* directory = opendir(native_folder.c_str());
    if (directory == nullptr) {
        if (report != nullptr)
            report->error = static_cast<uint32_t>(errno);
        return false;
    }
    // Windows matches "*.*" against every name, and matches without regard to case.
    const std::string glob = pattern == "*.*" ? std::string("*") : pattern;
    std::vector<DirectoryEntry> found;
    std::vector<std::string> folder_links;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || fnmatch(glob.c_str(), name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        struct stat info;
        const std::string full = native_folder + "/" + name;
        if (lstat(full.c_str(), &info) != 0) {
            // A folder whose path is too long or not searchable cannot be opened either, but is
            // still listed, so that a search trying to open it learns why. Anything else that
            // cannot be looked at, or has gone since, is left out.
            if ((errno == ENAMETOOLONG || errno == EACCES) && entry->d_type == DT_DIR)
                found.push_back(DirectoryEntry{name, true});
            continue;
        }
        bool is_directory = S_ISDIR(info.st_mode);
        // Links to folders are not followed, so a link cycle cannot make a search endless.
        if (S_ISLNK(info.st_mode)) {
            if (stat(full.c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode)) {
                folder_links.push_back(name);
                continue;
            }
        }
        found.push_back(DirectoryEntry{name, is_directory});
    }
    closedir(directory);
    // Listed by name, as NTFS returns them, so every run sees the same order.
    std::sort(found.begin(), found.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    entries.insert(entries.end(), found.begin(), found.end());
    if (report != nullptr) {
        std::sort(folder_links.begin(), folder_links.end());
        report->folder_links.insert(report->folder_links.end(), folder_links.begin(),
                                    folder_links.end());
    }
    return true;
}

uint32_t CreateFolder(const std::string& path)
{
    return mkdir(NativePath(path).c_str(), 0777) == 0 ? 0 : static_cast<uint32_t>(errno);
}

std::string CurrentFolder()
{
    std::vector<char> buffer(PATH_MAX + 1);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0')
        return "/tmp";
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

uint32_t RenameOver(const std::string& from, const std::string& to)
{
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0
               ? 0
               : static_cast<uint32_t>(errno);
}

uint32_t RemoveFile(const std::string& path)
{
    return unlink(NativePath(path).c_str()) == 0 ? 0 : static_cast<uint32_t>(errno);
}

}  // namespace files
}  // namespace sdk
