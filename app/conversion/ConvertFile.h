// The conversion of one file: open it, let its contents choose the reader, run the conversions
// the options ask for, and report one status line per output.
#pragma once

#include <cstdint>
#include <string>

#include "conversion/ConvertContext.h"

// What is known of a file whose conversion did not run to the end.
struct ConversionFailure {
    std::string tag;           // the error's tag; empty when no error was raised
    std::string format;        // the format its contents showed ("PSD", "PNG", ...); empty: none
    uint32_t systemError = 0;  // the system's error code behind a failed file operation, or 0
};

// Converts one file; true when its conversion ran to the end. Never raises: an error's tag
// becomes a status line and the result is false. When failure is not null, a false result fills
// it in.
bool ConvertFile(ConvertContext& context, const std::string& path,
                 ConversionFailure* failure = nullptr);

// The body of ConvertFile; raises what the conversion raises. format receives the format that
// the contents showed (empty when none).
bool RunConversions(ConvertContext& context, const std::string& path, std::string& format);
