// The description of a Win32 error code: the system's message text, first line only.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>

#include "debug/Error.h"

namespace sdk {
namespace debug {

std::string GetErrorText(uint32_t code)
{
    // One buffer for the process, as the system text is copied out before the next call.
    static char buffer[256];
    static std::mutex guard;
    std::lock_guard<std::mutex> lock(guard);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0x400, buffer, sizeof buffer, nullptr);
    if (length == 0)
        return "???";
    buffer[sizeof buffer - 1] = '\0';
    return std::string(buffer, strcspn(buffer, "\r\n"));
}

}  // namespace debug
}  // namespace sdk
