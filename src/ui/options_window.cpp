#include "ui/options_window.h"

namespace velkor {

TFormOpt::TFormOpt(Application& app) : SecondaryWindow(app, WindowId::Options, "Options") {
    const QSize screen = screenSize();
    setGeometry((screen.width() - 456) / 2, 260, 456, 302);
}

} // namespace velkor
