// An up-down control that writes its position into its buddy as a plain integer.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace sdk {
namespace gui {

class SpinBox : public Control {
public:
    SpinBox()
        : Control("msctls_updown32",
                  0x02 | 0x04 | 0x20 | 0x80,  // buddy integer, right-aligned, arrow keys, no commas
                  0)
    {
    }
    void SetBuddy(const GuiBase& buddy);
    // The range becomes 0 to maximum (16 bits each).
    void SetRange(int maximum);
    void SetPos(int position);
    // The control's whole answer: the position in the low word, non-zero in the high word when
    // the buddy's text is not a number within the range.
    uint32_t GetPos() const;
};

}  // namespace gui
}  // namespace sdk
