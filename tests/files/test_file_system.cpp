#include <gtest/gtest.h>

#include <string>
#include <vector>

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

#if !defined(_WIN32)
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
