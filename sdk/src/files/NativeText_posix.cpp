// Shift_JIS to UTF-8 through the C library's converter (its "CP932" table, which carries the
// Windows extensions to Shift_JIS). Byte strings are UTF-8 here.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "files/NativeText.h"
#include "files/Utf8Text.h"

namespace sdk {
namespace files {

namespace {

// The bytes one replacement character stands for, as the Encoding Standard's Shift_JIS decoder
// counts them: a byte that starts a two-byte character takes its partner along, so that one
// bad pair gives one replacement character, unless the partner is ASCII: an ASCII byte is
// always a character of its own.
size_t BadSequenceLength(const char* text, size_t left)
{
    unsigned char lead = static_cast<unsigned char>(text[0]);
    bool two_bytes = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return two_bytes && left >= 2 && static_cast<unsigned char>(text[1]) >= 0x80 ? 2 : 1;
}

// Single bytes that start no character but that Windows' code page 932 maps all the same (to a
// control character and to private-use characters); the C library's table lacks them. Null for
// any other byte.
const char* WindowsOnlySingleByte(unsigned char byte)
{
    switch (byte) {
        case 0x80:
            return "\xC2\x80";  // U+0080
        case 0xA0:
            return "\xEF\xA3\xB0";  // U+F8F0
        case 0xFD:
            return "\xEF\xA3\xB1";  // U+F8F1
        case 0xFE:
            return "\xEF\xA3\xB2";  // U+F8F2
        case 0xFF:
            return "\xEF\xA3\xB3";  // U+F8F3
        default:
            return nullptr;
    }
}
}  // namespace

std::string ShiftJisToNative(const std::string& text)
{
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string result;
    result.reserve(text.size() * 3 / 2);
    char* in = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char buffer[256];
    while (in_left > 0) {
        char* out = buffer;
        size_t out_left = sizeof buffer;
        size_t status = iconv(converter, &in, &in_left, &out, &out_left);
        result.append(buffer, static_cast<size_t>(out - buffer));
        if (status == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte only Windows maps becomes its character; an invalid or cut-off sequence
            // one replacement character. Then go on.
            const char* windows = WindowsOnlySingleByte(static_cast<unsigned char>(*in));
            size_t skip = windows != nullptr ? 1 : BadSequenceLength(in, in_left);
            result += windows != nullptr ? windows : kUtf8Replacement;
            in += skip;
            in_left -= skip;
        }
    }
    iconv_close(converter);
    return result;
}

std::string Utf16ToNative(const std::u16string& text) { return Utf16ToUtf8(text); }

std::string NativeToUtf8(const std::string& text) { return ValidUtf8(text); }

}  // namespace files
}  // namespace sdk
