#include "device/Font.h"

#include <cstring>

#include "debug/Error.h"

namespace sdk {
namespace device {

Font::Font(const std::string& face, int height, int weight, int angle)
{
    std::memset(&description_, 0, sizeof description_);
    description_.lfCharSet = DEFAULT_CHARSET;
    description_.lfHeight = height;
    description_.lfWeight = weight;
    description_.lfEscapement = angle;
    description_.lfOrientation = angle;
    SetFace(face);
}

Font::~Font() { Release(); }

Font::operator HFONT()
{
    if (handle_ == nullptr) {
        handle_ = CreateFontIndirectA(&description_);
        if (handle_ == nullptr)
            throw debug::windows_error("Font::operator HFONT__ *:59", GetLastError());
    }
    return handle_;
}

void Font::SetFace(const std::string& face)
{
    Release();
    // The face field holds 31 bytes and the terminating zero.
    const size_t length = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    std::memset(description_.lfFaceName, 0, sizeof description_.lfFaceName);
    std::memcpy(description_.lfFaceName, face.data(), length);
    // Vertical faces carry an at sign before their name.
    vertical_ = length > 0 && description_.lfFaceName[0] == '@';
}

void Font::SetHeight(int height)
{
    Release();
    description_.lfHeight = height;
}

void Font::SetWeight(int weight)
{
    Release();
    description_.lfWeight = weight;
}

void Font::SetAngle(int angle)
{
    Release();
    description_.lfEscapement = angle;
    description_.lfOrientation = angle;
}

void Font::Release()
{
    if (handle_ != nullptr) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
}

}  // namespace device
}  // namespace sdk
