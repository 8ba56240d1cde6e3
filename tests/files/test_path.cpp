#include <gtest/gtest.h>

#include "files/CodePage.h"
#include "files/Path.h"

using namespace sdk::files;

namespace {
// The separator that joins insert on this platform, as text.
const std::string kSep(1, kPathSeparator);

// Path scans follow Shift_JIS for the life of the object.
class ShiftJis : public ::testing::Test {
protected:
    void SetUp() override { SelectCodePage(kCodePageShiftJis); }
    void TearDown() override { SelectCodePage(0); }
};
}  // namespace

TEST(Path, SplitFindsDriveDirectoryNameAndExtension)
{
    PathParts parts = SplitPath("C:\\dir\\sub/file.tar.gz");
    EXPECT_EQ("C:", parts.drive);
    EXPECT_EQ("\\dir\\sub/", parts.directory);
    EXPECT_EQ("file.tar", parts.name);
    EXPECT_EQ(".gz", parts.extension);
    EXPECT_EQ("C:\\dir\\", GetFolder("C:\\dir\\file.psd"));
    EXPECT_EQ("file.psd", GetFileName("C:\\dir\\file.psd"));
    EXPECT_EQ("", GetDrive("dir\\file.psd"));
    EXPECT_EQ("", GetFolder("file.psd"));
}

TEST(Path, ExtensionComesFromTheFinalComponentOnly)
{
    EXPECT_EQ("", GetExt("C:\\a.b\\c"));
    EXPECT_EQ(".gz", GetExt("x.tar.gz"));
    EXPECT_EQ(".", GetExt("name."));
    EXPECT_EQ("", GetExt(".."));
    EXPECT_EQ("..", GetName(".."));
    EXPECT_EQ("", GetExt("a\\."));
    EXPECT_EQ(".psd", GetExt("/home/user/x.psd"));
}

TEST(Path, JoinsAddOneSeparatorAndOneDot)
{
    EXPECT_EQ("a\\b.png", ChangeExt("a\\b.psd", "png"));
    EXPECT_EQ("a\\b.png", ChangeExt("a\\b.psd", ".png"));
    EXPECT_EQ("C:\\x\\b", ChangeExt("C:\\x\\b.psd", ""));
    EXPECT_EQ("C:\\out" + kSep + "x.png", MakePath("C:\\out", "x.png"));
    EXPECT_EQ("C:\\out\\x.png", MakePath("C:\\out\\", "x.png"));
    EXPECT_EQ("/out/x.png", MakePath("/out/", "x.png"));
    EXPECT_EQ("x.png", MakePath("", "x.png"));
}

TEST(Path, StripSeparatorRemovesOnlyAFinalSeparator)
{
    EXPECT_EQ("C:\\out", StripSeparator("C:\\out\\"));
    EXPECT_EQ("C:\\out", StripSeparator("C:\\out"));
    EXPECT_EQ("/tmp", StripSeparator("/tmp/"));
    EXPECT_EQ("", StripSeparator(""));
}

TEST_F(ShiftJis, TrailByteBackslashIsPartOfItsCharacter)
{
    // 表 is 0x95 0x5C in Shift_JIS: its second byte is the code of "\".
    const std::string hyo = "\x95\x5C";
    const std::string path = "C:\\dir\\" + hyo + ".psd";
    EXPECT_EQ(hyo, GetName(path));
    EXPECT_EQ(hyo + ".psd", GetFileName(path));
    EXPECT_EQ("C:\\dir\\", GetFolder(path));
    EXPECT_EQ("C:\\" + hyo, StripSeparator("C:\\" + hyo));
    EXPECT_EQ("C:\\" + hyo + kSep + "x.png", MakePath("C:\\" + hyo, "x.png"));
    // A trail byte that looks like "." does not start an extension (0x81 0x2E is not valid
    // Shift_JIS, but a lead byte always takes the next byte with it).
    EXPECT_EQ("", GetExt("a\\\x81."));
}

