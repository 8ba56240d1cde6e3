#include "gui/Window.h"

#include <exception>
#include <typeinfo>

#include "debug/DebugLog.h"
#include "debug/Error.h"

namespace sdk {
namespace gui {

namespace {

// The window whose creation is under way: its first message attaches it to its handle.
Window* window_in_creation = nullptr;

}  // namespace

void Window::CreateOption::SetClientSize(int client_width, int client_height)
{
    RECT rect = {0, 0, client_width, client_height};
    const BOOL has_menu = menu != nullptr || !menuName.empty();
    AdjustWindowRectEx(&rect, style, has_menu, exStyle);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
}

void Window::Create(const CreateOption& options)
{
    const std::string class_name =
        options.className.empty() ? debug::QualifiedTypeName(typeid(*this)) : options.className;
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(module, class_name.c_str(), &existing)) {
        WNDCLASSA window_class = {};
        window_class.style = options.classStyle;
        window_class.lpfnWndProc = StartupProcedure;
        window_class.hInstance = module;
        window_class.hIcon = options.icon;
        window_class.hCursor = options.cursor;
        window_class.hbrBackground = options.background;
        window_class.lpszMenuName = options.menuName.empty() ? nullptr : options.menuName.c_str();
        window_class.lpszClassName = class_name.c_str();
        if (RegisterClassA(&window_class) == 0)
            throw debug::windows_error("Window::Create:37", GetLastError());
    }
    window_in_creation = this;
    HWND hwnd = CreateWindowExA(options.exStyle, class_name.c_str(), options.title.c_str(),
                                options.style, options.x, options.y, options.width,
                                options.height, options.parent, options.menu, module,
                                options.param);
    if (hwnd == nullptr) {
        const DWORD code = GetLastError();
        window_in_creation = nullptr;
        throw debug::windows_error("Window::Create:47", code);
    }
}

LRESULT Window::WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_ACTIVATE)
        active_ = LOWORD(wparam) != 0;
    return OnMessage(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK Window::StartupProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    Window* window = window_in_creation;
    if (window == nullptr)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    window->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainProcedure));
    window_in_creation = nullptr;
    return MainProcedure(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK Window::MainProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    Window* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (window == nullptr)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    // No error leaves a window procedure: it is logged and the message gets the default
    // processing.
    try {
        const LRESULT result = window->WndProc(hwnd, message, wparam, lparam);
        if (message == WM_DESTROY) {
            window->hwnd_ = nullptr;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        }
        return result;
    } catch (const std::exception& error) {
        debug::LogError(error);
    } catch (...) {
        debug::LogLine("Unknown Exception");
    }
    if (message == WM_DESTROY) {
        window->hwnd_ = nullptr;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace gui
}  // namespace sdk
