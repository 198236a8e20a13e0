// The wells table: node, head and discharge of every well.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormWells : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormWells(Application& app);
};

} // namespace velkor
