#include "ui/soils_window.h"

namespace velkor {

TFormSoils::TFormSoils(Application& app) : SecondaryWindow(app, WindowId::Properties, "Block Properties") {
    SoilsGrid = new StringGrid(this);
    SoilsGrid->setGridSize(5, 2);
    SoilsGrid->setFixedRows(1);
    SoilsGrid->setFixedCols(1);
    SoilsGrid->setCurrentCell(1, 1);
}

} // namespace velkor
