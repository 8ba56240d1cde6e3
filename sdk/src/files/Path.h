// Splitting and joining paths. "\" and "/" both separate folders and a drive is a letter and ":"
// at the start, on every platform. Scans are double-byte aware: the trail byte of a Shift_JIS
// character is never taken for a separator or a dot. None of these touches the file system.
#pragma once

#include <cstddef>
#include <string>

namespace sdk {
namespace files {

// The separator that joins insert: "\" on Windows, "/" elsewhere.
extern const char kPathSeparator;
// The most bytes of one file or folder name that the file systems take (255 on the common ones,
// where Windows counts UTF-16 units, of which a character of the code page is never more than
// its bytes).
extern const size_t kLongestName;
// The most bytes of a whole path that the system takes: 259 on Windows (MAX_PATH without its
// terminator); 0 where a path may be as long as its names allow.
extern const size_t kLongestPath;

// The four parts of a path: drive ("C:" or empty), directory (up to and including the last
// separator), name (up to the extension) and extension (from the last "." of the final
// component, dot included; empty when that component has none, and for "." and "..").
struct PathParts {
    std::string drive;
    std::string directory;
    std::string name;
    std::string extension;
};

PathParts SplitPath(const std::string& path);

// Joins the parts: drive, directory (a separator added unless it ends with one), name, and
// extension (a "." added unless it starts with one).
std::string MergePath(const PathParts& parts);

std::string GetDrive(const std::string& path);
std::string GetDir(const std::string& path);
std::string GetName(const std::string& path);
std::string GetExt(const std::string& path);
// Drive and directory: ends with a separator unless empty.
std::string GetFolder(const std::string& path);
// Name and extension.
std::string GetFileName(const std::string& path);
// The path with its extension replaced; extension may be given with or without its dot.
std::string ChangeExt(const std::string& path, const std::string& extension);
// folder as directory, then name.
std::string MakePath(const std::string& folder, const std::string& name);
// The path without a final separator; unchanged when it has none.
std::string StripSeparator(const std::string& path);

// True for "\" and "/".
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// True when the last byte of text is a separator in its own right, not a trail byte.
bool EndsWithSeparator(const std::string& text);

// text with its ASCII letters in lower case; the bytes of two-byte characters are left alone.
std::string LowerAsciiLetters(const std::string& text);

// What two paths that name the same place have in common, as far as their text tells: the path
// made absolute against current_folder when it is relative, its "." parts dropped and its ".."
// parts resolved, every separator "/", and on Windows, whose file names ignore letter case, its
// ASCII letters in lower case. Links are not followed.
std::string PathIdentity(const std::string& path, const std::string& current_folder);

}  // namespace files
}  // namespace sdk
