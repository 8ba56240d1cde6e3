#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "files/FileSystem.h"
#include "files/Path.h"
#include "support/TempDir.h"

using namespace sdk::files;
using namespace test_support;

TEST(FileSystem, QueriesTellFilesFromFolders)
{
    TempDir dir;
    WriteWholeFile(dir / "a.bin", std::string(2049, 'x'));
    EXPECT_TRUE(IsDirectory(dir.Path()));
    EXPECT_TRUE(IsDirectory(dir.Path() + "/"));
    EXPECT_TRUE(IsDirectory(dir.Path() + "\\"));
    EXPECT_FALSE(IsDirectory(dir / "a.bin"));
    EXPECT_TRUE(IsFile(dir / "a.bin"));
    EXPECT_FALSE(IsFile(dir.Path()));
    EXPECT_FALSE(IsFile(dir / "missing"));
    EXPECT_FALSE(IsDirectory(""));
    EXPECT_EQ(2049u, GetFileSize64(dir / "a.bin"));
    EXPECT_EQ(0u, GetFileSize64(dir / "missing"));
}

TEST(FileSystem, ModulePathNamesThisProgram)
{
    const std::string path = GetModulePath();
    EXPECT_TRUE(IsFile(path)) << path;
    EXPECT_NE(std::string::npos, GetName(path).find("files_tests"));
}

TEST(FileSystem, MakeDirectoriesCreatesEveryMissingParent)
{
    TempDir dir;
    MakeFolder(dir / "a");
    EXPECT_TRUE(MakeDirectories(dir.Path() + "\\a\\b\\c\\"));
    EXPECT_TRUE(IsDirectory(dir / "a/b/c"));
    EXPECT_TRUE(MakeDirectories(dir / "a/b"));  // existing already
    WriteWholeFile(dir / "file", "x");
    EXPECT_FALSE(MakeDirectories(dir / "file/sub"));
}

TEST(FileSystem, MakeDirectoriesStopsAtTheStartOfARelativePath)
{
    TempDir dir;
    ScopedCurrentDir here(dir.Path());
    EXPECT_TRUE(MakeDirectories("new\\deeper"));
    EXPECT_TRUE(IsDirectory(dir / "new/deeper"));
    EXPECT_TRUE(MakeDirectories("single"));
    EXPECT_TRUE(IsDirectory(dir / "single"));
}

TEST(FileSystem, FindFilesListsDeepestFoldersFirstAndTheFolderItselfLast)
{
    TempDir dir;
    for (const char* folder : {"a/x", "b"})
        MakeFolder(dir / folder);
    for (const char* file : {"top.psd", "a/one.psd", "a/x/two.PSD", "a/x/skip.bmp", "b/three.psd"})
        WriteWholeFile(dir / file, "");
    std::vector<std::string> found;
    FindFiles(found, dir.Path(), "*.psd");
    const std::string root = dir.Path();
    const std::vector<std::string> expected = {
        MakePath(MakePath(MakePath(root, "a"), "x"), "two.PSD"),
        MakePath(MakePath(root, "a"), "one.psd"),
        MakePath(MakePath(root, "b"), "three.psd"),
        MakePath(root, "top.psd"),
    };
    EXPECT_EQ(expected, found);

    std::vector<std::string> everything;
    FindFiles(everything, dir.Path(), "*");
    EXPECT_EQ(5u, everything.size());
    std::vector<std::string> none;
    FindFiles(none, dir / "missing", "*");
    EXPECT_TRUE(none.empty());
}

TEST(FileSystem, FindFileIgnoringCaseFindsTheNameInAnotherCase)
{
    TempDir dir;
    WriteWholeFile(dir / "PIC_.BMP", "");
#if defined(_WIN32)
    // The system ignores case itself: the path asked for names the file already.
    EXPECT_EQ(dir / "PIC_.bmp", FindFileIgnoringCase(dir / "PIC_.bmp"));
#else
    EXPECT_EQ(dir / "PIC_.BMP", FindFileIgnoringCase(dir / "PIC_.bmp"));
    // The folder part comes back as written.
    EXPECT_EQ(dir.Path() + "\\PIC_.BMP", FindFileIgnoringCase(dir.Path() + "\\pic_.bmp"));
#endif
}

