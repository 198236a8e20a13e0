// The built-in manual, page by page.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormManual : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormManual(Application& app);
};

} // namespace velkor
