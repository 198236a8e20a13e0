#include "forms/table_form.h"

namespace velkor {

bool TableForm::isSelectable(int col, int row) const {
    return col >= fixedColumns() && row >= fixedRows() && col < columnCount() && row < rowCount();
}

KeyAction TableForm::key(char key, int col, int row, std::string_view) {
    if (key != '\r') return {};
    return moveDown(col, row, firstRecordRow());
}

CellInfo TableForm::cellInfo(int, int) const {
    return {};
}

Footprint TableForm::commitFootprint(int, int) const {
    return Footprint::whole();
}

Footprint TableForm::keyFootprint(char, int, int) const {
    return Footprint::generalOnly();
}

std::string TableForm::keyStepName(char, int) const {
    return {};
}

bool TableForm::entersEquations(int) const {
    return false;
}

KeyAction TableForm::moveDown(int col, int row, int wrapRow) const {
    KeyAction action;
    action.swallow = true;
    action.move = true;
    action.moveCol = col;
    action.moveRow = row + 1 >= rowCount() ? wrapRow : row + 1;
    return action;
}

} // namespace velkor
