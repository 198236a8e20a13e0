#include "ui/graph3d_window.h"

namespace velkor {

TForm3D::TForm3D(Application& app) : SecondaryWindow(app, WindowId::Graph3D, "3D-Graph") {
    const QSize screen = screenSize();
    setGeometry(20, 75, screen.width() - 40, screen.height() - 80);
}

} // namespace velkor
