#include "gui/ListBox.h"

namespace sdk {
namespace gui {

void ListBox::ResetContent()
{
    if (Exists())
        SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

int ListBox::GetCount() const
{
    if (!Exists())
        return 0;
    const LRESULT count = SendMessageA(Handle(), LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

void ListBox::AddString(const std::string& text)
{
    if (Exists())
        SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBox::SetCurSel(int index)
{
    if (Exists())
        SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace gui
}  // namespace sdk
