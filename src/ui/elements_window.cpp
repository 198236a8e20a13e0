#include "ui/elements_window.h"

namespace velkor {

TFormElm::TFormElm(Application& app) : SecondaryWindow(app, WindowId::Elements, "Elements") {
    ElementsGrid = new StringGrid(this);
    ElementsGrid->setGridSize(5, 2);
    ElementsGrid->setFixedRows(1);
    ElementsGrid->setFixedCols(1);
    ElementsGrid->setCurrentCell(1, 1);
}

} // namespace velkor
