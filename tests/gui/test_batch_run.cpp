// The batch run through the window: the start button, the idle step that converts the marked
// files, status lines and progress bars, a failing file, and stop, clear and quit during a run.
#include <gtest/gtest.h>

#include "conversion/ConversionKit.h"
#include "gui/MainWindowDriver.h"
#include "support/DropFiles.h"
#include "window/ConvWindow.h"

namespace gui_test {
namespace {

using conversion_test::LayerShape;
using conversion_test::RgbaDocument;
using test_support::Exists;
using test_support::TempDir;
using test_support::WriteWholeFile;

class BatchRun : public testing::Test {
protected:
    void SetUp() override
    {
        ResetWindow();
        Click(kPngMerged);
    }

    std::string Path(const std::string& name) const { return folder_.Path() + "\\" + name; }
    std::string Document(const std::string& name)
    {
        const test_support::Bytes bytes = RgbaDocument(6, 4, {LayerShape{"a", 0, 0, 3, 2}});
        WriteWholeFile(Path(name), std::string(bytes.begin(), bytes.end()));
        return Path(name);
    }
    // A document whose version the reader refuses.
    std::string BadDocument(const std::string& name)
    {
        test_support::Bytes bytes = RgbaDocument(6, 4, {LayerShape{"a", 0, 0, 3, 2}});
        bytes[5] = 2;
        WriteWholeFile(Path(name), std::string(bytes.begin(), bytes.end()));
        return Path(name);
    }
    void Drop(const std::vector<std::string>& paths) { test_support::DropFiles(MainHandle(), paths); }
    // The start button, then the message loop's idle step.
    void Start()
    {
        Click(kStart);
        EXPECT_TRUE(Visible(kStop));
        EXPECT_FALSE(Visible(kStart));
        MainWindow().RunBatch();
    }

    TempDir folder_;
};

TEST_F(BatchRun, FailingFileIsReportedAndTheRunGoesOn)
{
    const std::string bad = BadDocument("first.psd");
    const std::string good = Document("second.psd");
    const std::string third = Document("third.psd");
    Drop({bad, good, third});
    SendMessageA(ControlAt(kStatusList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old line"));
    Start();
    const std::vector<std::string> expected = {
        "ImageLoaderPSD::Scan:103", "変換失敗[" + bad + "]", "second.psd → second.png",
        "third.psd → third.png"};
    EXPECT_EQ(expected, StatusLines());
    EXPECT_TRUE(Exists(Path("second.png")));
    EXPECT_TRUE(Exists(Path("third.png")));
    EXPECT_EQ(4, ProgressMaximum(kOverallProgress));
    EXPECT_EQ(4, ProgressPosition(kOverallProgress));
    EXPECT_EQ(ProgressMaximum(kFileProgress), ProgressPosition(kFileProgress));
    EXPECT_GT(ProgressMaximum(kFileProgress), 0);
    EXPECT_TRUE(Visible(kStart));
    EXPECT_FALSE(Visible(kStop));
    // Converted rows stay listed.
    EXPECT_EQ(3u, Rows().size());
}

TEST_F(BatchRun, OnlyMarkedRowsAreConvertedAndTheOptionsAreReadAtTheStart)
{
    const std::string psd = Document("doc.psd");
    WriteWholeFile(Path("pic.png"), "not read");
    Drop({Path("pic.png"), psd});
    // Ticked without a command of its own: the start of the run reads it.
    Click(kImageInfo);
    Click(kImageInfo);
    Start();
    EXPECT_EQ((std::vector<std::string>{"doc.psd → doc.png"}), StatusLines());
    EXPECT_EQ(2, ProgressMaximum(kOverallProgress));
}

TEST_F(BatchRun, NothingMarkedEndsAtOnceAndKeepsTheStatusLines)
{
    Click(kPngMerged);
    Drop({Document("doc.psd")});
    SendMessageA(ControlAt(kStatusList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("kept"));
    Start();
    EXPECT_EQ((std::vector<std::string>{"kept"}), StatusLines());
    EXPECT_TRUE(Visible(kStart));
    EXPECT_FALSE(Visible(kStop));
    EXPECT_FALSE(Exists(Path("doc.png")));
}

TEST_F(BatchRun, StopDuringTheSecondFileEndsTheRunAfterIt)
{
    Drop({Document("one.psd"), Document("two.psd"), Document("three.psd")});
    StatusLineWatcher watcher([](const std::string& line) {
        if (line == "two.psd → two.png")
            PostMessageA(ControlAt(kStop), BM_CLICK, 0, 0);
    });
    Start();
    const std::vector<std::string> expected = {"one.psd → one.png", "two.psd → two.png",
                                               "変換中止[2/3]"};
    EXPECT_EQ(expected, StatusLines());
    EXPECT_FALSE(Exists(Path("three.png")));
    EXPECT_TRUE(Visible(kStart));
    EXPECT_FALSE(Visible(kStop));
}

TEST_F(BatchRun, StopWaitingBeforeTheFirstFileConvertsNothing)
{
    Drop({Document("one.psd"), Document("two.psd")});
    Click(kStart);
    PostMessageA(ControlAt(kStop), BM_CLICK, 0, 0);
    MainWindow().RunBatch();
    EXPECT_EQ((std::vector<std::string>{"変換中止[0/2]"}), StatusLines());
    EXPECT_FALSE(Exists(Path("one.png")));
    EXPECT_EQ(0, ProgressPosition(kOverallProgress));
}

TEST_F(BatchRun, ClearDuringARunEmptiesTheListsAndEndsIt)
{
    Drop({Document("one.psd"), Document("two.psd")});
    StatusLineWatcher watcher([](const std::string& line) {
        if (line == "one.psd → one.png")
            PostMessageA(ControlAt(kClear), BM_CLICK, 0, 0);
    });
    Start();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ((std::vector<std::string>{"変換中止[1/2]"}), StatusLines());
    EXPECT_FALSE(Exists(Path("two.png")));
    EXPECT_TRUE(Visible(kStart));
}

TEST_F(BatchRun, OptionChangesAndDropsDuringARunApplyToLaterFilesOnly)
{
    Drop({Document("one.psd"), Document("two.psd")});
    const std::string late = Document("late.psd");
    StatusLineWatcher watcher([&](const std::string& line) {
        if (line == "one.psd → one.png") {
            PostMessageA(ControlAt(kImageInfo), BM_CLICK, 0, 0);
            PostMessageA(MainHandle(), WM_DROPFILES,
                         reinterpret_cast<WPARAM>(test_support::MakeDropHandle({late})), 0);
        }
    });
    Start();
    const std::vector<std::string> expected = {"one.psd → one.png", "two.psd → two.png",
                                               "two.psd → two.txt"};
    EXPECT_EQ(expected, StatusLines());
    EXPECT_FALSE(Exists(Path("late.png")));
    ASSERT_EQ(3u, Rows().size());
    EXPECT_TRUE(Rows()[2].highlighted);
}

TEST_F(BatchRun, QuitDuringARunLeavesTheQuitForTheLoop)
{
    Drop({Document("one.psd"), Document("two.psd")});
    Click(kStart);
    PostQuitMessage(0);
    MainWindow().RunBatch();
    EXPECT_TRUE(StatusLines().empty());
    EXPECT_FALSE(Exists(Path("one.png")));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    // The run is still asked for: the program would end here.
    EXPECT_TRUE(Visible(kStop));
    Click(kStop);
}

}  // namespace
}  // namespace gui_test
