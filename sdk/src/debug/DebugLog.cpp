#include "debug/DebugLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <streambuf>

#include "debug/DebuggerChannel.h"
#include "debug/Error.h"

namespace sdk {
namespace debug {

namespace {

std::atomic<int> g_log_descriptor{-1};
std::atomic<LogWriter> g_redirect{nullptr};

// "debug.txt" opened for output on construction (emptying it), each "\n" written as CR LF.
// A file that cannot be opened leaves the buffer failed: every write is dropped.
class LogFileBuffer : public std::streambuf {
public:
    LogFileBuffer() : file_(std::fopen("debug.txt", "wb"))
    {
        if (file_ != nullptr)
            g_log_descriptor = fileno(file_);
    }
    ~LogFileBuffer() override
    {
        if (file_ != nullptr) {
            g_log_descriptor = -1;
            std::fclose(file_);
        }
    }
    LogFileBuffer(const LogFileBuffer&) = delete;
    LogFileBuffer& operator=(const LogFileBuffer&) = delete;

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (file_ == nullptr)
            return traits_type::eof();
        if (c == '\n' && std::fputc('\r', file_) == EOF)
            return traits_type::eof();
        return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
    }
    int sync() override { return file_ != nullptr && std::fflush(file_) == 0 ? 0 : -1; }

private:
    std::FILE* file_;
};

// The debugger's stream: text gathers until a flush hands it to the debugger.
class buf_t : public std::stringbuf {
protected:
    int sync() override
    {
        DebuggerOutput(str().c_str());
        str(std::string());
        return 0;
    }
};

std::recursive_mutex& LogMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

std::ostream& FileLog()
{
    static LogFileBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

std::ostream& DebuggerLog()
{
    static buf_t buffer;
    static std::ostream stream(&buffer);
    return stream;
}

}  // namespace

void RedirectLog(LogWriter writer) { g_redirect = writer; }

bool LogIsRedirected() { return g_redirect != nullptr; }

std::ostream& DebugLog() { return DebuggerAttached() ? DebuggerLog() : FileLog(); }

void LogError(const std::exception& error, const std::string& line)
{
    // The record is composed first and written in one go, so records of several threads never
    // interleave; the lock also orders them.
    std::ostringstream record;
    record << error << line << '\n';
    std::lock_guard<std::recursive_mutex> lock(LogMutex());
    if (const LogWriter writer = g_redirect)
        writer(record.str());
    else
        DebugLog() << record.str() << std::flush;
}

void LogLine(const std::string& line)
{
    std::lock_guard<std::recursive_mutex> lock(LogMutex());
    if (const LogWriter writer = g_redirect)
        writer(line + '\n');
    else
        DebugLog() << line << '\n' << std::flush;
}

int DebugLogDescriptor() { return g_log_descriptor; }

}  // namespace debug
}  // namespace sdk
