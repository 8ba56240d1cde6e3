// A report-view list with grid lines and full-row selection. Rows carry texts per column and a
// highlight (the drop-highlight state) that marks them.
#pragma once

#include <string>
#include <vector>

#include "gui/Control.h"

namespace sdk {
namespace gui {

class ListView : public Control {
public:
    ListView()
        : Control("SysListView32",
                  WS_GROUP | 0x8000 | 0x0008 | 0x0004 | 0x0001,  // no sort header, selection
                                                                 // always shown, single, report
                  WS_EX_CLIENTEDGE)
    {
    }

    // alignment 0: left, 1: right.
    void AddColumn(const std::string& header, int width, int alignment);
    // The number of header items; 0 without a header.
    int GetColumnCount() const;
    void DeleteAllItems();
    int GetItemCount() const;
    void AppendItem(const std::string& text, LPARAM data);
    void SetItemText(int row, int column, const std::string& text);
    // Sets a column of the last row; nothing when the list is empty.
    void SetLastItemText(int column, const std::string& text);
    // At most 4095 bytes of the text are read.
    std::string GetItemText(int row, int column) const;
    void SetItemHighlight(int row, bool on);
    bool IsItemHighlighted(int row) const;
    // The column's text in every highlighted row, in row order.
    std::vector<std::string> GetMarkedTexts(int column) const;
    // Switches repainting off (while many rows change) and on again.
    void SetRedraw(bool on);

protected:
    void OnCreated() override;
};

}  // namespace gui
}  // namespace sdk
