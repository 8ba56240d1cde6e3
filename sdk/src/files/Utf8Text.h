// UTF-8 made from UTF-16 and checked, for the files that must be UTF-8 whatever the system's
// own byte strings are (the layer manifest). Anything that is not text becomes U+FFFD, so the
// result is always valid UTF-8.
#pragma once

#include <string>

namespace sdk {
namespace files {

// U+FFFD, the replacement character, in UTF-8.
constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// The text with every byte that starts no valid UTF-8 sequence (overlong forms, surrogates and
// values above U+10FFFF included) replaced by U+FFFD.
std::string ValidUtf8(const std::string& text);

}  // namespace files
}  // namespace sdk
