#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ErrorTag.h"
#include "debug/Error.h"
#include "stream/PendingFiles.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamFile.h"
#include "stream/StreamScratch.h"
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

namespace {

// The names in folder, sorted.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool IsTemporaryOf(const std::string& name, const std::string& final_name)
{
    const std::string start = "." + final_name + ".";
    return name.size() > start.size() + 4 && name.compare(0, start.size(), start) == 0 &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

}  // namespace

TEST(FileStreams, ReplacingWriterLandsWholeOrNotAtAll)
{
    TempDir dir;
    const std::string path = dir / "out.png";
    WriteWholeFile(path, "earlier");
    {
        file_out out(path);
        out.OpenReplace();
        out.Write("complete", 8);
        // Until the commit the earlier file stands, and the new one is a hidden temporary file.
        EXPECT_EQ("earlier", ReadWholeFile(path));
        const std::vector<std::string> names = Names(dir.Path());
        ASSERT_EQ(2u, names.size());
        EXPECT_TRUE(IsTemporaryOf(names[0], "out.png")) << names[0];
        out.Commit();
    }
    EXPECT_EQ("complete", ReadWholeFile(path));
    EXPECT_EQ(std::vector<std::string>({"out.png"}), Names(dir.Path()));

    // Abandoned part-way (an error leaves the conversion): the earlier file stays byte for byte.
    {
        file_out out(path);
        out.OpenReplace();
        out.Write("broken", 6);
    }
    EXPECT_EQ("complete", ReadWholeFile(path));
    EXPECT_EQ(std::vector<std::string>({"out.png"}), Names(dir.Path()));

    // A new file, with a name as long as a name may be: the temporary name is cut to fit.
#if defined(_WIN32)
    const std::string long_name(259 - dir.Path().size() - 1 - 4, 'n');
#else
    const std::string long_name(255 - 4, 'n');
#endif
    file_out fresh(dir / (long_name + ".png"));
    fresh.OpenReplace();
    fresh.Write("x", 1);
    fresh.Commit();
    EXPECT_EQ("x", ReadWholeFile(dir / (long_name + ".png")));
    EXPECT_EQ(2u, Names(dir.Path()).size());
}

TEST(FileStreams, ReplacingWriterRefusesWhatWritingWouldRefuse)
{
    TempDir dir;
    // A folder where the file should go, and a file that another stream holds: the open's tag.
    ASSERT_TRUE(MakeFolder(dir / "folder.png"));
    file_out onto_folder(dir / "folder.png");
    EXPECT_EQ("stream_file::OpenWrite:56", TagOf([&] { onto_folder.OpenReplace(); }));
    WriteWholeFile(dir / "held.png", "held");
    file_in holder(dir / "held.png");
    holder.OpenRead();
    file_out onto_held(dir / "held.png");
    EXPECT_EQ("stream_file::OpenWrite:56", TagOf([&] { onto_held.OpenReplace(); }));
    EXPECT_EQ(std::vector<std::string>({"folder.png", "held.png"}), Names(dir.Path()));

    // A rename that fails (a folder took the name meanwhile) has its own tag and leaves nothing.
    {
        file_out late(dir / "late.png");
        late.OpenReplace();
        late.Write("x", 1);
        ASSERT_TRUE(MakeFolder(dir / "late.png"));
        EXPECT_EQ("file_out::Commit:64", TagOf([&] { late.Commit(); }));
    }
    EXPECT_EQ(std::vector<std::string>({"folder.png", "held.png", "late.png"}), Names(dir.Path()));
}

TEST(FileStreams, TemporaryNamesLieBesideTheOutput)
{
    using sdk::stream::pending::TemporaryPath;
    EXPECT_EQ("C:\\out\\.a.png.12-3.tmp", TemporaryPath("C:\\out\\a.png", 12, 3));
    EXPECT_EQ(".a.png.12-3.tmp", TemporaryPath("a.png", 12, 3));
#if !defined(_WIN32)
    // Cut to a file name's 255 bytes, never inside a character (here two-byte UTF-8 ones).
    std::string name;
    for (int i = 0; i < 130; ++i)
        name += "\xC3\xA9";
    const std::string cut = TemporaryPath("/o/" + name, 1, 2);
    const std::string kept = cut.substr(4, cut.size() - 4 - std::string(".1-2.tmp").size());
    EXPECT_LE(cut.size() - 3, 255u);
    EXPECT_EQ(0u, kept.size() % 2);
    EXPECT_EQ(0, name.compare(0, kept.size(), kept));
#endif
}

TEST(FileStreams, InterruptCleanupRemovesEveryTemporaryFile)
{
    UseFreshProcessForDeathTests();
    ChildProcessFolder folder;
    WriteWholeFile(folder / "a.png", "earlier");
    EXPECT_EXIT(
        {
            file_out a(folder / "a.png");
            file_out b(folder / "b.mng");
            a.OpenReplace();
            b.OpenReplace();
            a.Write("part", 4);
            sdk::stream::pending::RemoveAllAndHold();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(std::vector<std::string>({"a.png"}), Names(folder.Path()));
    EXPECT_EQ("earlier", ReadWholeFile(folder / "a.png"));
}

// Bytes kept for later: in memory up to the bound, then in a hidden temporary file beside the
// given path (nothing at the path itself), closed while waiting and gone with the stream.
TEST(FileStreams, ScratchStreamsMoveToATemporaryFileAndCopyOutInOrder)
{
    TempDir dir;
    buffer_io small_copy, large_copy;
    {
        scratch_out small(dir / "a.png", 8);
        small.Write("12345678", 8);
        EXPECT_TRUE(Names(dir.Path()).empty());
        small.CopyTo(small_copy);

        scratch_out large(dir / "a.png", 8);
        large.Write("12345", 5);
        large.Write("6789", 4);
        const std::vector<std::string> names = Names(dir.Path());
        ASSERT_EQ(1u, names.size());
        EXPECT_TRUE(IsTemporaryOf(names[0], "a.png")) << names[0];
        large.Write("0", 1);
        large.Close();
        EXPECT_EQ(10, large.GetSize());
        EXPECT_EQ("scratch_out::SetPos:41", TagOf([&] { large.SetPos(0); }));
        large.CopyTo(large_copy);
        large.CopyTo(large_copy);
    }
    EXPECT_EQ(std::string("12345678"), std::string(small_copy.Bytes().begin(), small_copy.Bytes().end()));
    EXPECT_EQ(std::string("12345678901234567890"),
              std::string(large_copy.Bytes().begin(), large_copy.Bytes().end()));
    EXPECT_TRUE(Names(dir.Path()).empty());

    // A folder that cannot hold the temporary file: the errors of writing a file there.
    scratch_out nowhere(dir / "missing/a.png", 0);
    EXPECT_EQ("stream_file::OpenWrite:56", TagOf([&] { nowhere.Write("x", 1); }));
}
