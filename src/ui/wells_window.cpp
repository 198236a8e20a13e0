#include "ui/wells_window.h"

#include "forms/property_tables.h"
#include "ui/application.h"
#include "ui/table_grid.h"

namespace velkor {

TFormWells::TFormWells(Application& app)
    : TableWindow(app, WindowId::Wells, "Wells", std::make_unique<WellsForm>(app.document.problemForRules()),
                  kPropertyTableFont, false) {
    WellsGrid = &grid();
    WellsGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        WellsGridSelectCell(col, row, canSelect);
    };
    WellsGrid->onKeyPress = [this](char& key) { WellsGridKeyPress(key); };
}

void TFormWells::WellsGridSelectCell(int col, int row, bool& canSelect) {
    gridSelectCell(col, row, canSelect);
}

void TFormWells::WellsGridKeyPress(char& key) {
    gridKeyPress(key);
}

} // namespace velkor
