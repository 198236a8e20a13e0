// The node table: one row per node, edited in place.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormNod : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormNod(Application& app);
};

} // namespace velkor
