#include <gtest/gtest.h>

#include <cstring>

#include "debug/Error.h"
#include "stream/StreamMemory.h"

using namespace sdk::stream;

#define EXPECT_TAG(statement, tag)                                   \
    try {                                                            \
        statement;                                                   \
        ADD_FAILURE() << "no error raised, expected " << tag;        \
    } catch (const std::runtime_error& error) {                      \
        EXPECT_STREQ(tag, error.what());                             \
    }

TEST(MemoryStreams, PositionMayReachTheEndButNotPassIt)
{
    uint8_t block[8] = {};
    memory_in in(block, 8);
    in.SetPos(8);
    EXPECT_EQ(0u, in.GetRemain());
    EXPECT_TAG(in.SetPos(9), "stream_memory::SetPos:32");
    EXPECT_TAG(in.SetPos(-1), "stream_memory::SetPos:32");
    EXPECT_EQ(8, in.GetPos());
    in.Seek(-8);
    EXPECT_EQ(0, in.GetPos());
    EXPECT_TAG(in.Seek(-1), "stream_memory::Seek:21");
    EXPECT_TAG(in.Seek(9), "stream_memory::Seek:21");
    EXPECT_TAG(in.Seek(INT32_MAX), "stream_memory::Seek:21");
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
    EXPECT_TAG(in.Read(untouched, 4), "memory_in::Read:42");
    EXPECT_EQ(9, untouched[0]);
    EXPECT_EQ(1, in.GetPos());
    EXPECT_TAG(in.Read(untouched, 0xFFFFFFFFu), "memory_in::Read:42");
}

TEST(MemoryStreams, OutputNeverGrowsPastItsBlock)
{
    uint8_t block[10] = {};
    memory_out out(block, 10);
    out.Fill(7, 10);
    EXPECT_EQ(7, block[9]);
    const uint8_t one = 1;
    EXPECT_TAG(out.Write(&one, 1), "memory_out::Write:54");
    EXPECT_TAG(out.Fill(0, 1), "memory_out::Fill:66");
    out.SetPos(8);
    const uint8_t source_bytes[4] = {1, 2, 3, 4};
    memory_in source(source_bytes, 4);
    EXPECT_TAG(out.Fill(source, 3), "memory_out::Fill:77");
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
    EXPECT_TAG(out.Fill(source, 4), "memory_in::Read:42");
    EXPECT_EQ(0, out.GetPos());
}

TEST(ByteOrder, SwapsReverseTheBytes)
{
    EXPECT_EQ(0x3412, ByteSwap16(0x1234));
    EXPECT_EQ(0x78563412u, ByteSwap32(0x12345678u));
    EXPECT_EQ(0x000000FFu, ByteSwap32(0xFF000000u));
}
