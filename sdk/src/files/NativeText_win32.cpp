#include <windows.h>

#include "files/NativeText.h"

namespace sdk {
namespace files {

std::string ShiftJisToNative(const std::string& text) { return text; }

std::string Utf16ToNative(const std::u16string& text)
{
    if (text.empty())
        return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, &result[0], size, nullptr, nullptr);
    return result;
}

}  // namespace files
}  // namespace sdk
