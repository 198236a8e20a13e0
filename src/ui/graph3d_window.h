// The oblique three-dimensional view of the groundwater head, with the pathlines.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TForm3D : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm3D(Application& app);
};

} // namespace velkor
