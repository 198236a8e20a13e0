// The mesh editor: the element mesh drawn in plan, refined by Split 4, Split 2 and Add Well.
#pragma once

#include "ui/secondary_window.h"

namespace velkor {

class TFormMesh : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormMesh(Application& app);
};

} // namespace velkor
