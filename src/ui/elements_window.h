// The element table: one row per element, edited in place.
#pragma once

#include "ui/secondary_window.h"
#include "ui/string_grid.h"

namespace velkor {

class TFormElm : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormElm(Application& app);

    StringGrid* ElementsGrid = nullptr;
};

} // namespace velkor
