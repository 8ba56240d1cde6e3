#include "cli/ProgressText.h"

#include <cstdint>
#include <vector>

#include "files/CodePage.h"

namespace {

// One character of text: where it starts, its bytes and its columns.
struct Character {
    size_t start;
    size_t length;
    size_t columns;
};

// Code points that terminals draw two columns wide: the East Asian wide and full-width ranges.
bool IsWide(uint32_t code)
{
    static const uint32_t kRanges[][2] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
    };
    for (const auto& range : kRanges) {
        if (code >= range[0] && code <= range[1])
            return true;
    }
    return false;
}

std::vector<Character> Characters(const std::string& text)
{
    const bool utf8 = sdk::files::ActiveCodePage() == sdk::files::kCodePageUtf8;
    std::vector<Character> characters;
    for (size_t pos = 0; pos < text.size();) {
        const uint8_t byte = static_cast<uint8_t>(text[pos]);
        Character character{pos, sdk::files::CharLength(text, pos), 1};
        if (!utf8) {
            character.columns = character.length;
        } else if (byte >= 0xC0) {
            // A lead byte and its continuation bytes; a broken sequence ends where they end.
            const size_t expected = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            uint32_t code = byte & (0x3F >> (expected - 1));
            size_t length = 1;
            while (length < expected && pos + length < text.size() &&
                   (static_cast<uint8_t>(text[pos + length]) & 0xC0) == 0x80)
                code = (code << 6) | (static_cast<uint8_t>(text[pos + length++]) & 0x3F);
            character.length = length;
            character.columns = length == expected && IsWide(code) ? 2 : 1;
        }
        characters.push_back(character);
        pos += character.length;
    }
    return characters;
}

// The start of text that takes at most columns columns.
std::string Head(const std::string& text, size_t columns)
{
    size_t used = 0;
    size_t end = 0;
    for (const Character& character : Characters(text)) {
        if (used + character.columns > columns)
            break;
        used += character.columns;
        end = character.start + character.length;
    }
    return text.substr(0, end);
}

// The end of text that takes at most columns columns.
std::string Tail(const std::string& text, size_t columns)
{
    const std::vector<Character> characters = Characters(text);
    size_t used = 0;
    size_t start = text.size();
    for (size_t i = characters.size(); i-- > 0;) {
        if (used + characters[i].columns > columns)
            break;
        used += characters[i].columns;
        start = characters[i].start;
    }
    return text.substr(start);
}

}  // namespace

std::string WithoutControls(const std::string& text, char mark)
{
    std::string shown = text;
    for (char& c : shown) {
        if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F)
            c = mark;
    }
    return shown;
}

size_t TextColumns(const std::string& text)
{
    size_t columns = 0;
    for (const Character& character : Characters(text))
        columns += character.columns;
    return columns;
}

std::string FitProgressText(const std::string& prefix, const std::string& name,
                            const std::string& suffix, size_t columns)
{
    const std::string shown = WithoutControls(name, '?');
    const size_t around = TextColumns(prefix) + TextColumns(suffix);
    if (around + TextColumns(shown) <= columns)
        return prefix + shown + suffix;
    const char kCut[] = "...";
    const size_t cut = sizeof kCut - 1;
    if (around + cut < columns)
        return prefix + kCut + Tail(shown, columns - around - cut) + suffix;
    return Head(prefix + suffix, columns);
}
