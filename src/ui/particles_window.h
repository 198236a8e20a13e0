// The particles table: start points of the particle pathlines.
#pragma once

#include "ui/table_window.h"

namespace velkor {

class TFormParticles : public TableWindow {
    Q_OBJECT
  public:
    explicit TFormParticles(Application& app);

    void ParticlesGridSelectCell(int col, int row, bool& canSelect);
    void ParticlesGridKeyPress(char& key);

    TableGrid* ParticlesGrid = nullptr;
};

} // namespace velkor
