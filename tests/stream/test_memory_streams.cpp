#include <gtest/gtest.h>

#include <cstring>

#include "stream/ByteOrder.h"
#include "stream/StreamMemory.h"
#include "support/ErrorTag.h"

using namespace sdk::stream;
using test_support::TagOf;

TEST(MemoryStreams, PositionMayReachTheEndButNotPassIt)
{
    uint8_t block[8] = {};
    memory_in in(block, 8);
    in.SetPos(8);
    EXPECT_EQ(0u, in.GetRemain());
    EXPECT_EQ("stream_memory::SetPos:32", TagOf([&] { in.SetPos(9); }));
    EXPECT_EQ("stream_memory::SetPos:32", TagOf([&] { in.SetPos(-1); }));
    EXPECT_EQ(8, in.GetPos());
    in.Seek(-8);
    EXPECT_EQ(0, in.GetPos());
    EXPECT_EQ("stream_memory::Seek:21", TagOf([&] { in.Seek(-1); }));
    EXPECT_EQ("stream_memory::Seek:21", TagOf([&] { in.Seek(9); }));
    EXPECT_EQ("stream_memory::Seek:21", TagOf([&] { in.Seek(INT32_MAX); }));
    EXPECT_EQ(0, in.GetPos());
}

TEST(MemoryStreams, ReadOfExactlyTheRestSucceedsOneMoreCopiesNothing)
{
    const uint8_t block[4] = {1, 2, 3, 4};
    memory_in in(block, 4);
    uint8_t first = 0;
    in.Read(&first, 1);
    uint8_t rest[4] = {9, 9, 9, 9};
    in.Read(rest, 3);
    EXPECT_EQ(0, memcmp(rest, block + 1, 3));
    EXPECT_EQ(0u, in.GetRemain());
    in.SetPos(1);
    uint8_t untouched[4] = {9, 9, 9, 9};
    EXPECT_EQ("memory_in::Read:42", TagOf([&] { in.Read(untouched, 4); }));
    EXPECT_EQ(9, untouched[0]);
    EXPECT_EQ(1, in.GetPos());
    EXPECT_EQ("memory_in::Read:42", TagOf([&] { in.Read(untouched, 0xFFFFFFFFu); }));
}

TEST(MemoryStreams, OutputNeverGrowsPastItsBlock)
{
    uint8_t block[10] = {};
    memory_out out(block, 10);
    out.Fill(7, 10);
    EXPECT_EQ(7, block[9]);
    const uint8_t one = 1;
    EXPECT_EQ("memory_out::Write:54", TagOf([&] { out.Write(&one, 1); }));
    EXPECT_EQ("memory_out::Fill:66", TagOf([&] { out.Fill(0, 1); }));
    out.SetPos(8);
    const uint8_t source_bytes[4] = {1, 2, 3, 4};
    memory_in source(source_bytes, 4);
    EXPECT_EQ("memory_out::Fill:77", TagOf([&] { out.Fill(source, 3); }));
    EXPECT_EQ(0, source.GetPos());
    out.Fill(source, 2);
    EXPECT_EQ(1, block[8]);
    EXPECT_EQ(2, block[9]);
}

TEST(MemoryStreams, FillFromAStreamPassesItsErrorAndKeepsThePosition)
{
    uint8_t block[8] = {};
    memory_out out(block, 8);
    const uint8_t source_bytes[2] = {1, 2};
    memory_in source(source_bytes, 2);
    EXPECT_EQ("memory_in::Read:42", TagOf([&] { out.Fill(source, 4); }));
    EXPECT_EQ(0, out.GetPos());
}

TEST(ByteOrder, SwapsReverseTheBytes)
{
    EXPECT_EQ(0x3412, ByteSwap16(0x1234));
    EXPECT_EQ(0x78563412u, ByteSwap32(0x12345678u));
    EXPECT_EQ(0x000000FFu, ByteSwap32(0xFF000000u));
}
