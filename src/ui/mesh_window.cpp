#include "ui/mesh_window.h"

namespace velkor {

TFormMesh::TFormMesh(Application& app) : SecondaryWindow(app, WindowId::Mesh, "Edit Mesh") {
    const QSize screen = screenSize();
    setGeometry(20, 75, screen.width() - 40, screen.height() - 80);
}

} // namespace velkor
