#include <gtest/gtest.h>

#include <cstdint>

#include "files/Format.h"

using namespace sdk::files;

TEST(Format, FormatsWithoutALengthLimit)
{
    EXPECT_EQ("Quillmark Version 1.2(1.2.3.60)",
              Format("%s Version %s(%s)", "Quillmark", "1.2", "1.2.3.60"));
    EXPECT_EQ("-1 (0xFFFFFFFF)", Format("%d (0x%08X)", -1, 0xFFFFFFFFu));
    const std::string long_text(5000, 'z');
    EXPECT_EQ(long_text + "!", Format("%s!", long_text.c_str()));
    EXPECT_EQ("", Format("%s", ""));
}

TEST(FormatSizeKB, RoundsUpToWholeKilobytesWithThousandsCommas)
{
    EXPECT_EQ(" KB", FormatSizeKB(0));
    EXPECT_EQ("1 KB", FormatSizeKB(1));
    EXPECT_EQ("1 KB", FormatSizeKB(1023));
    EXPECT_EQ("1 KB", FormatSizeKB(1024));
    EXPECT_EQ("2 KB", FormatSizeKB(1025));
    EXPECT_EQ("999 KB", FormatSizeKB(999 * 1024));
    EXPECT_EQ("1,000 KB", FormatSizeKB(1000 * 1024));
    EXPECT_EQ("1,025 KB", FormatSizeKB(1048577));
    EXPECT_EQ("18,014,398,509,481,984 KB", FormatSizeKB(UINT64_MAX));
}