TEST_F(ShiftJis, PathIdentityResolvesDotsAndFoldsCaseWhereNamesIgnoreIt)
{
    // Relative to the current folder, "." and ".." resolved, any separator; on Windows letters
    // folded, but never the trail byte of a character (表 is 0x95 0x5C, ア 0x83 0x41).
    EXPECT_EQ(PathIdentity("./a//b/../X.psd", "/work"), PathIdentity("/work/a\\X.psd", ""));
    EXPECT_EQ(PathIdentity("../../x", "/w"), "/x");
#if defined(_WIN32)
    EXPECT_EQ(PathIdentity("Dir\\\x95\x5c\x83\x41.PSD", "C:\\W"), "c:/w/dir/\x95\x5c\x83\x41.psd");
#else
    EXPECT_EQ(PathIdentity("Dir/X.psd", "/W"), "/W/Dir/X.psd");
#endif
    EXPECT_EQ(LowerAsciiLetters("AB\x83\x41"), "ab\x83\x41");
}

TEST(Path, Utf8NeedsNoLeadByteRule)
{
    // 表 in UTF-8, spelled as bytes so that the test means the same under every charset.
    const std::string hyo = "\xE8\xA1\xA8";
    SelectCodePage(kCodePageUtf8);
    EXPECT_EQ(hyo, GetName("/dir/" + hyo + ".psd"));
    EXPECT_EQ("/dir/", GetFolder("/dir/" + hyo + ".psd"));
    SelectCodePage(0);
}

#if defined(_WIN32)
TEST(Path, WindowsPathsAreCutAtTheSystemLimits)
{
    const std::string long_name(300, 'n');
    EXPECT_EQ(255u, GetName("C:\\" + long_name).size());
    EXPECT_EQ(kCodePageShiftJis, ActiveCodePage()) << "run under the Japanese code page";
}
#else
TEST(Path, PathsAreNotCutHere)
{
    const std::string long_name(300, 'n');
    EXPECT_EQ(300u, GetName("/" + long_name + ".psd").size());
    EXPECT_EQ(kCodePageUtf8, ActiveCodePage());
}
#endif

#if !defined(_WIN32)
#include "files/NativeText.h"

TEST(NativeText, ShiftJisBecomesUtf8AndBadBytesBecomeReplacements)
{
    EXPECT_EQ("layer 1", ShiftJisToNative("layer 1"));
    EXPECT_EQ("\xE8\xA1\xA8", ShiftJisToNative("\x95\x5C"));                  // 表
    EXPECT_EQ("\xE3\x83\xAC\xE3\x82\xA4\xE3\x83\xA4\xE3\x83\xBC",            // レイヤー
              ShiftJisToNative("\x83\x8C\x83\x43\x83\x84\x81\x5B"));
    EXPECT_EQ("a\xEF\xBF\xBD", ShiftJisToNative("a\x95"));                   // cut off
    // Single bytes that start no character but that Windows maps all the same.
    EXPECT_EQ("\xC2\x80" "b\xEF\xA3\xB0" "c", ShiftJisToNative("\x80" "b\xA0" "c"));
    EXPECT_EQ("\xEF\xA3\xB1\xEF\xA3\xB2\xEF\xA3\xB3", ShiftJisToNative("\xFD\xFE\xFF"));
    // A lead byte whose partner cannot be one: an ASCII partner is kept as a character of its
    // own; two non-ASCII bytes that form no character are one replacement.
    EXPECT_EQ("\xEF\xBF\xBD 1", ShiftJisToNative("\xE0 1"));
    EXPECT_EQ("\xEF\xBF\xBD@x", ShiftJisToNative("\x85@x"));
    EXPECT_EQ("\xEF\xBF\xBDx", ShiftJisToNative("\xE0\xFDx"));
    EXPECT_EQ(std::string(), ShiftJisToNative(std::string()));
}
#endif
