// The width of the console window that standard error shows in.
#include <windows.h>

#include "cli/Terminal.h"

namespace terminal {

size_t Columns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        if (columns > 0)
            return static_cast<size_t>(columns);
    }
    return 80;
}

}  // namespace terminal
