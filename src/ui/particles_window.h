// The particles table: start points of the particle pathlines.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormParticles : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormParticles(Application& app);
};

} // namespace velkor
