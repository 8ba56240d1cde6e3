// printf-style formatting into a string, and the display text of a file size.
#pragma once

#include <cstdint>
#include <string>

namespace sdk {
namespace files {

// Formats like printf, without a length limit.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A byte count as whole kilobytes rounded up, with thousands commas: 1048577 -> "1,025 KB".
// Zero bytes give " KB" alone.
std::string FormatSizeKB(uint64_t size);

}  // namespace files
}  // namespace sdk
