#include "files/Path.h"

#include <vector>

#include "files/CodePage.h"

namespace sdk {
namespace files {

const size_t kLongestName = 255;
#if defined(_WIN32)
const char kPathSeparator = '\\';
const size_t kLongestPath = 259;
namespace {
// Windows paths and each of their parts are bounded as the system's path buffers are.
const size_t kMaxPath = 260;
const size_t kMaxPart = 255;
std::string Bounded(const std::string& text, size_t limit)
{
    return text.size() > limit ? text.substr(0, limit) : text;
}
}  // namespace
#else
const char kPathSeparator = '/';
const size_t kLongestPath = 0;
namespace {
// Paths here take whatever length the system allows.
std::string Bounded(const std::string& text, size_t) { return text; }
const size_t kMaxPath = 0;
const size_t kMaxPart = 0;
}  // namespace
#endif

namespace {
// Length of the drive ("C:") that starts text; 0 when it has none.
size_t DriveLength(const std::string& text) { return text.size() >= 2 && text[1] == ':' ? 2 : 0; }
}  // namespace

bool EndsWithSeparator(const std::string& text)
{
    bool last_is_separator = false;
    for (size_t pos = 0; pos < text.size();) {
        size_t length = CharLength(text, pos);
        last_is_separator = length == 1 && IsSeparator(text[pos]);
        pos += length;
    }
    return last_is_separator;
}

PathParts SplitPath(const std::string& whole)
{
    const std::string path = Bounded(whole, kMaxPath);
    PathParts parts;
    const size_t start = DriveLength(path);
    parts.drive = path.substr(0, start);
    // One scan finds the end of the directory and the last dot after it.
    size_t directory_end = start;
    size_t last_dot = std::string::npos;
    for (size_t pos = start; pos < path.size();) {
        size_t length = CharLength(path, pos);
        if (length == 1) {
            if (IsSeparator(path[pos])) {
                directory_end = pos + 1;
                last_dot = std::string::npos;
            } else if (path[pos] == '.') {
                last_dot = pos;
            }
        }
        pos += length;
    }
    parts.directory = Bounded(path.substr(start, directory_end - start), kMaxPart);
    std::string final_component = path.substr(directory_end);
    if (last_dot == std::string::npos || final_component == "." || final_component == "..") {
        parts.name = Bounded(final_component, kMaxPart);
    } else {
        parts.name = Bounded(path.substr(directory_end, last_dot - directory_end), kMaxPart);
        parts.extension = Bounded(path.substr(last_dot), kMaxPart);
    }
    return parts;
}

std::string MergePath(const PathParts& parts)
{
    std::string path = parts.drive;
    if (!parts.directory.empty()) {
        path += parts.directory;
        if (!EndsWithSeparator(parts.directory))
            path += kPathSeparator;
    }
    path += parts.name;
    if (!parts.extension.empty()) {
        if (parts.extension[0] != '.')
            path += '.';
        path += parts.extension;
    }
    return path;
}

std::string GetDrive(const std::string& path) { return SplitPath(path).drive; }
std::string GetDir(const std::string& path) { return SplitPath(path).directory; }
std::string GetName(const std::string& path) { return SplitPath(path).name; }
std::string GetExt(const std::string& path) { return SplitPath(path).extension; }

std::string GetFolder(const std::string& path)
{
    PathParts parts = SplitPath(path);
    return parts.drive + parts.directory;
}

std::string GetFileName(const std::string& path)
{
    PathParts parts = SplitPath(path);
    return parts.name + parts.extension;
}

std::string ChangeExt(const std::string& path, const std::string& extension)
{
    PathParts parts = SplitPath(path);
    parts.extension = extension;
    return MergePath(parts);
}

std::string MakePath(const std::string& folder, const std::string& name)
{
    PathParts parts;
    parts.directory = folder;
    parts.name = name;
    return MergePath(parts);
}

std::string LowerAsciiLetters(const std::string& text)
{
    std::string result = text;
    for (size_t pos = 0; pos < result.size();) {
        const size_t length = CharLength(result, pos);
        if (length == 1 && result[pos] >= 'A' && result[pos] <= 'Z')
            result[pos] = static_cast<char>(result[pos] - 'A' + 'a');
        pos += length;
    }
    return result;
}

std::string PathIdentity(const std::string& path, const std::string& current_folder)
{
    const size_t drive = DriveLength(path);
    const bool absolute = drive < path.size() && IsSeparator(path[drive]);
    const std::string full =
        absolute || current_folder.empty() ? path : current_folder + "/" + path;

    // The parts between separators, "." dropped and ".." taking the part before it away.
    size_t pos = DriveLength(full);
    const std::string root = full.substr(0, pos);
    std::vector<std::string> parts;
    std::string part;
    auto end_part = [&] {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    while (pos < full.size()) {
        const size_t length = CharLength(full, pos);
        if (length == 1 && IsSeparator(full[pos]))
            end_part();
        else
            part.append(full, pos, length);
        pos += length;
    }
    end_part();
    std::string identity = root;
    for (const std::string& name : parts)
        identity += "/" + name;
#if defined(_WIN32)
    identity = LowerAsciiLetters(identity);
#endif
    return identity;
}

std::string StripSeparator(const std::string& path)
{
    if (EndsWithSeparator(path))
        return path.substr(0, path.size() - 1);
    return path;
}

}  // namespace files
}  // namespace sdk
