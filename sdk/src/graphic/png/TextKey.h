// Keys of PNG and MNG text chunks, compared the way the readers want them: ASCII letters
// without regard to case, every other byte exactly.
#pragma once

#include <cstring>
#include <string>

#include "files/AsciiText.h"

namespace sdk {
namespace graphic {

inline bool IsTextKey(const char* key, size_t length, const char* wanted)
{
    return files::EqualsIgnoringCase(key, length, wanted, std::strlen(wanted));
}

inline bool IsTextKey(const std::string& key, const char* wanted)
{
    return IsTextKey(key.data(), key.size(), wanted);
}

}  // namespace graphic
}  // namespace sdk
