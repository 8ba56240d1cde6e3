// The file list: rows made from dropped files and folders, emptied only by the clear button.
#include "window/ConvWindowImpl.h"

#include <shellapi.h>

#include <vector>

#include "conversion/ListedFiles.h"
#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"

void cConvWindow::impl::OnDropFiles(HDROP drop)
{
    fileList_.SetRedraw(false);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        char name[MAX_PATH] = {};
        if (DragQueryFileA(drop, index, name, MAX_PATH) == 0)
            continue;
        // A name that vanished adds nothing, without a word.
        std::vector<std::string> files;
        ExpandNamedPath(name, files);
        for (const std::string& file : files)
            AddFile(file);
    }
    DragFinish(drop);
    ApplySettings();
    fileList_.SetRedraw(true);
}

void cConvWindow::impl::AddFile(const std::string& path)
{
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
