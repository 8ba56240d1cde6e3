#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "support/ErrorTag.h"
#include "debug/Error.h"
#include "stream/StreamFile.h"
#include "support/ChildProcess.h"

using namespace sdk::stream;
using namespace test_support;


TEST(FileStreams, WrittenBytesReadBack)
{
    TempDir dir;
    const std::string path = dir / "data.bin";
    {
        file_out out(path);
        out.OpenWrite();
        out.Write("hello world", 11);
        EXPECT_EQ(11, out.GetSize());
        out.SetPos(6);
        out.Write("W", 1);
    }
    file_in in(path);
    in.OpenRead();
    EXPECT_EQ(11, in.GetSize());
    char text[12] = {};
    in.Read(text, 11);
    EXPECT_STREQ("hello World", text);
    EXPECT_EQ(0u, in.GetRemain());
}

TEST(FileStreams, ReadAtTheEndIsShortAndLeavesTheRestUnchanged)
{
    TempDir dir;
    WriteWholeFile(dir / "short.bin", "abc");
    file_in in(dir / "short.bin");
    in.OpenRead();
    in.SetPos(1);
    char bytes[6] = {'x', 'x', 'x', 'x', 'x', '\0'};
    in.Read(bytes, 5);
    EXPECT_STREQ("bcxxx", bytes);
    in.Read(bytes, 5);
    EXPECT_STREQ("bcxxx", bytes);
}

TEST(FileStreams, PositionBeyondTheEndLeavesNothingToRead)
{
    TempDir dir;
    WriteWholeFile(dir / "f.bin", "abcdef");
    file_in in(dir / "f.bin");
    in.OpenRead();
    in.Seek(10);
    EXPECT_EQ(10, in.GetPos());
    EXPECT_EQ(0u, in.GetRemain());
    EXPECT_EQ("stream_file::SetPos:61", TagOf([&] { in.SetPos(-1); }));
    in.SetPos(2);
    EXPECT_EQ("stream_file::Seek:60", TagOf([&] { in.Seek(-3); }));
}

TEST(FileStreams, OpeningForWritingEmptiesAnExistingFile)
{
    TempDir dir;
    WriteWholeFile(dir / "old.bin", "previous contents");
    {
        file_out out(dir / "old.bin");
        out.OpenWrite();
        out.Write("new", 3);
    }
    EXPECT_EQ("new", ReadWholeFile(dir / "old.bin"));
}

TEST(FileStreams, WritersDoNotShare)
{
    TempDir dir;
    const std::string path = dir / "locked.bin";
    file_out first(path);
    first.OpenWrite();
    first.Write("kept", 4);
    file_out second(path);
    EXPECT_EQ("stream_file::OpenWrite:56", TagOf([&] { second.OpenWrite(); }));
    file_in reader(path);
    EXPECT_EQ("stream_file::OpenRead:55", TagOf([&] { reader.OpenRead(); }));
    first.Write("!", 1);
    EXPECT_EQ(5, first.GetSize());
}

TEST(FileStreams, ReadersShareAndCopiesShareOnePosition)
{
    TempDir dir;
    WriteWholeFile(dir / "r.bin", "0123456789");
    file_in a(dir / "r.bin");
    a.OpenRead();
    file_in b(dir / "r.bin");
    b.OpenRead();
    file_in copy = a;
    char byte = 0;
    copy.Read(&byte, 1);
    copy.Read(&byte, 1);
    EXPECT_EQ(2, a.GetPos());
    EXPECT_EQ(0, b.GetPos());
    a.Read(&byte, 1);
    EXPECT_EQ('2', byte);
}

TEST(FileStreams, FolderOrMissingParentCannotBeOpened)
{
    TempDir dir;
    file_in folder(dir.Path());
    EXPECT_EQ("stream_file::OpenRead:55", TagOf([&] { folder.OpenRead(); }));
    file_out nowhere(dir / "missing/x.bin");
    EXPECT_EQ("stream_file::OpenWrite:56", TagOf([&] { nowhere.OpenWrite(); }));
}

TEST(FileStreams, FailedOpenIsLoggedWithTheSystemErrorAndThePath)
{
    UseFreshProcessForDeathTests();
    ChildProcessFolder folder;
    const std::string missing = folder / "missing.psd";
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            file_in in(missing);
            std::exit(TagOf([&] { in.OpenRead(); }) == "stream_file::OpenRead:55" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("ERROR: sdk::debug::windows_error(stream_file::impl::OpenRead:75)\r\n"
              "\tERROR CODE : 2 (0x00000002)\r\n"
              "\tDESCRIPTION: " + sdk::debug::GetErrorText(2) + "\r\n"
              "\tFILE_PATH: " + missing + "\r\n",
              ReadWholeFile(folder / "debug.txt"));
}
