#include "ui/nodes_window.h"

namespace velkor {

TFormNod::TFormNod(Application& app) : SecondaryWindow(app, WindowId::Nodes, "Nodes") {
    NodesGrid = new StringGrid(this);
    NodesGrid->setGridSize(8, 2);
    NodesGrid->setFixedRows(1);
    NodesGrid->setFixedCols(1);
    NodesGrid->setCurrentCell(1, 1);
}

} // namespace velkor
