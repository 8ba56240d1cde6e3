// Drives the real main window of the program in the test process, as a user would: clicks,
// typing, drops, keys and the message loop's idle step. Controls are named by their place in
// the creation order (1 to 54), which is also the keyboard order.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui_test {

// Places of the controls in the creation order.
enum Place : int {
    kClear = 1, kStart = 2, kStop = 3, kOverallProgress = 4, kFileProgress = 5,
    kFileList = 6, kStatusList = 7,
    kMngGroup = 8, kPsdToMng = 9, kMngOffset = 10, kMngTitle = 11, kMngComment = 12,
    kFpsBox = 14, kFpsSpin = 15, kMngLoop = 17,
    kPngGroup = 18, kPngMerged = 19, kPngLayers = 20, kPngOffset = 21, kPngTrim = 22,
    kPngNoAlpha = 23, kNameFolderLayer = 25, kNameUnderscoreLayer = 26, kNameFolderSerial = 27,
    kNameUnderscoreSerial = 28,
    kTextGroup = 29, kImageInfo = 30, kLayerInfo = 31, kTextName = 32, kTextPosition = 33,
    kTextMode = 34,
    kBmpPngGroup = 35, kBmpToPng = 36, kPngToBmp = 37, kAlphaNone = 39, kAlphaFile = 40,
    kAlphaSplit = 41,
    kOutputGroup = 42, kCompressStandard = 44, kCompressFast = 45, kCompressBest = 46,
    kBesideInput = 48, kToFolder = 49, kFolderBox = 50, kChooseFolder = 51, kFillBlank = 53,
    kInvertAlpha = 54,
};
const int kControlCount = 54;

HWND MainHandle();
// The main window's children in creation order.
std::vector<HWND> Children();
HWND ControlAt(int place);

// A mouse click on a button, check box or radio button.
void Click(int place);
bool Checked(int place);
bool Enabled(int place);
bool Visible(int place);
std::string Text(int place);
void SetText(int place, const std::string& text);

// Every control back to its start state, both lists empty, no run.
void ResetWindow();

// Handles every waiting message the way the program's loop does (idle step included).
void PumpMessages();
// Presses a key on the focused control and lets the loop handle it.
void PressKey(WPARAM key);

struct Row {
    std::string name, path, size;
    bool highlighted;
};
std::vector<Row> Rows();
std::vector<std::string> StatusLines();
int ProgressPosition(int place);
int ProgressMaximum(int place);

// Calls watcher with every line added to the status list until the object goes.
class StatusLineWatcher {
public:
    explicit StatusLineWatcher(std::function<void(const std::string&)> watcher);
    ~StatusLineWatcher();
    StatusLineWatcher(const StatusLineWatcher&) = delete;
    StatusLineWatcher& operator=(const StatusLineWatcher&) = delete;
};

}  // namespace gui_test
