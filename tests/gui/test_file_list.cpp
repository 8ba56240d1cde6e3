// Drops of files and folders onto the window: which files become rows, in what order, with
// which size texts, and which rows the options mark.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "conversion/Option.h"
#include "gui/MainWindowDriver.h"
#include "support/DropFiles.h"
#include "support/TempDir.h"

namespace gui_test {
namespace {

using test_support::TempDir;
using test_support::WriteWholeFile;

class FileList : public testing::Test {
protected:
    void SetUp() override { ResetWindow(); }

    // A file of size bytes in the scratch folder (paths joined by hand: the folder may hold
    // characters the C++ path class would re-encode).
    std::string MakeFile(const std::string& name, size_t size)
    {
        const std::string path = folder_.Path() + "\\" + name;
        WriteWholeFile(path, std::string(size, 'x'));
        return path;
    }
    void Drop(const std::vector<std::string>& paths)
    {
        test_support::DropFiles(MainHandle(), paths);
    }

    TempDir folder_;
};

TEST_F(FileList, DroppedFilesKeepTheirOrderAndOnlyKnownExtensions)
{
    const std::string psd = MakeFile("A.PSD", 2000);
    const std::string bmp = MakeFile("b.Bmp", 0);
    const std::string jpg = MakeFile("c.jpg", 10);
    const std::string png = MakeFile("表.png", 1500000);
    Drop({psd, jpg, bmp, folder_.Path() + "\\missing.psd", png, psd});
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("A.PSD", rows[0].name);
    EXPECT_EQ(psd, rows[0].path);
    EXPECT_EQ("2 KB", rows[0].size);
    EXPECT_EQ("b.Bmp", rows[1].name);
    EXPECT_EQ(" KB", rows[1].size);
    EXPECT_EQ("表.png", rows[2].name);
    EXPECT_EQ("1,465 KB", rows[2].size);
    // The same file twice gives two rows.
    EXPECT_EQ(psd, rows[3].path);
    // Nothing is ticked: nothing is marked.
    for (const Row& row : rows)
        EXPECT_FALSE(row.highlighted) << row.name;
}

TEST_F(FileList, DroppedFolderListsSubfoldersFirst)
{
    CreateDirectoryA((folder_.Path() + "\\sub").c_str(), nullptr);
    const std::string x = MakeFile("x.png", 1);
    const std::string y = MakeFile("sub\\y.psd", 1025);
    MakeFile("sub\\notes.txt", 5);
    Drop({folder_.Path()});
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(y, rows[0].path);
    EXPECT_EQ("2 KB", rows[0].size);
    EXPECT_EQ(x, rows[1].path);
    EXPECT_EQ("1 KB", rows[1].size);
}

TEST_F(FileList, RowsAreMarkedByTheOptionsInForce)
{
    const std::string psd = MakeFile("doc.psd", 1);
    const std::string bmp = MakeFile("pic.bmp", 1);
    const std::string alpha = MakeFile("pic_.bmp", 1);
    const std::string png = MakeFile("pic.png", 1);
    Drop({psd, bmp, alpha, png});
    const auto marks = [] {
        std::vector<bool> marked;
        for (const Row& row : Rows())
            marked.push_back(row.highlighted);
        return marked;
    };
    EXPECT_EQ((std::vector<bool>{false, false, false, false}), marks());
    Click(kImageInfo);
    EXPECT_EQ((std::vector<bool>{true, false, false, false}), marks());
    Click(kBmpToPng);
    EXPECT_EQ((std::vector<bool>{true, true, true, false}), marks());
    // The alpha half of an earlier conversion is listed but never marked.
    Click(kAlphaFile);
    EXPECT_EQ((std::vector<bool>{true, true, false, false}), marks());
    Click(kPngToBmp);
    Click(kImageInfo);
    EXPECT_EQ((std::vector<bool>{false, false, false, true}), marks());
    // A drop marks its new rows at once.
    Drop({psd});
    EXPECT_FALSE(Rows().back().highlighted);
    Click(kPsdToMng);
    EXPECT_TRUE(Rows().back().highlighted);
}

// The colour painted at the empty left part of a row's size column.
COLORREF RowColour(int row)
{
    HWND list = ControlAt(kFileList);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    HDC dc = GetDC(list);
    const COLORREF colour = GetPixel(dc, 90 + 200 + 5, (bounds.top + bounds.bottom) / 2);
    ReleaseDC(list, dc);
    return colour;
}

TEST_F(FileList, MarkedRowsArePaintedInTheHighlightColour)
{
    Drop({MakeFile("doc.psd", 1), MakeFile("pic.png", 1)});
    Click(kImageInfo);
    ASSERT_TRUE(Rows()[0].highlighted);
    ASSERT_FALSE(Rows()[1].highlighted);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RowColour(0));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RowColour(1));
}

TEST_F(FileList, ClearEmptiesBothLists)
{
    Drop({MakeFile("one.psd", 1)});
    SendMessageA(ControlAt(kStatusList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("line"));
    Click(kClear);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(StatusLines().empty());
    EXPECT_TRUE(Visible(kStart));
    EXPECT_FALSE(Visible(kStop));
}

}  // namespace
}  // namespace gui_test
