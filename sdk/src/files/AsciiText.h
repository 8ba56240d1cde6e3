// Comparisons of ASCII texts such as extensions, format names and chunk keywords: letters without
// regard to case, every other byte exactly.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace sdk {
namespace files {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsIgnoringCase(const char* a, size_t a_length, const char* b, size_t b_length)
{
    if (a_length != b_length)
        return false;
    for (size_t i = 0; i < a_length; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

inline bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    return EqualsIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

}  // namespace files
}  // namespace sdk
