// Faults arrive as signals. The handler runs on its own stack (so a stack overflow can still be
// reported), writes the record with plain system calls and ends the process.
#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdlib>

#include "debug/DebugLog.h"
#include "debug/FaultHandler.h"

namespace sdk {
namespace debug {

namespace {

int g_exit_code = 0;
FaultReporter g_reporter = nullptr;
const int kFaultSignals[] = {SIGSEGV, SIGFPE, SIGILL, SIGBUS};

uintptr_t InstructionAddress(const siginfo_t* info, const void* context)
{
#if defined(__x86_64__) && defined(REG_RIP)
    if (context != nullptr)
        return static_cast<uintptr_t>(
            static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (context != nullptr)
        return static_cast<uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.pc);
#endif
    return reinterpret_cast<uintptr_t>(info->si_addr);
}

bool AtStackPointer(const siginfo_t* info, const void* context)
{
    uintptr_t sp = 0;
#if defined(__x86_64__) && defined(REG_RSP)
    if (context != nullptr)
        sp = static_cast<uintptr_t>(
            static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    if (context != nullptr)
        sp = static_cast<uintptr_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.sp);
#endif
    uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    const uintptr_t reach = 64 * 1024;
    return sp != 0 && address + reach >= sp && address <= sp + reach;
}

void WriteAll(int fd, const char* text, size_t length)
{
    while (length > 0) {
        ssize_t put = write(fd, text, length);
        if (put <= 0)
            return;
        text += put;
        length -= static_cast<size_t>(put);
    }
}

void OnFault(int signal_number, siginfo_t* info, void* context)
{
    const system_error fault(
        FaultCodeOfSignal(signal_number, info->si_code,
                          signal_number == SIGSEGV && AtStackPointer(info, context)),
        static_cast<uint32_t>(InstructionAddress(info, context)));
    char record[512];
    size_t length = FormatFaultRecord(fault, "\n", record, sizeof record);
    WriteAll(STDERR_FILENO, record, length);
    int log = DebugLogDescriptor();
    if (log < 0 && !LogIsRedirected())
        log = open("debug.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (log >= 0) {
        length = FormatFaultRecord(fault, "\r\n", record, sizeof record);
        WriteAll(log, record, length);
        WriteAll(log, "\r\n", 2);
    }
    if (g_reporter != nullptr)
        g_reporter(fault);
    _exit(g_exit_code);
}

}  // namespace

uint32_t FaultCodeOfSignal(int signal_number, int signal_code, bool at_stack_pointer)
{
    switch (signal_number) {
    case SIGSEGV:
        return at_stack_pointer ? 0xC00000FDu : 0xC0000005u;
    case SIGFPE:
        switch (signal_code) {
        case FPE_INTDIV: return 0xC0000094u;
        case FPE_INTOVF: return 0xC0000095u;
        case FPE_FLTDIV: return 0xC000008Eu;
        case FPE_FLTOVF: return 0xC0000091u;
        case FPE_FLTUND: return 0xC0000093u;
        case FPE_FLTRES: return 0xC000008Fu;
        case FPE_FLTINV: return 0xC0000090u;
        case FPE_FLTSUB: return 0xC000008Cu;
        default: return 0xC0000090u;
        }
    case SIGILL:
        return signal_code == ILL_PRVOPC || signal_code == ILL_PRVREG ? 0xC0000096u : 0xC000001Du;
    case SIGBUS:
        return signal_code == BUS_ADRALN ? 0x80000002u : 0xC0000006u;
    default:
        return 0;
    }
}

void InstallFaultHandler(int exit_code, FaultReporter reporter)
{
    g_exit_code = exit_code;
    g_reporter = reporter;
    // The calling thread's own stack for the handler, so that an overflow can be reported.
    static char alternate_stack[64 * 1024];
    stack_t stack = {};
    stack.ss_sp = alternate_stack;
    stack.ss_size = sizeof alternate_stack;
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal_number : kFaultSignals)
        sigaction(signal_number, &action, nullptr);
}

}  // namespace debug
}  // namespace sdk
