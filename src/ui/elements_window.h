// The element table: corner nodes and soil of every element, edited in place, with paging buttons.
#pragma once

#include "ui/table_window.h"

namespace velkor {

class TFormElm : public TableWindow {
    Q_OBJECT
  public:
    explicit TFormElm(Application& app);

    void ElementsGridSelectCell(int col, int row, bool& canSelect);
    void ElementsGridKeyPress(char& key);

    TableGrid* ElementsGrid = nullptr;
};

} // namespace velkor
