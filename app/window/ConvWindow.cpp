// The main window: its creation, its messages and the message loop.
#include "window/ConvWindowImpl.h"

#include <commctrl.h>
#include <shellapi.h>

#include "files/FileVersion.h"

namespace {

const int kClientWidth = 800;
const int kClientHeight = 570;

}  // namespace

cConvWindow::impl::impl()
{
    sdk::gui::Window::CreateOption options;
    options.style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // a fixed size
    options.exStyle = WS_EX_ACCEPTFILES | WS_EX_NOPARENTNOTIFY;
    // The program's own file; a failure to read it leaves the texts of the title empty.
    options.title = sdk::files::FileVersion().Title();
    options.icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    options.SetClientSize(kClientWidth, kClientHeight);
    // The creation message builds the controls.
    Create(options);
    ShowWindow(Handle(), SW_SHOW);
}

LRESULT cConvWindow::impl::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        // Only the control identifier counts, not the notification code.
        OnCommand(LOWORD(wparam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wparam));
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header != nullptr && header->hwndFrom == fileList_.Handle() &&
            header->code == NM_CUSTOMDRAW)
            return PaintMarkedRows(reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

void cConvWindow::impl::OnCommand(int id)
{
    switch (id) {
    case kIdClear:
        ClearList();
        break;
    case kIdStart:
        // The batch starts in the next idle step.
        SetRunning(true);
        break;
    case kIdStop:
        SetRunning(false);
        break;
    case kIdApplySettings:
        ApplySettings();
        break;
    case kIdTextOption:
        OnTextOptionChanged();
        break;
    case kIdBmpToPng:
        if (bmpToPng_.IsChecked())
            pngToBmp_.SetCheck(false);
        ApplySettings();
        break;
    case kIdPngToBmp:
        if (pngToBmp_.IsChecked())
            bmpToPng_.SetCheck(false);
        ApplySettings();
        break;
    case kIdChooseFolder:
        ChooseOutputFolder();
        break;
    default:
        break;
    }
}

void cConvWindow::impl::SetRunning(bool running)
{
    // Start and stop share one place: exactly one of them is visible.
    startButton_.Show(!running);
    stopButton_.Show(running);
    running_ = running;
}

cConvWindow& MainWindow()
{
    static cConvWindow::impl window;
    return window;
}

void DispatchDialogMessage(HWND dialog, MSG& message)
{
    if (!IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void HandleLoopMessage(MSG& message)
{
    cConvWindow& window = MainWindow();
    DispatchDialogMessage(window.GetHandle(), message);
    window.RunBatch();
}

void run()
{
    MainWindow();
    MSG message;
    // GetMessage gives 0 for the quit message and -1 when it fails; both end the loop.
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        HandleLoopMessage(message);
}
