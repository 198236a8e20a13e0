// The element table: one row per element, edited in place.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormElm : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormElm(Application& app);
};

} // namespace velkor
