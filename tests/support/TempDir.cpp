#include "support/TempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test_support {

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() /
                             ("quillmark-test-" + std::to_string(stamp) + "-" +
                              std::to_string(counter++));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("TempDir: no folder could be created");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const
{
    return (fs::path(path_) / name).string();
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& folder)
    : previous_(fs::current_path().string())
{
    fs::current_path(folder);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

}  // namespace test_support

namespace test_support {

bool MakeFolder(const std::string& path)
{
    std::error_code ignored;
    return fs::create_directories(path, ignored);
}

}  // namespace test_support
