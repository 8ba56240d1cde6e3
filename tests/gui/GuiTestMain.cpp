// The GUI tests' own main: the main window is created once per process, so its start state is
// recorded before the first test runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "gui/MainWindowDriver.h"
#include "gui/StartState.h"
#include "window/ConvWindow.h"

namespace gui_test {

namespace {

StartState start_state;

ControlState RecordControl(HWND control)
{
    ControlState state;
    char buffer[256] = {};
    GetClassNameA(control, buffer, sizeof buffer);
    state.className = buffer;
    GetWindowTextA(control, buffer, sizeof buffer);
    state.caption = buffer;
    state.id = GetDlgCtrlID(control);
    GetWindowRect(control, &state.rect);
    MapWindowPoints(nullptr, MainHandle(), reinterpret_cast<POINT*>(&state.rect), 2);
    state.style = GetWindowLongA(control, GWL_STYLE);
    state.exStyle = GetWindowLongA(control, GWL_EXSTYLE);
    state.enabled = IsWindowEnabled(control) != FALSE;
    state.visible = IsWindowVisible(control) != FALSE;
    state.checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return state;
}

void Record()
{
    MainWindow();
    PumpMessages();
    char title[256] = {};
    GetWindowTextA(MainHandle(), title, sizeof title);
    start_state.title = title;
    GetClientRect(MainHandle(), &start_state.client);
    start_state.style = GetWindowLongA(MainHandle(), GWL_STYLE);
    start_state.exStyle = GetWindowLongA(MainHandle(), GWL_EXSTYLE);
    for (HWND control : Children())
        start_state.controls.push_back(RecordControl(control));
    start_state.fpsText = Text(kFpsBox);
    start_state.options = option;
    HWND list = ControlAt(kFileList);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        char text[64] = {};
        LVCOLUMNA description = {};
        description.mask = LVCF_TEXT | LVCF_WIDTH;
        description.pszText = text;
        description.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&description));
        start_state.columns.push_back(text);
        start_state.columnWidths.push_back(description.cx);
    }
}

}  // namespace

const StartState& StartOfProgram() { return start_state; }

}  // namespace gui_test

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    gui_test::Record();
    return RUN_ALL_TESTS();
}
