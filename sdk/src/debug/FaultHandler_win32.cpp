// Faults arrive as structured exceptions. The last-chance filter translates one into a
// system_error, writes its record and hands it to the reporter; the process then ends.
#include <windows.h>

#include <cstdio>

#include "debug/DebugLog.h"
#include "debug/FaultHandler.h"

namespace sdk {
namespace debug {

namespace {

int g_exit_code = 0;
FaultReporter g_reporter = nullptr;

void Report(const system_error& fault)
{
    char record[512];
    size_t length = FormatFaultRecord(fault, "\n", record, sizeof record);
    fwrite(record, 1, length, stderr);
    fflush(stderr);
    if (!LogIsRedirected())
        LogError(fault);
    if (g_reporter != nullptr)
        g_reporter(fault);
}

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* pointers)
{
    try {
        return TranslateStructuredException(pointers);
    } catch (const system_error& fault) {
        Report(fault);
    } catch (...) {
    }
    ExitProcess(static_cast<UINT>(g_exit_code));
}

}  // namespace

long TranslateStructuredException(_EXCEPTION_POINTERS* pointers)
{
    if (pointers == nullptr || pointers->ExceptionRecord == nullptr)
        return EXCEPTION_EXECUTE_HANDLER;
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode != 0) {
        throw system_error(record.ExceptionCode, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
                                                     record.ExceptionAddress)));
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

void InstallFaultHandler(int exit_code, FaultReporter reporter)
{
    g_exit_code = exit_code;
    g_reporter = reporter;
    SetUnhandledExceptionFilter(LastChanceFilter);
}

}  // namespace debug
}  // namespace sdk
