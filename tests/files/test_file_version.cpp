#include <gtest/gtest.h>

#include <cstdlib>

#include "files/FileSystem.h"
#include "files/FileVersion.h"
#include "files/Path.h"
#include "support/ChildProcess.h"

using namespace sdk::files;
using namespace test_support;

#if defined(_WIN32)
namespace {
std::string Probe(const char* name) { return MakePath(GetFolder(GetModulePath()), name); }
}  // namespace

TEST(FileVersion, ReadsTheStringsOfTheOneTranslation)
{
    FileVersion version(Probe("version_probe_full.exe"));
    EXPECT_EQ("Probe", version.ProductName());
    EXPECT_EQ("9.8", version.ProductVersion());
    EXPECT_EQ("9.8.7.6", version.FileVersionText());
}

TEST(FileVersion, MissingValueLeavesOnlyThatTextEmpty)
{
    FileVersion version(Probe("version_probe_no_product_version.exe"));
    EXPECT_EQ("Probe", version.ProductName());
    EXPECT_EQ("", version.ProductVersion());
    EXPECT_EQ("9.8.7.6", version.FileVersionText());
}

TEST(FileVersion, TwoTranslationsAreRefused)
{
    EXPECT_THROW(FileVersion().Load(Probe("version_probe_two_translations.exe")), std::logic_error);
}
#else
TEST(FileVersion, OwnVersionComesFromTheBuild)
{
    FileVersion version;
    EXPECT_EQ("Quillmark", version.ProductName());
    EXPECT_EQ("1.2", version.ProductVersion());
    EXPECT_EQ("1.2.3.60", version.FileVersionText());
}
#endif

TEST(FileVersion, FileWithoutVersionGivesEmptyTextsAndOneLogRecord)
{
    UseFreshProcessForDeathTests();
    ChildProcessFolder folder;
#if defined(_WIN32)
    const std::string subject = Probe("version_probe_none.exe");
#else
    const std::string subject = folder / "plain.bin";
    WriteWholeFile(subject, "no version here");
#endif
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            FileVersion version(subject);
            bool empty = version.ProductName().empty() && version.ProductVersion().empty() &&
                         version.FileVersionText().empty();
            std::exit(empty ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("ERROR: std::logic_error(FileVersion::Load:58)\r\n\r\n",
              ReadWholeFile(folder / "debug.txt"));
}
