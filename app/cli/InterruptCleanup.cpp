// The notice of an interrupt, shared by both platforms' halves.
#include "cli/InterruptCleanup.h"

#include <mutex>
#include <utility>

namespace {

std::mutex& NoticeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<void()>& Notice()
{
    static std::function<void()> notice;
    return notice;
}

}  // namespace

void SetInterruptNotice(std::function<void()> notice)
{
    std::lock_guard<std::mutex> lock(NoticeMutex());
    Notice() = std::move(notice);
}

void RunInterruptNotice()
{
    std::lock_guard<std::mutex> lock(NoticeMutex());
    if (Notice())
        Notice()();
}
