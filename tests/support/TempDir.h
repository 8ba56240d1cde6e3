// Test support: scratch folders and whole-file reads and writes.
#pragma once

#include <string>

namespace test_support {

// A new empty folder below the system's temporary folder, removed with everything in it when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a final separator.
    const std::string& Path() const { return path_; }
    // A path inside the folder.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

// Makes folder the current directory for the lifetime of the object.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string& folder);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::string previous_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
bool MakeFolder(const std::string& path);

}  // namespace test_support
