// The program's main window, as the rest of the program sees it: one window per process, whose
// idle step runs the batch the start button asked for.
#pragma once

#include <windows.h>

class cConvWindow {
public:
    class impl;

    // Called by the message loop after every message; converts the marked files when a run
    // was asked for.
    virtual void RunBatch() = 0;
    virtual HWND GetHandle() = 0;

protected:
    cConvWindow() = default;
    virtual ~cConvWindow() = default;
};

// The one main window, created (with its window) on first call.
cConvWindow& MainWindow();

// Hands one message to the windows of dialog's thread: dialog navigation first, else translation
// and dispatch. The message loop and the batch run's handling between files both do it so.
void DispatchDialogMessage(HWND dialog, MSG& message);

// Handles one message the way the message loop does: DispatchDialogMessage on the main window,
// then the idle step.
void HandleLoopMessage(MSG& message);

// Creates the main window and runs the message loop until the window is closed.
void run();
