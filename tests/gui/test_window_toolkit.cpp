// The window toolkit on windows of its own: message routing, errors inside a handler, relative
// creation, the list operations and the shared font.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>

#include "debug/Error.h"
#include "device/Font.h"
#include "gui/Control.h"
#include "gui/ListBox.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/SpinBox.h"
#include "gui/Window.h"
#include "support/ErrorTag.h"
#include "support/TempDir.h"

namespace toolkit_test {

const UINT kThrowStandard = WM_APP + 1;
const UINT kThrowOther = WM_APP + 2;

class ProbeWindow : public sdk::gui::Window {
public:
    int creations = 0;
    int destructions = 0;

    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CREATE)
            ++creations;
        if (message == WM_DESTROY)
            ++destructions;
        if (message == kThrowStandard)
            throw std::runtime_error("probe failure");
        if (message == kThrowOther)
            throw 42;
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
};

namespace {

HWND MakeProbe(ProbeWindow& window)
{
    sdk::gui::Window::CreateOption options;
    options.style = WS_OVERLAPPEDWINDOW;
    options.SetClientSize(300, 200);
    window.Create(options);
    return window.Handle();
}

TEST(WindowToolkit, MessagesReachTheObjectFromCreationToDestruction)
{
    ProbeWindow first, second;
    HWND one = MakeProbe(first);
    HWND two = MakeProbe(second);
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    EXPECT_EQ(1, first.creations);
    EXPECT_EQ(1, second.creations);
    // One class, named after the dynamic class, serves both windows.
    char name[128] = {};
    GetClassNameA(one, name, sizeof name);
    EXPECT_STREQ("toolkit_test::ProbeWindow", name);
    GetClassNameA(two, name, sizeof name);
    EXPECT_STREQ("toolkit_test::ProbeWindow", name);
    // The client area is the size asked for.
    RECT client;
    GetClientRect(one, &client);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(200, client.bottom);
    DestroyWindow(one);
    EXPECT_EQ(1, first.destructions);
    EXPECT_FALSE(first.Exists());
    EXPECT_TRUE(second.Exists());
    DestroyWindow(two);
    EXPECT_FALSE(second.Exists());
}

TEST(WindowToolkit, ErrorsInAHandlerAreLoggedAndTheWindowGoesOn)
{
    ProbeWindow window;
    HWND hwnd = MakeProbe(window);
    SendMessageA(hwnd, kThrowStandard, 0, 0);
    SendMessageA(hwnd, kThrowOther, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    const std::string log = test_support::ReadWholeFile("debug.txt");
    EXPECT_NE(std::string::npos, log.find("ERROR: std::runtime_error(probe failure)\r\n\r\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("Unknown Exception\r\n")) << log;
    DestroyWindow(hwnd);
}

TEST(WindowToolkit, ControlsAndTheirOperations)
{
    ProbeWindow window;
    HWND parent = MakeProbe(window);

    // Relative creation lands at the anchor's client position plus the offset.
    for (POINT place : {POINT{0, 0}, POINT{37, 91}}) {
        sdk::gui::GroupBox group;
        group.Create(parent, place.x, place.y, 100, 80, "group", 0);
        sdk::gui::CheckBox box;
        box.Create(group, 10, 20, 50, 15, "box", 0);
        RECT rect;
        GetWindowRect(box.Handle(), &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(place.x + 10, rect.left);
        EXPECT_EQ(place.y + 20, rect.top);
        EXPECT_EQ(parent, GetParent(box.Handle()));
    }
    sdk::gui::Button loose;
    EXPECT_EQ("Control::Create:61", test_support::TagOf([&] { loose.Create(loose, 1, 1, 1, 1, "", 0); }));

    // Every control shares the one font.
    sdk::gui::ListView list;
    list.Create(parent, 0, 0, 200, 100, "", 0);
    sdk::gui::ListBox lines;
    lines.Create(parent, 0, 100, 200, 50, "", 0);
    const LRESULT font = SendMessageA(list.Handle(), WM_GETFONT, 0, 0);
    EXPECT_NE(0, font);
    EXPECT_EQ(font, SendMessageA(lines.Handle(), WM_GETFONT, 0, 0));
    EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
              SendMessageA(list.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                  (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));

    // The list view: columns, rows, texts and marks.
    EXPECT_EQ(0, list.GetColumnCount());
    list.SetLastItemText(0, "nowhere");
    EXPECT_EQ(0, list.GetItemCount());
    list.AddColumn("a", 50, 0);
    list.AddColumn("b", 50, 1);
    EXPECT_EQ(2, list.GetColumnCount());
    for (const char* text : {"r0", "r1", "r2"}) {
        list.AppendItem(text, 0);
        list.SetLastItemText(1, std::string(text) + "/b");
    }
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ("r1/b", list.GetItemText(1, 1));
    list.SetItemText(0, 1, std::string(5000, 'w'));
    EXPECT_EQ(4095u, list.GetItemText(0, 1).size());
    EXPECT_TRUE(list.GetMarkedTexts(0).empty());
    list.SetItemHighlight(2, true);
    list.SetItemHighlight(0, true);
    EXPECT_EQ((std::vector<std::string>{"r0", "r2"}), list.GetMarkedTexts(0));
    list.SetItemHighlight(0, false);
    EXPECT_EQ((std::vector<std::string>{"r2/b"}), list.GetMarkedTexts(1));
    list.DeleteAllItems();
    EXPECT_EQ(0, list.GetItemCount());

    // The list box.
    lines.AddString("one");
    lines.AddString("two");
    lines.SetCurSel(1);
    EXPECT_EQ(2, lines.GetCount());
    EXPECT_EQ(1, SendMessageA(lines.Handle(), LB_GETCURSEL, 0, 0));
    lines.ResetContent();
    EXPECT_EQ(0, lines.GetCount());

    // The progress bar and the up-down.
    sdk::gui::ProgressBar bar;
    bar.Create(parent, 0, 160, 100, 10, "", 0);
    bar.SetRange(5);
    bar.SetStep(2);
    bar.StepIt();
    EXPECT_EQ(2, SendMessageA(bar.Handle(), PBM_GETPOS, 0, 0));
    bar.SetPos(5);
    EXPECT_EQ(5, SendMessageA(bar.Handle(), PBM_GETPOS, 0, 0));
    sdk::gui::EditBox buddy;
    buddy.Create(parent, 0, 175, 50, 20, "", 0);
    sdk::gui::SpinBox spin;
    spin.Create(parent, 50, 175, 20, 20, "", 0);
    spin.SetBuddy(buddy);
    spin.SetPos(0);
    spin.SetRange(100);
    spin.SetPos(42);
    EXPECT_EQ("42", sdk::gui::GetText(buddy));
    EXPECT_EQ(42u, spin.GetPos() & 0xFFFF);
    EXPECT_EQ(0u, spin.GetPos() >> 16);
    DestroyWindow(parent);
}

TEST(WindowToolkit, WrappersWithoutAWindowDoNothing)
{
    sdk::gui::ListBox lines;
    lines.AddString("x");
    lines.SetCurSel(0);
    EXPECT_EQ(0, lines.GetCount());
    sdk::gui::ListView list;
    list.AppendItem("x", 0);
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_EQ(0, list.GetColumnCount());
    sdk::gui::SpinBox spin;
    EXPECT_EQ(0u, spin.GetPos());
    sdk::gui::ProgressBar bar;
    bar.StepIt();
    sdk::gui::CheckBox box;
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ("", sdk::gui::GetText(box));
}

TEST(WindowToolkit, FontIsMadeOnceAndRemadeAfterAChange)
{
    sdk::device::Font font("MS UI Gothic", -12, FW_NORMAL, 0);
    EXPECT_FALSE(font.Vertical());
    EXPECT_EQ(DEFAULT_CHARSET, font.Description().lfCharSet);
    HFONT first = font;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, static_cast<HFONT>(font));
    font.SetHeight(-20);
    HFONT second = font;
    ASSERT_NE(nullptr, second);
    LOGFONTA made = {};
    GetObjectA(second, sizeof made, &made);
    EXPECT_EQ(-20, made.lfHeight);

    sdk::device::Font vertical("@MS UI Gothic", -12, FW_BOLD, 900);
    EXPECT_TRUE(vertical.Vertical());
    EXPECT_EQ(900, vertical.Description().lfEscapement);
    EXPECT_EQ(900, vertical.Description().lfOrientation);
    sdk::device::Font long_name(std::string(40, 'f'), -12, FW_NORMAL, 0);
    EXPECT_EQ(31u, std::string(long_name.Description().lfFaceName).size());
}

}  // namespace
}  // namespace toolkit_test
