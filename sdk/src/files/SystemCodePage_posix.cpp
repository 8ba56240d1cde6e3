#include "files/CodePage.h"
#include "files/SystemCodePage.h"

namespace sdk {
namespace files {

uint32_t SystemCodePage() { return kCodePageUtf8; }

// Byte strings are UTF-8 here; no other double-byte code page is known.
bool SystemIsLeadByte(uint32_t, uint8_t) { return false; }

}  // namespace files
}  // namespace sdk
