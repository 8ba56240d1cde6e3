// No debugger-output channel here: the log always goes to "debug.txt".
#include "debug/DebuggerChannel.h"

namespace sdk {
namespace debug {

bool DebuggerAttached() { return false; }
void DebuggerOutput(const char*) {}

}  // namespace debug
}  // namespace sdk
