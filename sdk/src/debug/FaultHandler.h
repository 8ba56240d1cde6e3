// Processor and system faults (access violations, division by zero and the like) become
// system_error records: written to standard error and to "debug.txt" (unless the log is
// redirected), then handed to the program's own reporter, after which the process ends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "debug/Error.h"

#if defined(_WIN32)
struct _EXCEPTION_POINTERS;
#endif

namespace sdk {
namespace debug {

// Called with the fault after its record is written; it may show the fault to the user. On
// POSIX systems it runs inside a signal handler, so it may only make async-signal-safe calls.
using FaultReporter = void (*)(const system_error& fault);

// Installs the handler for the whole process. A fault then ends the process with exit_code.
void InstallFaultHandler(int exit_code, FaultReporter reporter = nullptr);

// Composes the error record of fault into buffer, each line ended by line_end, without
// allocating; returns its length (cut to size - 1, always terminated).
size_t FormatFaultRecord(const system_error& fault, const char* line_end, char* buffer,
                         size_t size);

#if defined(_WIN32)
// The structured-exception filter: 1 (run the handler) for missing exception information; a
// non-zero code is raised as system_error; a zero code gives -1 (continue execution).
long TranslateStructuredException(_EXCEPTION_POINTERS* pointers);
#else
// The structured-exception code that a signal stands for: SIGSEGV is an access violation (a
// stack overflow when the address lies next to the stack pointer), SIGFPE by its kind, SIGILL
// an illegal or privileged instruction, SIGBUS a misalignment or paging failure.
uint32_t FaultCodeOfSignal(int signal_number, int signal_code, bool at_stack_pointer);
#endif

}  // namespace debug
}  // namespace sdk
