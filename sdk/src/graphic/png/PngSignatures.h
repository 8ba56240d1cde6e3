// The eight bytes that start a PNG file and an MNG file.
#pragma once

#include <cstdint>

namespace sdk {
namespace graphic {

const char kPngSignature[] = "\x89PNG\r\n\x1A\n";
const char kMngSignature[] = "\x8AMNG\r\n\x1A\n";
const uint32_t kSignatureLength = 8;

}  // namespace graphic
}  // namespace sdk
