// The block editor: main nodes and triangular blocks drawn with the mouse.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormEdit : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormEdit(Application& app);

    // Leaving the block editor turns the blocks into the element mesh again and makes the
    // results stale; the main window then shows the new counts.
    void FormClose() override;
};

} // namespace velkor
