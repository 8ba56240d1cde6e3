#include <windows.h>

#include "files/CodePage.h"
#include "files/SystemCodePage.h"

namespace sdk {
namespace files {

uint32_t SystemCodePage() { return GetACP(); }

bool SystemIsLeadByte(uint32_t code_page, uint8_t byte)
{
    return IsDBCSLeadByteEx(code_page, byte) != FALSE;
}

}  // namespace files
}  // namespace sdk
