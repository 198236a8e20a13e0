// The soils table: K, n, R and I of every block.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormSoils : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormSoils(Application& app);
};

} // namespace velkor
