// The wells table: node, head, discharge and type of every well.
#pragma once

#include "ui/table_window.h"

namespace velkor {

class TFormWells : public TableWindow {
    Q_OBJECT
  public:
    explicit TFormWells(Application& app);

    void WellsGridSelectCell(int col, int row, bool& canSelect);
    void WellsGridKeyPress(char& key);

    TableGrid* WellsGrid = nullptr;
};

} // namespace velkor
