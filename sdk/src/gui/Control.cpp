#include "gui/Control.h"

#include <commctrl.h>

#include <vector>

#include "debug/Error.h"
#include "device/Font.h"

namespace sdk {
namespace gui {

namespace {

// The one font of every control, made on the first control creation.
device::Font& SharedFont()
{
    static device::Font font("MS UI Gothic", -12, FW_NORMAL, 0);
    return font;
}

void InitialiseCommonControlsOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InitCommonControls();
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_USEREX_CLASSES;
    InitCommonControlsEx(&classes);
}

}  // namespace

void Control::Create(HWND parent, int x, int y, int width, int height, const std::string& caption,
                     int id)
{
    InitialiseCommonControlsOnce();
    hwnd_ = CreateWindowExA(ex_style_, class_name_, caption.c_str(),
                            style_ | WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ == nullptr)
        throw debug::windows_error("Control::Create:44", GetLastError());
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(SharedFont())),
                 FALSE);
    OnCreated();
}

void Control::Create(const GuiBase& anchor, int dx, int dy, int width, int height,
                     const std::string& caption, int id)
{
    HWND parent = anchor.Exists() ? GetParent(anchor.Handle()) : nullptr;
    if (parent == nullptr)
        throw debug::logic_error("Control::Create:61");
    RECT rect;
    GetWindowRect(anchor.Handle(), &rect);
    POINT corner = {rect.left, rect.top};
    ScreenToClient(parent, &corner);
    Create(parent, corner.x + dx, corner.y + dy, width, height, caption, id);
}

bool Control::IsChecked() const
{
    return Exists() && SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Control::SetCheck(bool checked)
{
    if (Exists())
        SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Control::Enable(bool enabled)
{
    if (Exists())
        EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Control::Show(bool visible)
{
    if (Exists())
        ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void Control::SetText(const std::string& text)
{
    if (Exists())
        SetWindowTextA(hwnd_, text.c_str());
}

std::string GetText(const GuiBase& control)
{
    if (!control.Exists())
        return std::string();
    const int length = GetWindowTextLengthA(control.Handle());
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control.Handle(), buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace gui
}  // namespace sdk
