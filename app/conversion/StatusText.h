// The status lines of the conversions. The arrow is 0x81 0xA8 in the program's code page.
#pragma once

#include <string>

#include "files/Format.h"
#include "files/Path.h"

// "input → output", with the files' names (no folders).
inline std::string StatusLine(const std::string& input, const std::string& output)
{
    return sdk::files::Format("%s → %s", sdk::files::GetFileName(input).c_str(),
                              sdk::files::GetFileName(output).c_str());
}
