// The interrupts are blocked in every thread and taken by one thread of their own, which can
// take the list of temporary files' lock like any other thread; no work happens in a signal
// handler.
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
    return set;
}

[[noreturn]] void WaitForInterrupt(sigset_t set)
{
    int signal_number = 0;
    while (sigwait(&set, &signal_number) != 0) {
    }
    sdk::stream::pending::RemoveAllAndHold();
    RunInterruptNotice();
    // End as the signal ends a program, so that the caller sees which one it was.
    signal(signal_number, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal_number);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal_number);
    _exit(128 + signal_number);
}

}  // namespace

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
