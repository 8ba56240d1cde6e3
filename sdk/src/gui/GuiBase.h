// The common part of every window wrapper: the handle of the window it stands for. A wrapper
// never owns its window; destroying the wrapper leaves the window in place.
#pragma once

#include <windows.h>

namespace sdk {
namespace gui {

class GuiBase {
public:
    HWND Handle() const { return hwnd_; }
    bool Exists() const { return hwnd_ != nullptr; }

protected:
    GuiBase() = default;
    ~GuiBase() = default;

    HWND hwnd_ = nullptr;
};

}  // namespace gui
}  // namespace sdk
