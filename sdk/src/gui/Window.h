// A top-level window whose messages arrive at a virtual member function. The window class is
// registered on first use under the name given in the options, or the qualified name of the
// object's dynamic class.
#pragma once

#include <windows.h>

#include <string>

#include "gui/GuiBase.h"

namespace sdk {
namespace gui {

class Window : public GuiBase {
public:
    struct CreateOption {
        DWORD classStyle = CS_HREDRAW | CS_VREDRAW;
        DWORD style = 0;
        DWORD exStyle = 0;
        std::string className;  // empty: the qualified name of the window's dynamic class
        std::string title;
        std::string menuName;
        HWND parent = nullptr;
        HMENU menu = nullptr;
        HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
        HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW);
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        void* param = nullptr;
        int x = CW_USEDEFAULT;
        int y = CW_USEDEFAULT;
        int width = CW_USEDEFAULT;
        int height = CW_USEDEFAULT;

        // Sizes the window so that its client area is width × height and centres it on the
        // primary screen.
        void SetClientSize(int client_width, int client_height);
    };

    Window() = default;
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Registers the class if needed and creates the window; raises windows_error
    // "Window::Create:37" when the class cannot be registered, "Window::Create:47" when the
    // window cannot be created.
    void Create(const CreateOption& options);

    // True while the window is the active window.
    bool Active() const { return active_; }

    // Called for every message of the window. Tracks activation, then hands the message on.
    virtual LRESULT WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    virtual LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) = 0;

private:
    static LRESULT CALLBACK StartupProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    static LRESULT CALLBACK MainProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                          LPARAM lparam);

    bool active_ = false;
};

}  // namespace gui
}  // namespace sdk
