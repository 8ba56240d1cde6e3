// Text stored in files as Shift_JIS (code page 932) or as UTF-16, turned into the byte strings
// of this system.
#pragma once

#include <string>

namespace sdk {
namespace files {

// On Windows the bytes are kept as they are (the program's code page is 932). Where byte
// strings are UTF-8, they are converted as Windows converts code page 932 (the single bytes 0x80,
// 0xA0 and 0xFD to 0xFF included); a sequence that is not Shift_JIS becomes U+FFFD.
std::string ShiftJisToNative(const std::string& text);

// UTF-16 code units to this system's byte strings: UTF-8 where byte strings are UTF-8 (an
// unpaired surrogate becomes U+FFFD); the ANSI code page on Windows, where a character the code
// page lacks becomes the system's default character.
std::string Utf16ToNative(const std::u16string& text);

// This system's byte strings to UTF-8: converted from the ANSI code page on Windows; checked
// where they are UTF-8 already. Whatever is not text becomes U+FFFD.
std::string NativeToUtf8(const std::string& text);

}  // namespace files
}  // namespace sdk
