#include "ui/nodes_window.h"

#include "forms/mesh_tables.h"
#include "ui/application.h"
#include "ui/table_grid.h"

namespace velkor {

TFormNod::TFormNod(Application& app)
    : TableWindow(app, WindowId::Nodes, "Nodes", std::make_unique<NodesForm>(app.document.problemForRules()),
                  kMeshTableFont, true) {
    NodesGrid = &grid();
    NodesGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        NodesGridSelectCell(col, row, canSelect);
    };
    NodesGrid->onKeyPress = [this](char& key) { NodesGridKeyPress(key); };
}

void TFormNod::NodesGridSelectCell(int col, int row, bool& canSelect) {
    gridSelectCell(col, row, canSelect);
}

void TFormNod::NodesGridKeyPress(char& key) {
    gridKeyPress(key);
}

} // namespace velkor
