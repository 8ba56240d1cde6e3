#include "graphic/LibpngBridge.h"

#include <new>

#include "debug/Error.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {
namespace libpng {

namespace {

// libpng requires that this never returns.
void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

ErrorState& StateOf(png_structp png)
{
    return *static_cast<ErrorState*>(png_get_error_ptr(png));
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

// File streams return a read at the end of the file short and silently, so the position tells
// whether every byte came; memory streams raise their own error, which is kept and passed on.
void ReadFromStream(png_structp png, png_bytep data, size_t length)
{
    auto& stream = *static_cast<stream::stream_in*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        // libpng never asks for more than a chunk (below 2^31 bytes) at once.
        if (length > 0xFFFFFFFFu) {
            failed = true;
        } else {
            const int64_t before = stream.GetPos();
            stream.Read(data, static_cast<uint32_t>(length));
            if (static_cast<int64_t>(stream.GetPos()) - before != static_cast<int64_t>(length)) {
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

void Raise(const ErrorState& state, const char* libpngTag, const char* shortReadTag)
{
    if (state.streamError)
        std::rethrow_exception(state.streamError);
    if (state.shortRead)
        throw debug::runtime_error(shortReadTag);
    throw debug::runtime_error(libpngTag);
}

}  // namespace libpng
}  // namespace graphic
}  // namespace sdk
