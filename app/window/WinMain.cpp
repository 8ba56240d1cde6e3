// quillconv: the window program. Everything happens on this one thread: the window, its
// message loop and the batch run.
#include <windows.h>

#include <exception>

#include "debug/FaultHandler.h"
#include "window/ConvWindow.h"

namespace {

const char kErrorCaption[] = "エラー";

// A processor fault reaches the user in the same box as any other failure, by its name.
void ShowFault(const sdk::debug::system_error& fault)
{
    MessageBoxA(nullptr, fault.what(), kErrorCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // No system box for a missing disk or a file that cannot be opened: the program sees the
    // failure itself.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    sdk::debug::InstallFaultHandler(0, ShowFault);
    try {
        run();
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), kErrorCaption, MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxA(nullptr, "未定義のエラー", kErrorCaption, MB_OK | MB_ICONERROR);
    }
    return 0;
}
