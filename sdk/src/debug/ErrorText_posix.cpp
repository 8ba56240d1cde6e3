// The description of an error code on POSIX systems: the C library's text for an errno value.
#include <cstring>
#include <string>

#include "debug/Error.h"

namespace sdk {
namespace debug {

namespace {
// strerror_r comes in two shapes; both are handled without naming which one the library has.
[[maybe_unused]] const char* PickText(int result, const char* buffer) { return result == 0 ? buffer : nullptr; }
[[maybe_unused]] const char* PickText(const char* result, const char*) { return result; }
}  // namespace

std::string GetErrorText(uint32_t code)
{
    char buffer[256] = {};
    const char* text = PickText(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
    // The C library answers unknown codes with a made-up "Unknown error N": that is no text.
    if (text == nullptr || *text == '\0' || strncmp(text, "Unknown error", 13) == 0)
        return "???";
    return std::string(text, strcspn(text, "\r\n"));
}

}  // namespace debug
}  // namespace sdk
