// A list box with a vertical scroll bar that is always shown.
#pragma once

#include <string>

#include "gui/Control.h"

namespace sdk {
namespace gui {

class ListBox : public Control {
public:
    ListBox() : Control("LISTBOX", WS_VSCROLL | LBS_DISABLENOSCROLL | LBS_NOINTEGRALHEIGHT,
                        WS_EX_CLIENTEDGE)
    {
    }
    void ResetContent();
    int GetCount() const;
    void AddString(const std::string& text);
    // Selects the line and scrolls to it.
    void SetCurSel(int index);
};

}  // namespace gui
}  // namespace sdk
