// printf-style formatting into a string, and the display text of a file size.
#pragma once

#include <cstdint>
#include <string>

namespace sdk {
namespace files {

// Formats like printf, without a length limit.
// (mingw-w64 builds format with its own C99 printf, which knows %zu and %lld; the checks follow.)
std::string Format(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A byte count as whole kilobytes rounded up, with thousands commas: 1048577 -> "1,025 KB".
// Zero bytes give " KB" alone.
std::string FormatSizeKB(uint64_t size);

}  // namespace files
}  // namespace sdk
