#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "debug/Error.h"
#include "debug/FaultHandler.h"

using namespace sdk::debug;

namespace {
std::string RecordOf(const std::exception& error)
{
    std::ostringstream stream;
    stream << error;
    return stream.str();
}
}  // namespace

TEST(Error, EveryKindCutsItsMessageTo255Bytes)
{
    const std::string long_text(300, 'x');
    const std::string expected(255, 'x');
    EXPECT_EQ(expected, logic_error(long_text.c_str()).what());
    EXPECT_EQ(expected, runtime_error(long_text.c_str()).what());
    EXPECT_EQ(expected, error_base(long_text.c_str()).what());
    EXPECT_EQ(expected, windows_error(long_text.c_str(), 5).what());
    EXPECT_EQ("Image::Create:58", std::string(runtime_error("Image::Create:58").what()));
}

TEST(Error, ErrorsAreCaughtAsTheStandardClasses)
{
    EXPECT_THROW(throw runtime_error("a:1"), std::runtime_error);
    EXPECT_THROW(throw logic_error("a:1"), std::logic_error);
    EXPECT_THROW(throw windows_error("a:1", 2), std::runtime_error);
    EXPECT_THROW(throw system_error(0xC0000005u, 0), error_base);
}

TEST(Error, FaultNamesComeFromTheTable)
{
    EXPECT_STREQ("メモリ／アクセス違反", ExceptionName(0xC0000005u));
    EXPECT_STREQ("整数演算／ゼロ除算", ExceptionName(0xC0000094u));
    EXPECT_STREQ("プロセッサ／スタック・オーバーフロー", ExceptionName(0xC00000FDu));
    EXPECT_STREQ("システム／保護ページ違反", ExceptionName(0x80000001u));
    EXPECT_STREQ("システムエラー", ExceptionName(0));
    EXPECT_STREQ("システムエラー", ExceptionName(0xC0000097u));
    EXPECT_STREQ("メモリ／アクセス違反", system_error(0xC0000005u, 0x1234).what());
}

TEST(Error, RecordOfWindowsErrorHasCodeAndDescriptionLines)
{
    const windows_error error("Window::Create:47", 2);
    EXPECT_EQ("ERROR: sdk::debug::windows_error(Window::Create:47)\n"
              "\tERROR CODE : 2 (0x00000002)\n"
              "\tDESCRIPTION: " + GetErrorText(2) + "\n",
              RecordOf(error));
}

TEST(Error, RecordOfStandardErrorIsOneLine)
{
    EXPECT_EQ("ERROR: std::runtime_error(Scan:98)\n", RecordOf(runtime_error("Scan:98")));
    EXPECT_EQ("ERROR: std::logic_error(Copy:41)\n", RecordOf(logic_error("Copy:41")));
    const std::string plain = RecordOf(std::runtime_error("x:1"));
    EXPECT_EQ(0u, plain.find("ERROR: "));
    EXPECT_NE(std::string::npos, plain.find("runtime_error(x:1)\n"));
    EXPECT_EQ(1, std::count(plain.begin(), plain.end(), '\n'));
}

TEST(Error, RecordOfSystemErrorAndItsSignalSafeFormAgree)
{
    const system_error fault(0xC0000094u, 0xFFFFFFF0u);
    const std::string expected = std::string("ERROR: sdk::debug::system_error(") +
                                 ExceptionName(0xC0000094u) + ")\n" +
                                 "\tERROR_CODE: 0xC0000094\n"
                                 "\tERROR_ADDR: -16 (0xFFFFFFF0)\n";
    EXPECT_EQ(expected, RecordOf(fault));
    char buffer[512];
    size_t length = FormatFaultRecord(fault, "\n", buffer, sizeof buffer);
    EXPECT_EQ(expected, std::string(buffer, length));
    // A small buffer is cut, never overrun.
    char small[10];
    EXPECT_EQ(9u, FormatFaultRecord(fault, "\n", small, sizeof small));
    EXPECT_EQ(expected.substr(0, 9), std::string(small));
}

TEST(Error, ErrorTextIsOneLineOrQuestionMarks)
{
    const std::string known = GetErrorText(2);
    EXPECT_FALSE(known.empty());
    EXPECT_NE("???", known);
    EXPECT_EQ(std::string::npos, known.find_first_of("\r\n"));
    EXPECT_EQ("???", GetErrorText(0x7FFFFF00u));
}
