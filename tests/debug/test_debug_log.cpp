// The log is created once per process, so each case runs in a fresh child process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "debug/DebugLog.h"
#include "debug/Error.h"
#include "support/ChildProcess.h"

using namespace sdk::debug;
using namespace test_support;

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { UseFreshProcessForDeathTests(); }
    ChildProcessFolder folder;
};

TEST_F(DebugLogTest, FirstRecordEmptiesTheFileAndLaterRecordsFollowInOrder)
{
    WriteWholeFile(folder / "debug.txt", "left over from an earlier run\r\n");
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            LogError(runtime_error("First:1"));
            LogError(windows_error("Second:2", 5), "\tFILE_PATH: C:\\x.psd");
            LogLine("Unknown Exception");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("ERROR: std::runtime_error(First:1)\r\n"
              "\r\n"
              "ERROR: sdk::debug::windows_error(Second:2)\r\n"
              "\tERROR CODE : 5 (0x00000005)\r\n"
              "\tDESCRIPTION: " + GetErrorText(5) + "\r\n"
              "\tFILE_PATH: C:\\x.psd\r\n"
              "Unknown Exception\r\n",
              ReadWholeFile(folder / "debug.txt"));
}

TEST_F(DebugLogTest, RunWithoutRecordsLeavesExistingFileAlone)
{
    WriteWholeFile(folder / "debug.txt", "kept");
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("kept", ReadWholeFile(folder / "debug.txt"));
}

TEST_F(DebugLogTest, LogThatCannotBeOpenedDropsRecordsSilently)
{
    // A folder named debug.txt cannot be opened as the log.
    MakeFolder(folder / "debug.txt");
    ASSERT_TRUE(Exists(folder / "debug.txt"));
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            LogError(runtime_error("Lost:1"));
            std::exit(DebugLog().good() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}
