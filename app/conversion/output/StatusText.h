// The status lines of the conversions and of a run. The arrow is 0x81 0xA8 in the program's code
// page.
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

// The line the run adds after a file whose conversion failed: "変換失敗[path]", the full path.
inline std::string FailureLine(const std::string& path)
{
    return sdk::files::Format("変換失敗[%s]", path.c_str());
}
