#include <windows.h>

#include "files/NativeText.h"
#include "files/Utf8Text.h"

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

std::string NativeToUtf8(const std::string& text)
{
    if (text.empty())
        return std::string();
    const int bytes = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0)
        return ValidUtf8(text);
    std::u16string wide(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, reinterpret_cast<wchar_t*>(&wide[0]), units);
    return Utf16ToUtf8(wide);
}

}  // namespace files
}  // namespace sdk
