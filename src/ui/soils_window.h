// The soils table: K, n, R and I of every block.
#pragma once

#include "ui/table_window.h"

namespace velkor {

class TFormSoils : public TableWindow {
    Q_OBJECT
  public:
    explicit TFormSoils(Application& app);

    void SoilsGridSelectCell(int col, int row, bool& canSelect);
    void SoilsGridKeyPress(char& key);
    // The remembered cell goes back to the first cell as well.
    void FormClose() override;

    TableGrid* SoilsGrid = nullptr;
};

} // namespace velkor
