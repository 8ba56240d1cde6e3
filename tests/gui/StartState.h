// The main window as it was right after the program created it, before any test touched it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "conversion/Option.h"

namespace gui_test {

struct ControlState {
    std::string className;
    std::string caption;
    int id;
    RECT rect;  // in the main window's client coordinates
    LONG style;
    LONG exStyle;
    bool enabled;
    bool visible;
    bool checked;
};

struct StartState {
    std::string title;
    RECT client;
    LONG style;
    LONG exStyle;
    std::vector<ControlState> controls;  // in creation order
    std::string fpsText;
    cOption options;
    std::vector<std::string> columns;
    std::vector<int> columnWidths;
};

// Recorded by the test program's main.
const StartState& StartOfProgram();

}  // namespace gui_test
