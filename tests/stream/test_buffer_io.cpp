#include <gtest/gtest.h>

#include <cstring>

#include "support/ErrorTag.h"
#include "stream/StreamBuffer.h"

using namespace sdk::stream;
using test_support::TagOf;


TEST(BufferIo, WritesOverwriteInTheMiddleAndAppendAtTheEnd)
{
    buffer_io buffer;
    buffer.Write("abcd", 4);
    buffer.SetPos(2);
    buffer.Write("WXYZ", 4);
    EXPECT_EQ(6, buffer.GetSize());
    EXPECT_EQ(0xFFFFFFFFu - 6, buffer.GetRemain());
    buffer.SetPos(0);
    char read[7] = {};
    buffer.Read(read, 6);
    EXPECT_STREQ("abWXYZ", read);
    EXPECT_EQ("buffer_io::Read:47", TagOf([&] { buffer.Read(read, 1); }));
    EXPECT_EQ("buffer_io::Read:47", TagOf([&] { buffer.Read(read, 0xFFFFFFFFu); }));
}

TEST(BufferIo, PositionStaysWithinTheData)
{
    buffer_io buffer;
    buffer.Write("abc", 3);
    EXPECT_EQ("buffer_io::SetPos:36", TagOf([&] { buffer.SetPos(4); }));
    EXPECT_EQ("buffer_io::SetPos:36", TagOf([&] { buffer.SetPos(-1); }));
    EXPECT_EQ("buffer_io::Seek:24", TagOf([&] { buffer.Seek(1); }));
    EXPECT_EQ("buffer_io::Seek:24", TagOf([&] { buffer.Seek(INT32_MIN); }));
    buffer.Seek(-3);
    EXPECT_EQ(0, buffer.GetPos());
}

TEST(BufferIo, WriteThatWouldPassTwoGigabytesIsRefusedBeforeGrowing)
{
    buffer_io buffer;
    buffer.Write("a", 1);
    EXPECT_EQ("buffer_io::Write:58", TagOf([&] { buffer.Write("", 0xFFFFFFFFu); }));
    EXPECT_EQ(1, buffer.GetSize());
}
