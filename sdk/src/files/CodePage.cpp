#include "files/CodePage.h"

#include "files/SystemCodePage.h"

namespace sdk {
namespace files {

namespace {
uint32_t g_selected_code_page = 0;

bool IsShiftJisLeadByte(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
}  // namespace

uint32_t ActiveCodePage()
{
    return g_selected_code_page != 0 ? g_selected_code_page : SystemCodePage();
}

void SelectCodePage(uint32_t code_page) { g_selected_code_page = code_page; }

bool IsLeadByte(uint8_t byte)
{
    uint32_t code_page = ActiveCodePage();
    if (code_page == kCodePageShiftJis)
        return IsShiftJisLeadByte(byte);
    if (code_page == kCodePageUtf8)
        return false;
    return SystemIsLeadByte(code_page, byte);
}

size_t CharLength(const std::string& text, size_t pos)
{
    if (pos + 1 < text.size() && IsLeadByte(static_cast<uint8_t>(text[pos])))
        return 2;
    return 1;
}

size_t WholeCharactersWithin(const std::string& text, size_t most)
{
    if (text.size() <= most)
        return text.size();
    const bool utf8 = ActiveCodePage() == kCodePageUtf8;
    size_t end = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t length = CharLength(text, pos);
        // UTF-8 continuation bytes belong to the character before them.
        while (utf8 && pos + length < text.size() &&
               (static_cast<uint8_t>(text[pos + length]) & 0xC0) == 0x80)
            ++length;
        if (pos + length > most)
            break;
        pos += length;
        end = pos;
    }
    return end;
}

}  // namespace files
}  // namespace sdk
