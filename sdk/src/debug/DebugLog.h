// The diagnostic log: "debug.txt" in the current directory, or the debugger's output channel
// while a debugger is attached, or what the program redirects it to. The file is created
// (emptied) by the first record of a run; a run that logs nothing leaves an existing file alone.
// Lines end with CR LF there on every platform.
#pragma once

#include <exception>
#include <ostream>
#include <string>

namespace sdk {
namespace debug {

// Where the records go instead, once redirected: called with each whole record, its lines ended
// by "\n", one record at a time.
using LogWriter = void (*)(const std::string& record);

// Sends every record to writer from then on; "debug.txt" is then neither created nor touched.
// Call it before anything is logged.
void RedirectLog(LogWriter writer);

// True once the log has been redirected.
bool LogIsRedirected();

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
