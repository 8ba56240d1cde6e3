// The debugger's output channel, where the platform has one.
#pragma once

namespace sdk {
namespace debug {

// True while a debugger is attached to the process.
bool DebuggerAttached();
// Passes text to the attached debugger.
void DebuggerOutput(const char* text);

}  // namespace debug
}  // namespace sdk
