#include "ui/contours_window.h"

namespace velkor {

TFormContours::TFormContours(Application& app) : SecondaryWindow(app, WindowId::Contours, "Contours") {
    const QSize screen = screenSize();
    setGeometry(20, 75, screen.width() - 40, screen.height() - 80);
}

} // namespace velkor