TEST(FileSystem, FindFileIgnoringCasePrefersTheExactName)
{
    TempDir dir;
    WriteWholeFile(dir / "PIC.bmp", "");
    WriteWholeFile(dir / "pic.bmp", "");
    EXPECT_EQ(dir / "pic.bmp", FindFileIgnoringCase(dir / "pic.bmp"));
}

TEST(FileSystem, FindFileIgnoringCaseFindsNoFolderAndNoPatternMatch)
{
    TempDir dir;
    MakeFolder(dir / "SUB.BMP");
    WriteWholeFile(dir / "PIC.bmp", "");
    EXPECT_EQ("", FindFileIgnoringCase(dir / "sub.bmp"));
    EXPECT_EQ("", FindFileIgnoringCase(dir / "P?C.bmp"));
    EXPECT_EQ("", FindFileIgnoringCase(dir / "*"));
    EXPECT_EQ("", FindFileIgnoringCase(dir / "missing.bmp"));
}

TEST(FileSystem, FindFilesReportsATopFolderItCannotList)
{
    TempDir dir;
    std::vector<std::string> found;
    std::vector<ListingProblem> problems;
    FindFiles(found, dir / "missing", "*", &problems);
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(dir / "missing", problems[0].path);
    EXPECT_EQ(ListingProblem::Kind::kUnreadable, problems[0].kind);
    EXPECT_NE(0u, problems[0].error);
}

#if !defined(_WIN32)
TEST(FileSystem, FindFilesReportsLinksToFoldersWithoutFollowingThem)
{
    TempDir dir;
    MakeFolder(dir / "real");
    WriteWholeFile(dir / "real/a.psd", "");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    std::vector<std::string> found;
    std::vector<ListingProblem> problems;
    FindFiles(found, dir.Path(), "*", &problems);
    EXPECT_EQ(std::vector<std::string>{MakePath(MakePath(dir.Path(), "real"), "a.psd")}, found);
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(MakePath(dir.Path(), "link"), problems[0].path);
    EXPECT_EQ(ListingProblem::Kind::kFolderLink, problems[0].kind);
}

TEST(FileSystem, FindFilesReportsAnUnreadableFolderWithItsCode)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which can read every folder";
    TempDir dir;
    MakeFolder(dir / "locked");
    WriteWholeFile(dir / "locked/a.psd", "");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::none);
    std::vector<std::string> found;
    std::vector<ListingProblem> problems;
    FindFiles(found, dir.Path(), "*", &problems);
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
    EXPECT_TRUE(found.empty());
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(MakePath(dir.Path(), "locked"), problems[0].path);
    EXPECT_EQ(ListingProblem::Kind::kUnreadable, problems[0].kind);
    EXPECT_EQ(static_cast<uint32_t>(EACCES), problems[0].error);
}

TEST(FileSystem, FindFilesReportsAFolderTooDeepToOpen)
{
    // Eighteen levels of 250-byte names, the second nine made from inside the first: the
    // deepest paths pass the system's limit.
    TempDir dir;
    std::string nine(250, 'd');
    for (int level = 1; level < 9; ++level)
        nine += "/" + std::string(250, 'd');
    MakeFolder(dir / nine);
    {
        ScopedCurrentDir inside(dir / nine);
        MakeFolder(nine);
    }
    std::vector<std::string> found;
    std::vector<ListingProblem> problems;
    FindFiles(found, dir.Path(), "*", &problems);
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(ListingProblem::Kind::kUnreadable, problems[0].kind);
    EXPECT_EQ(static_cast<uint32_t>(ENAMETOOLONG), problems[0].error);
}

TEST(FileSystem, BackslashesReachTheFileSystemAsSeparators)
{
    TempDir dir;
    EXPECT_TRUE(MakeDirectories(dir.Path() + "\\doc\\layer"));
    EXPECT_TRUE(IsDirectory(dir / "doc/layer"));
    WriteWholeFile(dir / "doc/layer/x.png", "abc");
    EXPECT_TRUE(IsFile(dir.Path() + "\\doc\\layer\\x.png"));
    EXPECT_EQ(3u, GetFileSize64(dir.Path() + "\\doc\\layer\\x.png"));
}
#endif
