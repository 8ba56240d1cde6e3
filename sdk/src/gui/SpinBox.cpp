#include "gui/SpinBox.h"

#include <commctrl.h>

namespace sdk {
namespace gui {

void SpinBox::SetBuddy(const GuiBase& buddy)
{
    if (Exists())
        SendMessageA(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy.Handle()), 0);
}

void SpinBox::SetRange(int maximum)
{
    if (Exists())
        SendMessageA(Handle(), UDM_SETRANGE, 0, MAKELPARAM(maximum, 0));
}

void SpinBox::SetPos(int position)
{
    if (Exists())
        SendMessageA(Handle(), UDM_SETPOS, 0, MAKELPARAM(position, 0));
}

uint32_t SpinBox::GetPos() const
{
    if (!Exists())
        return 0;
    return static_cast<uint32_t>(SendMessageA(Handle(), UDM_GETPOS, 0, 0));
}

}  // namespace gui
}  // namespace sdk
