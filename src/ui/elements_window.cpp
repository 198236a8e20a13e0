#include "ui/elements_window.h"

#include "forms/mesh_tables.h"
#include "ui/application.h"
#include "ui/table_grid.h"

namespace velkor {

TFormElm::TFormElm(Application& app)
    : TableWindow(app, WindowId::Elements, "Elements",
                  std::make_unique<ElementsForm>(app.document.problemForRules()), kMeshTableFont, true) {
    ElementsGrid = &grid();
    ElementsGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        ElementsGridSelectCell(col, row, canSelect);
    };
    ElementsGrid->onKeyPress = [this](char& key) { ElementsGridKeyPress(key); };
}

void TFormElm::ElementsGridSelectCell(int col, int row, bool& canSelect) {
    gridSelectCell(col, row, canSelect);
}

void TFormElm::ElementsGridKeyPress(char& key) {
    gridKeyPress(key);
}

} // namespace velkor
