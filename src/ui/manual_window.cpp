#include "ui/manual_window.h"

namespace velkor {

TFormManual::TFormManual(Application& app) : SecondaryWindow(app, WindowId::Manual, "Manual") {
    const QSize screen = screenSize();
    if (screen.width() <= 800)
        setGeometry(10, 0, 770, 580);
    else
        setGeometry(30, 70, 770, 580);
}

} // namespace velkor
