// The diagnostic log: "debug.txt" in the current directory, or the debugger's output channel
// while a debugger is attached. The file is created (emptied) by the first record of a run; a run
// that logs nothing leaves an existing file alone. Lines end with CR LF on every platform.
#pragma once

#include <exception>
#include <ostream>
#include <string>

namespace sdk {
namespace debug {

// The log stream, created on first use. Writers that can run on several threads use LogError or
// LogLine, which write a whole record at once.
std::ostream& DebugLog();

// Writes the error record of error, then line (an empty line when line is empty), as one piece.
void LogError(const std::exception& error, const std::string& line = std::string());

// Writes one line as one piece.
void LogLine(const std::string& line);

// The descriptor of "debug.txt" once it is open, else -1. For the fault handler, which must
// write without the stream.
int DebugLogDescriptor();

}  // namespace debug
}  // namespace sdk
