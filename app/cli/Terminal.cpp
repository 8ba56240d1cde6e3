#include "cli/Terminal.h"

#include <atomic>
#include <cerrno>
#include <mutex>

#include "cli/ProgressText.h"

namespace terminal {

namespace {

std::mutex& Lock()
{
    static std::mutex mutex;
    return mutex;
}

bool g_enabled = false;
bool g_shown = false;
std::atomic<bool> g_records{false};
std::atomic<void (*)()> g_closed_output{nullptr};

void ClearLocked()
{
    if (g_shown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        g_shown = false;
    }
}

}  // namespace

void EnableProgress(bool enabled)
{
    std::lock_guard<std::mutex> lock(Lock());
    ClearLocked();
    g_enabled = enabled;
}

void DrawProgress(const std::string& prefix, const std::string& name, const std::string& suffix)
{
    std::lock_guard<std::mutex> lock(Lock());
    if (!g_enabled)
        return;
    const size_t columns = Columns();
    const std::string text = FitProgressText(prefix, name, suffix, columns > 1 ? columns - 1 : 1);
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
    g_shown = true;
}

void ClearProgress()
{
    std::lock_guard<std::mutex> lock(Lock());
    ClearLocked();
}

void Write(std::FILE* stream, const std::string& text)
{
    bool closed = false;
    {
        std::lock_guard<std::mutex> lock(Lock());
        ClearLocked();
        errno = 0;
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fflush(stream);
        closed = std::ferror(stream) && errno == EPIPE;
    }
    // Nobody reads the stream any more: the run ends.
    void (*handler)() = g_closed_output;
    if (closed && handler != nullptr)
        handler();
}

void WriteRecord(const std::string& record)
{
    if (g_records)
        Write(stderr, record);
}

void ShowRecords(bool shown) { g_records = shown; }

void OnClosedOutput(void (*handler)()) { g_closed_output = handler; }

}  // namespace terminal
