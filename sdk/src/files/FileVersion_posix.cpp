// Here the program's own version texts are compiled in; other files have none to read.
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/FileVersion.h"
#include "ProductVersion.h"

namespace sdk {
namespace files {

void FileVersion::Load(const std::string& path)
{
    if (path != GetModulePath())
        throw debug::logic_error("FileVersion::Load:58");
    product_name_ = QUILLMARK_PRODUCT_NAME;
    product_version_ = QUILLMARK_PRODUCT_VERSION;
    file_version_ = QUILLMARK_FILE_VERSION;
}

}  // namespace files
}  // namespace sdk
