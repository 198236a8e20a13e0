#include "ui/particles_window.h"

namespace velkor {

TFormParticles::TFormParticles(Application& app) : SecondaryWindow(app, WindowId::Particles, "Particles") {
    ParticlesGrid = new StringGrid(this);
    ParticlesGrid->setGridSize(4, 2);
    ParticlesGrid->setFixedRows(1);
    ParticlesGrid->setFixedCols(1);
    ParticlesGrid->setCurrentCell(1, 1);
}

} // namespace velkor
