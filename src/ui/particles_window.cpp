#include "ui/particles_window.h"

#include "forms/property_tables.h"
#include "ui/application.h"
#include "ui/table_grid.h"

namespace velkor {

TFormParticles::TFormParticles(Application& app)
    : TableWindow(app, WindowId::Particles, "Particles",
                  std::make_unique<ParticlesForm>(app.document.problemForRules()), kPropertyTableFont,
                  false) {
    ParticlesGrid = &grid();
    ParticlesGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        ParticlesGridSelectCell(col, row, canSelect);
    };
    ParticlesGrid->onKeyPress = [this](char& key) { ParticlesGridKeyPress(key); };
}

void TFormParticles::ParticlesGridSelectCell(int col, int row, bool& canSelect) {
    gridSelectCell(col, row, canSelect);
}

void TFormParticles::ParticlesGridKeyPress(char& key) {
    gridKeyPress(key);
}

} // namespace velkor
