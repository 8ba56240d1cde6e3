// An interrupted quillconv-cli (Ctrl+C, SIGINT, SIGTERM, SIGHUP or SIGPIPE; on Windows the console's
// Ctrl+C, Ctrl+Break and close) first removes the temporary files of the outputs it is still
// writing, then gives the notice that the run has set, then ends the way the interrupt ends a
// program.
#pragma once

#include <functional>

// Call once, before any other thread starts.
void RemoveTemporaryFilesOnInterrupt();

// What to tell the user on an interrupt, once the temporary files are gone: called on a thread
// of its own; it may print. Replaces the notice set before; an empty function sets none, and
// waits for a notice that is running.
void SetInterruptNotice(std::function<void()> notice);

// Gives the notice set, if any (for the platform's interrupt handler).
void RunInterruptNotice();

// For a run whose output nobody reads any more (a closed pipe): removes the temporary files of
// the outputs being written and ends the program the way a closed pipe ends one (SIGPIPE; on
// Windows with status 1), without a notice.
[[noreturn]] void EndOnClosedOutput();
