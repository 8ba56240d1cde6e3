// Test support (Windows): a drop handle as the shell makes it when files are dropped on a
// window, built in memory, and its delivery to a window.
#pragma once

#if defined(_WIN32)

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

// A global memory block in the shell's drop format holding paths (ANSI); the receiver of the
// files-dropped message releases it.
HDROP MakeDropHandle(const std::vector<std::string>& paths);

// Sends the files-dropped message with a new drop handle for paths to window.
void DropFiles(HWND window, const std::vector<std::string>& paths);

}  // namespace test_support

#endif
