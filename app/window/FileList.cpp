// The file list: rows made from dropped files and folders, emptied only by the clear button.
#include "window/ConvWindowImpl.h"

#include <shellapi.h>

#include <vector>

#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"
#include "files/AsciiText.h"

void cConvWindow::impl::OnDropFiles(HDROP drop)
{
    fileList_.SetRedraw(false);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        char name[MAX_PATH] = {};
        if (DragQueryFileA(drop, index, name, MAX_PATH) == 0)
            continue;
        const std::string path(name);
        if (sdk::files::IsDirectory(path)) {
            std::vector<std::string> files;
            sdk::files::FindFiles(files, path, "*");
            for (const std::string& file : files)
                AddFile(file);
        } else if (sdk::files::IsFile(path)) {
            AddFile(path);
        }
        // Anything else (a name that vanished) is left out without a word.
    }
    DragFinish(drop);
    ApplySettings();
    fileList_.SetRedraw(true);
}

void cConvWindow::impl::AddFile(const std::string& path)
{
    const std::string extension = sdk::files::GetExt(path);
    bool accepted = false;
    for (const char* known : {".bmp", ".png", ".psd"})
        accepted = accepted || sdk::files::EqualsIgnoringCase(extension, known);
    if (!accepted)
        return;
    const uint64_t size = sdk::files::GetFileSize64(path);
    fileList_.AppendItem(sdk::files::GetFileName(path), 0);
    fileList_.SetLastItemText(kColumnPath, path);
    fileList_.SetLastItemText(kColumnSize, sdk::files::FormatSizeKB(size));
}

LRESULT cConvWindow::impl::PaintMarkedRows(NMLVCUSTOMDRAW* draw)
{
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (fileList_.IsItemHighlighted(static_cast<int>(draw->nmcd.dwItemSpec))) {
            draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            return CDRF_NEWFONT;
        }
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void cConvWindow::impl::ClearList()
{
    fileList_.DeleteAllItems();
    statusList_.ResetContent();
    SetRunning(false);
}
