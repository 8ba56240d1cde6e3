// Keys of PNG and MNG text chunks, compared the way the readers want them: ASCII letters
// without regard to case, every other byte exactly.
#pragma once

#include <cstddef>
#include <string>

namespace sdk {
namespace graphic {

inline bool IsTextKey(const char* key, size_t length, const char* wanted)
{
    size_t i = 0;
    for (; i < length && wanted[i] != '\0'; ++i) {
        char a = key[i], b = wanted[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return i == length && wanted[i] == '\0';
}

inline bool IsTextKey(const std::string& key, const char* wanted)
{
    return IsTextKey(key.data(), key.size(), wanted);
}

}  // namespace graphic
}  // namespace sdk
