#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "debug/Error.h"
#include "debug/FaultHandler.h"
#include "support/ChildProcess.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <sys/mman.h>
#endif

using namespace sdk::debug;
using namespace test_support;

namespace {

// A page that may not be touched: writing to it is an access violation on every platform,
// without the undefined behaviour of a null pointer.
volatile char* ForbiddenPage()
{
#if defined(_WIN32)
    return static_cast<volatile char*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS));
#else
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return page == MAP_FAILED ? nullptr : static_cast<volatile char*>(page);
#endif
}

}  // namespace

TEST(FaultHandler, AccessViolationIsRecordedAndEndsTheProcess)
{
    UseFreshProcessForDeathTests();
    ChildProcessFolder folder;
    EXPECT_EXIT(
        {
            ScopedCurrentDir here(folder.Path());
            InstallFaultHandler(7);
            volatile char* page = ForbiddenPage();
            if (page != nullptr)
                page[16] = 1;
            std::exit(1);
        },
        ::testing::ExitedWithCode(7), "system_error");
    const std::string log = ReadWholeFile(folder / "debug.txt");
    EXPECT_EQ(0u, log.find(std::string("ERROR: sdk::debug::system_error(") +
                           ExceptionName(0xC0000005u) + ")\r\n\tERROR_CODE: 0xC0000005\r\n"
                                                        "\tERROR_ADDR: "))
        << log;
}

#if defined(_WIN32)
TEST(FaultHandler, StructuredExceptionFilterTranslatesNonZeroCodes)
{
    EXPECT_EQ(1, TranslateStructuredException(nullptr));
    EXCEPTION_POINTERS pointers = {};
    EXPECT_EQ(1, TranslateStructuredException(&pointers));

    EXCEPTION_RECORD record = {};
    pointers.ExceptionRecord = &record;
    EXPECT_EQ(-1, TranslateStructuredException(&pointers));

    record.ExceptionCode = 0xC0000094u;
    record.ExceptionAddress = reinterpret_cast<void*>(0x401000);
    try {
        TranslateStructuredException(&pointers);
        FAIL() << "no error raised";
    } catch (const system_error& fault) {
        EXPECT_EQ(0xC0000094u, fault.Code());
        EXPECT_EQ(0x401000u, fault.Address());
        EXPECT_STREQ(ExceptionName(0xC0000094u), fault.what());
    }
}
#else
TEST(FaultHandler, SignalsMapToTheirStructuredExceptionCodes)
{
    EXPECT_EQ(0xC0000005u, FaultCodeOfSignal(SIGSEGV, SEGV_MAPERR, false));
    EXPECT_EQ(0xC00000FDu, FaultCodeOfSignal(SIGSEGV, SEGV_MAPERR, true));
    EXPECT_EQ(0xC0000094u, FaultCodeOfSignal(SIGFPE, FPE_INTDIV, false));
    EXPECT_EQ(0xC000008Eu, FaultCodeOfSignal(SIGFPE, FPE_FLTDIV, false));
    EXPECT_EQ(0xC000001Du, FaultCodeOfSignal(SIGILL, ILL_ILLOPC, false));
    EXPECT_EQ(0xC0000096u, FaultCodeOfSignal(SIGILL, ILL_PRVOPC, false));
    EXPECT_EQ(0x80000002u, FaultCodeOfSignal(SIGBUS, BUS_ADRALN, false));
    EXPECT_EQ(0xC0000006u, FaultCodeOfSignal(SIGBUS, BUS_ADRERR, false));
}
#endif
