#include "graphic/png/LibpngBridge.h"

#include <cstring>
#include <new>
#include <string>

#include "debug/DebugLog.h"
#include "debug/Error.h"
#include "stream/ExactRead.h"

namespace sdk {
namespace graphic {
namespace libpng {

namespace {

ErrorState& StateOf(png_structp png)
{
    return *static_cast<ErrorState*>(png_get_error_ptr(png));
}

// libpng requires that this never returns. The text is kept without allocating.
void OnError(png_structp png, png_const_charp text)
{
    ErrorState& state = StateOf(png);
    if (text != nullptr) {
        strncpy(state.libpngText, text, sizeof state.libpngText - 1);
        state.libpngText[sizeof state.libpngText - 1] = '\0';
    }
    png_longjmp(png, 1);
}

// Called from inside libpng: nothing may be thrown back through it.
void OnWarning(png_structp png, png_const_charp text)
{
    // Warnings logged per datastream; one line more says that the rest were left out.
    const int32_t kLoggedWarnings = 8;
    ErrorState& state = StateOf(png);
    if (state.warnings > kLoggedWarnings)
        return;
    const bool last = ++state.warnings > kLoggedWarnings;
    const char* said = text != nullptr ? text : "";
    try {
        debug::LogLine(std::string("libpng warning (") + state.libpngTag +
                       "): " + (last ? "further warnings left out" : said));
    } catch (...) {
    }
}

}  // namespace

ReadStruct::ReadStruct(ErrorState& state)
{
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (png != nullptr)
        info = png_create_info_struct(png);
    // Creation fails only for want of memory (or a libpng of another major version).
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::bad_alloc();
    }
}

ReadStruct::~ReadStruct()
{
    png_destroy_read_struct(&png, &info, nullptr);
}

WriteStruct::WriteStruct(ErrorState& state)
{
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (png != nullptr)
        info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
}

WriteStruct::~WriteStruct()
{
    png_destroy_write_struct(&png, &info);
}

// File streams return a read at the end of the file short and silently, so whether every byte
// came is checked after the read; memory streams raise their own error, which is kept and
// passed on.
void ReadFromStream(png_structp png, png_bytep data, size_t length)
{
    auto& stream = *static_cast<stream::stream_in*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        // libpng never asks for more than a chunk (below 2^31 bytes) at once.
        if (length > 0xFFFFFFFFu) {
            failed = true;
        } else {
            if (!stream::ReadWhole(stream, data, static_cast<uint32_t>(length))) {
                StateOf(png).shortRead = true;
                failed = true;
            }
        }
    } catch (...) {
        StateOf(png).streamError = std::current_exception();
        failed = true;
    }
    // Outside the handler: the jump must not leave a C++ exception half handled.
    if (failed)
        png_error(png, "stream read failed");
}

void WriteToStream(png_structp png, png_bytep data, size_t length)
{
    auto& stream = *static_cast<stream::stream_out*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        if (length > 0xFFFFFFFFu)
            failed = true;
        else
            stream.Write(data, static_cast<uint32_t>(length));
    } catch (...) {
        StateOf(png).streamError = std::current_exception();
        failed = true;
    }
    if (failed)
        png_error(png, "stream write failed");
}

void FlushNothing(png_structp) {}

void Raise(const ErrorState& state, const char* shortReadTag)
{
    if (state.streamError)
        std::rethrow_exception(state.streamError);
    if (state.shortRead)
        throw debug::runtime_error(shortReadTag);
    const debug::runtime_error error(state.libpngTag);
    debug::LogError(error, std::string("libpng: ") + state.libpngText);
    throw error;
}

}  // namespace libpng
}  // namespace graphic
}  // namespace sdk
