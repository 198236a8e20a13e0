#include "ui/soils_window.h"

#include "forms/property_tables.h"
#include "ui/application.h"
#include "ui/table_grid.h"

namespace velkor {

TFormSoils::TFormSoils(Application& app)
    : TableWindow(app, WindowId::Properties, "Block Properties",
                  std::make_unique<SoilsForm>(app.document.problemForRules()), kPropertyTableFont, false) {
    SoilsGrid = &grid();
    SoilsGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        SoilsGridSelectCell(col, row, canSelect);
    };
    SoilsGrid->onKeyPress = [this](char& key) { SoilsGridKeyPress(key); };
}

void TFormSoils::SoilsGridSelectCell(int col, int row, bool& canSelect) {
    gridSelectCell(col, row, canSelect);
}

void TFormSoils::SoilsGridKeyPress(char& key) {
    gridKeyPress(key);
}

void TFormSoils::FormClose() {
    TableWindow::FormClose();
    app_.state.cursor = GridCursor{1, 1};
}

} // namespace velkor
