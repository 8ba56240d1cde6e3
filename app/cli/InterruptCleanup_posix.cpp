// The interrupts are blocked in every thread and taken by one thread of their own, which can
// take the list of temporary files' lock like any other thread; no work happens in a signal
// handler. SIGPIPE is blocked too: a write to a closed pipe then fails with EPIPE on the thread
// that wrote, which ends the run itself (the signal it raises is that thread's own, which the
// waiting thread never sees); a SIGPIPE sent to the process is taken as an interrupt.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <system_error>
#include <thread>

#include "cli/InterruptCleanup.h"
#include "stream/PendingFiles.h"

namespace {

sigset_t Interrupts()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGPIPE);
    return set;
}

// Ends the program as signal_number ends one, from any thread.
[[noreturn]] void EndBySignal(int signal_number)
{
    signal(signal_number, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal_number);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal_number);
    _exit(128 + signal_number);
}

[[noreturn]] void WaitForInterrupt(sigset_t set)
{
    int signal_number = 0;
    while (sigwait(&set, &signal_number) != 0) {
    }
    sdk::stream::pending::RemoveAllAndHold();
    if (signal_number != SIGPIPE)
        RunInterruptNotice();
    // End as the signal ends a program, so that the caller sees which one it was.
    EndBySignal(signal_number);
}

}  // namespace

void EndOnClosedOutput()
{
    sdk::stream::pending::RemoveAllAndHold();
    EndBySignal(SIGPIPE);
}

void RemoveTemporaryFilesOnInterrupt()
{
    // A signal that the program was started ignoring is discarded even while blocked: it stays
    // ignored.
    const sigset_t set = Interrupts();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &set, &previous);
    try {
        std::thread(WaitForInterrupt, set).detach();
    } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);  // no thread: interrupts end at once
    }
}
