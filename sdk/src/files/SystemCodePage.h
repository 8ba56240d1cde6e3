// The platform's side of the code-page rules.
#pragma once

#include <cstdint>

namespace sdk {
namespace files {

// The system's own code page for byte strings: the ANSI code page on Windows, UTF-8 elsewhere.
uint32_t SystemCodePage();

// Lead-byte test of the system for a double-byte code page other than Shift_JIS.
bool SystemIsLeadByte(uint32_t code_page, uint8_t byte);

}  // namespace files
}  // namespace sdk
