#include "gui/MainWindowDriver.h"

#include <windows.h>

#include <commctrl.h>

#include "window/ConvWindow.h"

namespace gui_test {

HWND MainHandle() { return MainWindow().GetHandle(); }

std::vector<HWND> Children()
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(MainHandle(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND ControlAt(int place)
{
    const std::vector<HWND> children = Children();
    if (place < 1 || place > static_cast<int>(children.size()))
        return nullptr;
    return children[static_cast<size_t>(place - 1)];
}

void Click(int place) { SendMessageA(ControlAt(place), BM_CLICK, 0, 0); }

bool Checked(int place)
{
    return SendMessageA(ControlAt(place), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(int place) { return IsWindowEnabled(ControlAt(place)) != FALSE; }

bool Visible(int place) { return IsWindowVisible(ControlAt(place)) != FALSE; }

std::string Text(int place)
{
    char buffer[1024] = {};
    GetWindowTextA(ControlAt(place), buffer, sizeof buffer);
    return buffer;
}

void SetText(int place, const std::string& text) { SetWindowTextA(ControlAt(place), text.c_str()); }

void ResetWindow()
{
    for (int place = 1; place <= kControlCount; ++place) {
        const LONG style = GetWindowLongA(ControlAt(place), GWL_STYLE);
        char name[32] = {};
        GetClassNameA(ControlAt(place), name, sizeof name);
        const LONG kind = style & BS_TYPEMASK;
        if (lstrcmpiA(name, "BUTTON") == 0 && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON))
            SendMessageA(ControlAt(place), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    for (int place : {kNameFolderLayer, kAlphaNone, kCompressStandard, kBesideInput})
        SendMessageA(ControlAt(place), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(ControlAt(kFpsSpin), UDM_SETPOS, 0, 0);
    SetText(kFolderBox, "");
    SendMessageA(ControlAt(kOverallProgress), PBM_SETPOS, 0, 0);
    SendMessageA(ControlAt(kFileProgress), PBM_SETPOS, 0, 0);
    SendMessageA(MainHandle(), WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), 0);
    SendMessageA(MainHandle(), WM_COMMAND, MAKEWPARAM(104, BN_CLICKED), 0);
    PumpMessages();
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            break;
        HandleLoopMessage(message);
    }
}

void PressKey(WPARAM key)
{
    MSG message = {};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    HandleLoopMessage(message);
    message.message = WM_KEYUP;
    message.lParam = static_cast<LPARAM>(0xC0000001u);
    HandleLoopMessage(message);
}

namespace {

std::string ItemText(HWND list, int row, int column)
{
    char buffer[4096] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::function<void(const std::string&)> status_watcher;
WNDPROC status_list_procedure = nullptr;

LRESULT CALLBACK WatchedStatusList(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    const LRESULT result = CallWindowProcA(status_list_procedure, hwnd, message, wparam, lparam);
    if (message == LB_ADDSTRING && status_watcher)
        status_watcher(reinterpret_cast<const char*>(lparam));
    return result;
}

}  // namespace

std::vector<Row> Rows()
{
    HWND list = ControlAt(kFileList);
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        const bool highlighted =
            (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_DROPHILITED) &
             LVIS_DROPHILITED) != 0;
        rows.push_back({ItemText(list, row, 0), ItemText(list, row, 1), ItemText(list, row, 2),
                        highlighted});
    }
    return rows;
}

std::vector<std::string> StatusLines()
{
    HWND list = ControlAt(kStatusList);
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int line = 0; line < count; ++line) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
        std::vector<char> buffer(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line),
                     reinterpret_cast<LPARAM>(buffer.data()));
        lines.push_back(buffer.data());
    }
    return lines;
}

int ProgressPosition(int place)
{
    return static_cast<int>(SendMessageA(ControlAt(place), PBM_GETPOS, 0, 0));
}

int ProgressMaximum(int place)
{
    return static_cast<int>(SendMessageA(ControlAt(place), PBM_GETRANGE, FALSE, 0));
}

StatusLineWatcher::StatusLineWatcher(std::function<void(const std::string&)> watcher)
{
    status_watcher = std::move(watcher);
    status_list_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        ControlAt(kStatusList), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedStatusList)));
}

StatusLineWatcher::~StatusLineWatcher()
{
    SetWindowLongPtrA(ControlAt(kStatusList), GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(status_list_procedure));
    status_watcher = nullptr;
}

}  // namespace gui_test
