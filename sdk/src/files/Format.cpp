#include "files/Format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace sdk {
namespace files {

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measure;
    va_copy(measure, arguments);
    int length = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        va_end(arguments);
        return std::string();
    }
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    return std::string(text.data(), static_cast<size_t>(length));
}

std::string FormatSizeKB(uint64_t size)
{
    // Rounded up to whole units of 1024, without overflowing at the top of the range.
    uint64_t units = (size >> 10) + ((size & 1023) != 0 ? 1 : 0);
    std::string reversed;
    int digits = 0;
    while (units != 0) {
        reversed.push_back(static_cast<char>('0' + units % 10));
        units /= 10;
        if (++digits % 3 == 0 && units != 0)
            reversed.push_back(',');
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed + " KB";
}

}  // namespace files
}  // namespace sdk
