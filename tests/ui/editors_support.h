// Mouse events for the editor windows at world points: the screen point comes from the window's
// own view mapping, and the event goes to the window as the desktop would send it.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "editors/view_mapping.h"
#include "ui/application.h"
#include "ui/edit_blocks_window.h"
#include "ui/mesh_window.h"

namespace velkor::testing {

inline TFormEdit& blockEditorOf(Application& app) {
    return static_cast<TFormEdit&>(app.window(WindowId::EditBlocks));
}
inline TFormMesh& meshEditorOf(Application& app) {
    return static_cast<TFormMesh&>(app.window(WindowId::Mesh));
}

template <typename Window> QPoint screenPointOf(Window& window, double x, double y) {
    const ViewMapping view = window.viewMapping();
    return QPoint(view.screenX(x), view.screenY(y));
}

template <typename Window> void clickAtWorld(Window& window, double x, double y) {
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, screenPointOf(window, x, y));
}
template <typename Window> void pressAtWorld(Window& window, double x, double y) {
    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, screenPointOf(window, x, y));
}
template <typename Window> void releaseAtWorld(Window& window, double x, double y) {
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, screenPointOf(window, x, y));
}
// A move with the given buttons held. Sent directly: QTest moves the desktop's cursor when no
// button is held, which the offscreen platform does not turn into an event.
template <typename Window>
void moveToWorld(Window& window, double x, double y, Qt::MouseButtons buttons = Qt::NoButton) {
    const QPoint at = screenPointOf(window, x, y);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(window.mapToGlobal(at)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
}

} // namespace velkor::testing
