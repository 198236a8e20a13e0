#include "ui/secondary_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>

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

namespace {

// The frame the desktop puts around a window, learnt from the first window that has one.
QMargins knownFrame;

} // namespace

QMargins SecondaryWindow::frameExtent() const {
    if (const QWindow* window = windowHandle(); window && isVisible()) {
        const QMargins own = window->frameMargins();
        if (!own.isNull()) knownFrame = own;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (!knownFrame.isNull()) break;
        if (const QWindow* window = other->windowHandle(); window && other->isVisible())
            knownFrame = window->frameMargins();
    }
    return knownFrame;
}

void SecondaryWindow::placeClient(QPoint corner, QSize client) {
    const QMargins margins = frameExtent();
    placeFrame(QRect(corner, client.grownBy(margins)));
    placedClient_ = client;
}

void SecondaryWindow::placeFrame(const QRect& frame) {
    placedFrame_ = frame;
    placedClient_ = QSize();
    placedMargins_ = frameExtent();
    QRect held = frame;
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        held.setWidth(std::min(held.width(), available.width()));
        held.setHeight(std::min(held.height(), available.height()));
        held.moveLeft(std::clamp(held.left(), available.left(), available.right() + 1 - held.width()));
        held.moveTop(std::clamp(held.top(), available.top(), available.bottom() + 1 - held.height()));
    }
    // A window's position is that of its frame; its size is that of its client area.
    move(held.topLeft());
    const QSize client(held.width() - placedMargins_.left() - placedMargins_.right(),
                       held.height() - placedMargins_.top() - placedMargins_.bottom());
    if (minimumSize() == maximumSize())
        setFixedSize(client);
    else
        resize(std::max(minimumWidth(), client.width()), std::max(minimumHeight(), client.height()));
    placedSize_ = size();
}

void SecondaryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || shownBefore_ || !placedFrame_.isValid()) return;
    shownBefore_ = true;
    // The desktop tells the size of the frame only once a window is on the screen.
    QTimer::singleShot(0, this, [this] {
        // A window sized otherwise since it was placed keeps the size it was given.
        if (frameExtent() == placedMargins_ || size() != placedSize_) return;
        if (placedClient_.isValid())
            placeClient(placedFrame_.topLeft(), placedClient_);
        else
            placeFrame(placedFrame_);
    });
}

QSize SecondaryWindow::screenSize() const {
    const QScreen* s = screen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

} // namespace velkor
