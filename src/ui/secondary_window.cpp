#include "ui/secondary_window.h"

#include <QCloseEvent>
#include <QScreen>

#include "ui/application.h"

namespace velkor {

SecondaryWindow::SecondaryWindow(Application& app, WindowId id, const char* caption)
    : QWidget(nullptr, Qt::Window), app_(app), id_(id) {
    setWindowTitle(QString::fromLatin1(caption));
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(&app.document, &Document::holdChanged, this, [this] { problemHeld(app_.document.held()); });
}

void SecondaryWindow::FormClose() {
    app_.state.shown[id_] = false;
    hide();
}

void SecondaryWindow::closeEvent(QCloseEvent* event) {
    // The window is hidden, not closed: FormClose decides what else happens.
    event->ignore();
    FormClose();
}

QSize SecondaryWindow::screenSize() const {
    const QScreen* s = screen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

} // namespace velkor
