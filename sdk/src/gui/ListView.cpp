#include "gui/ListView.h"

#include <commctrl.h>

namespace sdk {
namespace gui {

namespace {

const size_t kItemTextBuffer = 4096;

bool IsHighlightedRow(HWND list, int row)
{
    return (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_DROPHILITED) &
            LVIS_DROPHILITED) != 0;
}

}  // namespace

void ListView::OnCreated()
{
    const LRESULT styles = SendMessageA(Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 styles | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void ListView::AddColumn(const std::string& header, int width, int alignment)
{
    if (!Exists())
        return;
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = alignment == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(header.c_str());
    const int index = GetColumnCount();
    column.iSubItem = index;
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

int ListView::GetColumnCount() const
{
    if (!Exists())
        return 0;
    HWND header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
    if (header == nullptr)
        return 0;
    const LRESULT count = SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
    return count < 1 ? 0 : static_cast<int>(count);
}

void ListView::DeleteAllItems()
{
    if (Exists())
        SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

int ListView::GetItemCount() const
{
    if (!Exists())
        return 0;
    const LRESULT count = SendMessageA(Handle(), LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

void ListView::AppendItem(const std::string& text, LPARAM data)
{
    if (!Exists())
        return;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = GetItemCount();
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = data;
    SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ListView::SetItemText(int row, int column, const std::string& text)
{
    if (!Exists())
        return;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void ListView::SetLastItemText(int column, const std::string& text)
{
    const int count = GetItemCount();
    if (count > 0)
        SetItemText(count - 1, column, text);
}

std::string ListView::GetItemText(int row, int column) const
{
    std::string buffer(kItemTextBuffer, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = &buffer[0];
    item.cchTextMax = static_cast<int>(kItemTextBuffer);
    SendMessageA(Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    // The control may hand back its own buffer instead of filling ours; either way at most the
    // buffer's length less its terminator is taken.
    const char* text = item.pszText != nullptr ? item.pszText : buffer.c_str();
    size_t length = 0;
    while (length < kItemTextBuffer - 1 && text[length] != '\0')
        ++length;
    return std::string(text, length);
}

void ListView::SetItemHighlight(int row, bool on)
{
    LVITEMA item = {};
    item.stateMask = LVIS_DROPHILITED;
    item.state = on ? LVIS_DROPHILITED : 0;
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

bool ListView::IsItemHighlighted(int row) const
{
    return Exists() && IsHighlightedRow(Handle(), row);
}

std::vector<std::string> ListView::GetMarkedTexts(int column) const
{
    std::vector<std::string> texts;
    LRESULT row = -1;
    for (;;) {
        const LRESULT next = SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                          MAKELPARAM(LVNI_DROPHILITED, 0));
        // Rows come in increasing order; anything else ends the search.
        if (next < 0 || next <= row)
            break;
        row = next;
        texts.push_back(GetItemText(static_cast<int>(row), column));
    }
    return texts;
}

void ListView::SetRedraw(bool on)
{
    if (Exists())
        SendMessageA(Handle(), WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

}  // namespace gui
}  // namespace sdk
