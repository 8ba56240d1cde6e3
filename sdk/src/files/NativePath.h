// The path as the host system's calls take it.
#pragma once

#include <string>

namespace sdk {
namespace files {

// On POSIX systems "\" becomes "/"; on Windows the path is unchanged.
std::string NativePath(const std::string& path);

}  // namespace files
}  // namespace sdk
