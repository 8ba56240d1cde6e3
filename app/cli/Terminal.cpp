#include "cli/Terminal.h"

#include <mutex>

namespace terminal {

namespace {

std::mutex& Lock()
{
    static std::mutex mutex;
    return mutex;
}

bool g_enabled = false;
bool g_shown = false;

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

void DrawProgress(const std::string& text)
{
    std::lock_guard<std::mutex> lock(Lock());
    if (!g_enabled)
        return;
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
    std::lock_guard<std::mutex> lock(Lock());
    ClearLocked();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void WriteRecord(const std::string& record)
{
    Write(stderr, record);
}

}  // namespace terminal
