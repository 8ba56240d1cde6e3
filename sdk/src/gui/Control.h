// A child control: its window class and styles are fixed by the concrete kind. Every control
// gets the shared control font. Operations on a control whose window does not exist do nothing.
#pragma once

#include <windows.h>

#include <string>

#include "gui/GuiBase.h"

namespace sdk {
namespace gui {

class Control : public GuiBase {
public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Creates the control's window in parent at (x, y); raises windows_error
    // "Control::Create:44" when the system refuses.
    void Create(HWND parent, int x, int y, int width, int height, const std::string& caption,
                int id);
    // Creates the control beside anchor, at (dx, dy) from the anchor's top-left corner; raises
    // the logic error "Control::Create:61" when the anchor has no window or no parent.
    void Create(const GuiBase& anchor, int dx, int dy, int width, int height,
                const std::string& caption, int id);

    const char* ClassName() const { return class_name_; }
    DWORD Style() const { return style_; }
    DWORD ExStyle() const { return ex_style_; }

    // Button states (check boxes and radio buttons): checked means the checked state exactly.
    bool IsChecked() const;
    void SetCheck(bool checked);
    void Enable(bool enabled);
    // Shows the window with the normal show command, or hides it.
    void Show(bool visible);
    void SetText(const std::string& text);

protected:
    Control(const char* class_name, DWORD style, DWORD ex_style)
        : class_name_(class_name), style_(style), ex_style_(ex_style)
    {
    }
    // Called once, right after the window is created.
    virtual void OnCreated() {}

private:
    const char* class_name_;
    DWORD style_;
    DWORD ex_style_;
};

// The window text of any control.
std::string GetText(const GuiBase& control);

// The kinds that only fix their class and styles.
class Button : public Control {
public:
    Button() : Control("BUTTON", WS_GROUP | WS_TABSTOP, 0) {}
};

class GroupBox : public Control {
public:
    GroupBox() : Control("BUTTON", WS_GROUP | BS_GROUPBOX, 0) {}
};

class CheckBox : public Control {
public:
    CheckBox() : Control("BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0) {}
};

class RadioBox : public Control {
public:
    RadioBox() : Control("BUTTON", WS_TABSTOP | BS_AUTORADIOBUTTON, 0) {}
};

class EditBox : public Control {
public:
    EditBox() : Control("EDIT", WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE) {}
};

class StaticLabel : public Control {
public:
    StaticLabel() : Control("STATIC", WS_GROUP | SS_NOPREFIX, WS_EX_TRANSPARENT) {}
};

}  // namespace gui
}  // namespace sdk
