// An interrupted quillconv-cli (Ctrl+C, SIGINT, SIGTERM or SIGHUP; on Windows the console's
// Ctrl+C, Ctrl+Break and close) first removes the temporary files of the outputs it is still
// writing, then ends the way the interrupt ends a program.
#pragma once

// Call once, before any other thread starts.
void RemoveTemporaryFilesOnInterrupt();
