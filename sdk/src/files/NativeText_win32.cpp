#include "files/NativeText.h"

namespace sdk {
namespace files {

std::string ShiftJisToNative(const std::string& text) { return text; }

}  // namespace files
}  // namespace sdk
