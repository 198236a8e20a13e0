// The contour plot of the groundwater head, with the particle pathlines.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormContours : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormContours(Application& app);
};

} // namespace velkor
