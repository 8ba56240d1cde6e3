#include "gui/ProgressBar.h"

#include <commctrl.h>

namespace sdk {
namespace gui {

void ProgressBar::SetStep(int step)
{
    if (Exists())
        SendMessageA(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void ProgressBar::SetRange(int maximum)
{
    if (Exists())
        SendMessageA(Handle(), PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
}

void ProgressBar::SetPos(int position)
{
    if (Exists())
        SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void ProgressBar::StepIt()
{
    if (Exists())
        SendMessageA(Handle(), PBM_STEPIT, 0, 0);
}

}  // namespace gui
}  // namespace sdk
