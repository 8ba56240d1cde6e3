// A GDI font made from a logical-font description. The handle is created on first use and
// released when the description changes or the object goes.
#pragma once

#include <windows.h>

#include <string>

namespace sdk {
namespace device {

class Font {
public:
    // face is copied unchanged (at most 31 bytes are kept); the character set is the system
    // default; escapement and orientation are both angle.
    Font(const std::string& face, int height, int weight, int angle);
    virtual ~Font();

    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The handle, created from the description on first use; raises "Font::operator HFONT__ *:59"
    // (windows_error) when the system refuses the description.
    operator HFONT();

    void SetFace(const std::string& face);
    void SetHeight(int height);
    void SetWeight(int weight);
    void SetAngle(int angle);

    // Deletes the handle, if any; the next use creates a new one.
    void Release();

    const LOGFONTA& Description() const { return description_; }
    bool Vertical() const { return vertical_; }

private:
    HFONT handle_ = nullptr;
    LOGFONTA description_;
    bool vertical_ = false;
};

}  // namespace device
}  // namespace sdk
