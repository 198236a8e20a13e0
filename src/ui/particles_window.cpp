#include "ui/particles_window.h"

namespace velkor {

TFormParticles::TFormParticles(Application& app) : SecondaryWindow(app, WindowId::Particles, "Particles") {}

} // namespace velkor
