// The options window: print choices, graphics scale, 3D-graph choices and the preconditioner.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormOpt : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormOpt(Application& app);
};

} // namespace velkor
