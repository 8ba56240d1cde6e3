// Text stored in files as Shift_JIS (code page 932), turned into the byte strings of this system.
#pragma once

#include <string>

namespace sdk {
namespace files {

// On Windows the bytes are kept as they are (the program's code page is 932). Where byte
// strings are UTF-8, they are converted; a sequence that is not Shift_JIS becomes U+FFFD.
std::string ShiftJisToNative(const std::string& text);

}  // namespace files
}  // namespace sdk
