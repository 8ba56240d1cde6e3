// Version texts from the version resource of an executable.
#include <windows.h>

#include <cstring>
#include <vector>

#include "debug/Error.h"
#include "files/FileVersion.h"
#include "files/Format.h"

namespace sdk {
namespace files {

void FileVersion::Load(const std::string& path)
{
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    if (size == 0)
        throw debug::logic_error("FileVersion::Load:58");
    std::vector<char> block(size, 0);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        throw debug::windows_error("FileVersion::Load:61", GetLastError());

    void* translation = nullptr;
    UINT translation_size = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation,
                        &translation_size))
        throw debug::windows_error("FileVersion::Load:69", GetLastError());
    // Exactly one language and code-page pair is accepted.
    if (translation_size != 4)
        throw debug::logic_error("FileVersion::Load:70");
    const WORD* pair = static_cast<const WORD*>(translation);
    const unsigned long key = (static_cast<unsigned long>(pair[0]) << 16) | pair[1];

    std::string values[3];
    const char* names[3] = {"ProductName", "ProductVersion", "FileVersion"};
    for (int i = 0; i < 3; ++i) {
        const std::string query = Format("\\StringFileInfo\\%08lx\\%s", key, names[i]);
        void* text = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block.data(), query.c_str(), &text, &length) && text != nullptr)
            values[i].assign(static_cast<const char*>(text),
                             strnlen(static_cast<const char*>(text), length));
    }
    product_name_ = values[0];
    product_version_ = values[1];
    file_version_ = values[2];
}

}  // namespace files
}  // namespace sdk
