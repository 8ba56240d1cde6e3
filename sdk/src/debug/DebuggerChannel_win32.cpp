#include <windows.h>

#include "debug/DebuggerChannel.h"

namespace sdk {
namespace debug {

bool DebuggerAttached() { return IsDebuggerPresent() != FALSE; }
void DebuggerOutput(const char* text) { OutputDebugStringA(text); }

}  // namespace debug
}  // namespace sdk
