#include "forms/record_table.h"

#include <algorithm>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

int RecordTableForm::columnWidth(int col) const {
    const std::span<const TableColumn> all = columns();
    return col >= 0 && col < static_cast<int>(all.size()) ? all[idx(col)].width : 0;
}

std::string RecordTableForm::cellText(int col, int row) const {
    if (col < 0 || col >= columnCount()) return {};
    if (row == 0) return columns()[idx(col)].heading;
    if (!isRecordRow(row)) return {};
    return recordText(col, row - 1);
}

KeyAction RecordTableForm::key(char key, int col, int row, std::string_view typedText) {
    if (key != 'c') return TableForm::key(key, col, row, typedText);
    KeyAction action;
    action.swallow = true;
    if (!isSelectable(col, row)) return action;
    const int above = row > firstRecordRow() ? row - 1 : lastRow();
    action = moveDown(col, row, firstRecordRow());
    action.editorText = cellText(col, above);
    return action;
}

int pagedRow(PageButton button, int rememberedRow, int n) {
    const int step = n / 10;
    switch (button) {
    case PageButton::Begin:
        return 1;
    case PageButton::Up:
        return std::max(rememberedRow - step, 1);
    case PageButton::Down:
        return std::min(rememberedRow + step, n);
    case PageButton::End:
        return n;
    }
    return rememberedRow;
}

TableWindowLayout tableWindowLayout(std::span<const TableColumn> columns, int records) {
    TableWindowLayout layout;
    layout.scrolls = records > kTableVisibleRecords;
    const int shown = std::clamp(records, 0, kTableVisibleRecords);
    layout.gridHeight = kTableRowHeight * (shown + 1) + 2;
    layout.gridWidth = layout.scrolls ? 2 + kTableScrollBarWidth : 2;
    for (const TableColumn& column : columns)
        layout.gridWidth += column.width + 1;
    layout.windowWidth = layout.gridWidth + 4;
    layout.windowHeight = layout.gridHeight + 56;
    layout.clientWidth = layout.gridWidth;
    layout.clientHeight = kTableStripHeight + layout.gridHeight;
    layout.helpLeft = layout.gridWidth - kTableButtonSize - 1;
    return layout;
}

} // namespace velkor
