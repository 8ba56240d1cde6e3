// A progress bar over the range 0 to a maximum.
#pragma once

#include "gui/Control.h"

namespace sdk {
namespace gui {

class ProgressBar : public Control {
public:
    ProgressBar() : Control("msctls_progress32", 0, WS_EX_CLIENTEDGE) {}
    void SetStep(int step);
    // The range becomes 0 to maximum (16 bits).
    void SetRange(int maximum);
    void SetPos(int position);
    // Advances the position by the step.
    void StepIt();
};

}  // namespace gui
}  // namespace sdk
