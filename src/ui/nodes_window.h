// The node table: one row per node, edited in place, with paging buttons for long lists.
#pragma once

#include "ui/table_window.h"

namespace velkor {

class TFormNod : public TableWindow {
    Q_OBJECT
  public:
    explicit TFormNod(Application& app);

    void NodesGridSelectCell(int col, int row, bool& canSelect);
    void NodesGridKeyPress(char& key);

    TableGrid* NodesGrid = nullptr;
};

} // namespace velkor
