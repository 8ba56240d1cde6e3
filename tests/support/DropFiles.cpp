#include "support/DropFiles.h"

#if defined(_WIN32)

#include <shlobj.h>

#include <cstring>

namespace test_support {

HDROP MakeDropHandle(const std::vector<std::string>& paths)
{
    // The header, then each path with its zero byte, then one more zero byte.
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    if (memory == nullptr)
        return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(memory));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* name = bytes + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        std::memcpy(name, path.c_str(), path.size() + 1);
        name += path.size() + 1;
    }
    *name = '\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void DropFiles(HWND window, const std::vector<std::string>& paths)
{
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(paths)), 0);
}

}  // namespace test_support

#endif
