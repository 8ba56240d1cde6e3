// The console calls its control handlers on a thread of their own, which can take the list of
// temporary files' lock like any other thread.
#include <windows.h>

#include "cli/InterruptCleanup.h"
#include "stream/PendingFiles.h"

namespace {

BOOL WINAPI OnConsoleControl(DWORD event)
{
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            sdk::stream::pending::RemoveAllAndHold();
            RunInterruptNotice();
            break;
        default:
            break;
    }
    return FALSE;  // the system's own handler then ends the program
}

}  // namespace

void RemoveTemporaryFilesOnInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

void EndOnClosedOutput()
{
    sdk::stream::pending::RemoveAllAndHold();
    ExitProcess(1);
}
