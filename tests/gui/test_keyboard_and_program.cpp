// Keyboard navigation through the message loop, and the program itself as a process: its title
// from its version resource and its exit code when the window is closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "conversion/Option.h"
#include "files/FileSystem.h"
#include "files/Path.h"
#include "gui/MainWindowDriver.h"

namespace gui_test {
namespace {

int PlaceOf(HWND control)
{
    const std::vector<HWND> children = Children();
    const auto found = std::find(children.begin(), children.end(), control);
    return found == children.end() ? 0 : static_cast<int>(found - children.begin()) + 1;
}

class Keyboard : public testing::Test {
protected:
    void SetUp() override
    {
        ResetWindow();
        SetForegroundWindow(MainHandle());
        PumpMessages();
    }
};

TEST_F(Keyboard, TabVisitsTheEnabledTabStopsInCreationOrder)
{
    Click(kPsdToMng);  // the MNG options join the tab order
    SetFocus(ControlAt(kClear));
    ASSERT_EQ(kClear, PlaceOf(GetFocus()));
    std::vector<int> visited = {kClear};
    for (int press = 0; press < 60; ++press) {
        PressKey(VK_TAB);
        const int place = PlaceOf(GetFocus());
        if (place == kClear)
            break;
        visited.push_back(place);
    }
    // Back at the start after one round, in creation order, only over controls a user can
    // reach: visible, enabled and with a tab stop.
    ASSERT_GT(visited.size(), 5u);
    EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end()));
    for (int place : visited) {
        HWND control = ControlAt(place);
        EXPECT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control)) << place;
        EXPECT_NE(0, GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) << place;
    }
    for (int place : {kStart, kPsdToMng, kMngOffset, kFpsBox, kMngLoop, kPngMerged, kImageInfo,
                      kBmpToPng, kFillBlank, kInvertAlpha})
        EXPECT_NE(visited.end(), std::find(visited.begin(), visited.end(), place)) << place;
    for (int place : {kStop, kPngOffset, kTextName, kAlphaNone, kFolderBox, kFileList})
        EXPECT_EQ(visited.end(), std::find(visited.begin(), visited.end(), place)) << place;
    // Shift+Tab goes back.
    SetFocus(ControlAt(kPngMerged));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    PressKey(VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(kMngLoop, PlaceOf(GetFocus()));
}

TEST_F(Keyboard, ArrowKeysMoveWithinARadioGroupAndSelect)
{
    SetFocus(ControlAt(kCompressStandard));
    PressKey(VK_DOWN);
    EXPECT_EQ(kCompressFast, PlaceOf(GetFocus()));
    EXPECT_TRUE(Checked(kCompressFast));
    EXPECT_FALSE(Checked(kCompressStandard));
    PressKey(VK_DOWN);
    EXPECT_EQ(kCompressBest, PlaceOf(GetFocus()));
    EXPECT_TRUE(Checked(kCompressBest));
    // The arrows never leave the group.
    PressKey(VK_DOWN);
    const int place = PlaceOf(GetFocus());
    EXPECT_TRUE(place >= kCompressStandard && place <= kCompressBest) << place;
    SetFocus(ControlAt(kCompressBest));
    PressKey(VK_UP);
    EXPECT_EQ(kCompressFast, PlaceOf(GetFocus()));
    EXPECT_TRUE(Checked(kCompressFast));
    EXPECT_FALSE(Checked(kCompressBest) || Checked(kCompressStandard));
    // A click on another option reads the choice.
    Click(kPngMerged);
    EXPECT_TRUE(option.compressFast);
}

// The program's own executable: the one QUILLCONV_PROGRAM names (a packaged copy), else the one
// beside the test program's build folder.
std::string ProgramPath()
{
    if (const char* named = std::getenv("QUILLCONV_PROGRAM"))
        return named;
    const std::string tests = sdk::files::GetFolder(sdk::files::GetModulePath());
    return sdk::files::GetFolder(sdk::files::StripSeparator(tests)) + "app\\quillconv.exe";
}

struct ProcessWindow {
    DWORD process;
    HWND window;
};

HWND WaitForWindowOf(DWORD process_id)
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        ProcessWindow search = {process_id, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                ProcessWindow* wanted = reinterpret_cast<ProcessWindow*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char name[64] = {};
                GetClassNameA(window, name, sizeof name);
                if (owner == wanted->process && lstrcmpA(name, "cConvWindow::impl") == 0 &&
                    IsWindowVisible(window)) {
                    wanted->window = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.window != nullptr)
            return search.window;
        Sleep(100);
    }
    return nullptr;
}

// One started copy of the program.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& program)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + program + "\"";
        started_ = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process_) != FALSE;
    }
    ~StartedProgram()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return started_; }
    HWND Window() const { return WaitForWindowOf(process_.dwProcessId); }
    // The exit code once the process has ended within 30 seconds; -1 if it has not.
    long ExitCode() const
    {
        if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

std::string TitleOf(HWND window)
{
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

TEST(ProgramProcess, TwoStartsAreTwoWindowsEachEndingWithZeroWhenClosed)
{
    const std::string program = ProgramPath();
    ASSERT_TRUE(sdk::files::IsFile(program)) << program;
    StartedProgram first(program), second(program);
    ASSERT_TRUE(first.Started() && second.Started());
    HWND one = first.Window();
    HWND two = second.Window();
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    EXPECT_NE(one, two);
    // The title comes from the program's version resource.
    EXPECT_EQ("Quillmark Version 1.2(1.2.3.60)", TitleOf(one));
    EXPECT_EQ(TitleOf(one), TitleOf(two));
    // Closing one leaves the other; each ends with 0.
    PostMessageA(one, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, first.ExitCode());
    EXPECT_TRUE(IsWindow(two));
    PostMessageA(two, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, second.ExitCode());
}

}  // namespace
}  // namespace gui_test
