// The bridge between libpng's C error model and the program's exceptions, shared by the PNG
// reader and the PNG/MNG writer.
//
// libpng reports an error by calling the error handler, which must not return; ours jumps back
// to the setjmp of RunGuarded. Nothing may unwind C++ objects across that jump, so:
//   - RunGuarded's own frame and the calls it runs hold only trivially destructible state;
//   - the stream callbacks catch every C++ exception themselves, keep it in the ErrorState
//     (libpng's error pointer) and only then signal libpng, outside the catch block;
//   - the caller owns the libpng structures through ReadStruct / WriteStruct, which destroy
//     them on every way out, and turns a failed RunGuarded into an exception with Raise.
// libpng's own texts go to the diagnostic log: a warning as a line that names the tag an error of
// the same calls would raise (the first few of a datastream: a damaged file can hold thousands),
// an error beside the record of the tag it became. The tag stays the error's only text.
#pragma once

#include <png.h>

#include <cstdint>
#include <exception>
#include <type_traits>

namespace sdk {
namespace graphic {
namespace libpng {

// What ended a libpng call sequence early: libpng's own complaint, or the stream's.
struct ErrorState {
    // libpngTag: the tag that libpng's complaint becomes.
    explicit ErrorState(const char* libpngTag) : libpngTag(libpngTag) {}

    const char* libpngTag;
    char libpngText[256] = {};       // libpng's error text, for the log
    int32_t warnings = 0;            // libpng's warnings so far
    std::exception_ptr streamError;  // raised by the program's stream inside a callback
    bool shortRead = false;          // the stream ended before the datastream did
};

// A read structure and its info structure, destroyed together.
class ReadStruct {
public:
    explicit ReadStruct(ErrorState& state);
    ~ReadStruct();
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

// A write structure and its info structure, destroyed together.
class WriteStruct {
public:
    explicit WriteStruct(ErrorState& state);
    ~WriteStruct();
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

// The PNG colour type of channels bytes per pixel (gray, gray and alpha, colour, colour and
// alpha); -1 for any other count.
inline int ColourTypeFor(int32_t channels)
{
    switch (channels) {
        case 1:
            return PNG_COLOR_TYPE_GRAY;
        case 2:
            return PNG_COLOR_TYPE_GRAY_ALPHA;
        case 3:
            return PNG_COLOR_TYPE_RGB;
        case 4:
            return PNG_COLOR_TYPE_RGB_ALPHA;
        default:
            return -1;
    }
}

// Stream callbacks for png_set_read_fn / png_set_write_fn; the I/O pointer is the stream_in or
// stream_out itself.
void ReadFromStream(png_structp png, png_bytep data, size_t length);
void WriteToStream(png_structp png, png_bytep data, size_t length);
void FlushNothing(png_structp png);

// Runs calls (libpng calls only) with the jump target set. False when libpng signalled an
// error; a C++ exception thrown by calls itself passes through as usual.
template <class Calls>
bool RunGuarded(png_structp png, Calls calls)
{
    static_assert(std::is_trivially_destructible<Calls>::value,
                  "the jump must not skip a destructor");
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    calls();
    return true;
}

// Raises what ended a failed RunGuarded: the stream's own error unchanged, else a runtime error
// with shortReadTag for a stream that ran dry, else one with the state's libpngTag, logged with
// libpng's text.
[[noreturn]] void Raise(const ErrorState& state, const char* shortReadTag);

}  // namespace libpng
}  // namespace graphic
}  // namespace sdk
