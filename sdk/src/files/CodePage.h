// The multibyte encoding that path scans follow. On Windows it is the ANSI code page in effect
// (932, Shift_JIS, on the systems the program is made for); elsewhere UTF-8, where no byte of a
// multibyte character can be taken for a separator or a dot. A code page can be selected
// explicitly (the Shift_JIS rule is exercised on every platform that way).
#pragma once

#include <cstdint>
#include <string>

namespace sdk {
namespace files {

const uint32_t kCodePageShiftJis = 932;
const uint32_t kCodePageUtf8 = 65001;

// The code page the path scans follow now.
uint32_t ActiveCodePage();

// Makes the path scans follow code_page; 0 returns to the system's own. Set it before threads
// start: it is read without a lock.
void SelectCodePage(uint32_t code_page);

// True when byte starts a two-byte character in the active code page.
bool IsLeadByte(uint8_t byte);

// Byte length of the character that starts at text[pos]: 2 for a lead byte followed by a trail
// byte, else 1.
size_t CharLength(const std::string& text, size_t pos);

// Length of the longest start of text that holds at most most bytes and ends between two
// characters: a two-byte character of the code page, or a UTF-8 sequence, is never cut.
size_t WholeCharactersWithin(const std::string& text, size_t most);

}  // namespace files
}  // namespace sdk
