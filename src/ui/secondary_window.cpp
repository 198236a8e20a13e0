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

// The frames the desktop puts around windows, learnt from windows that have one: a window of a fixed
// size and one that can be resized may have frames of different sizes (a resize handle).
QMargins knownFixedFrame, knownResizableFrame;

bool fixedSize(const QWidget& widget) {
    return widget.minimumSize() == widget.maximumSize();
}

void learnFrame(const QWidget& widget) {
    const QWindow* window = widget.windowHandle();
    if (!window || !widget.isVisible()) return;
    const QMargins frame = window->frameMargins();
    if (!frame.isNull()) (fixedSize(widget) ? knownFixedFrame : knownResizableFrame) = frame;
}

} // namespace

QMargins SecondaryWindow::frameExtent() const {
    if (const QWindow* window = windowHandle(); window && isVisible()) {
        const QMargins own = window->frameMargins();
        if (!own.isNull()) ownFrame_ = own;
    }
    if (!ownFrame_.isNull()) return ownFrame_;
    // Not framed yet: the frame of a window of the same kind, else of any other.
    for (const QWidget* other : QApplication::topLevelWidgets())
        learnFrame(*other);
    const QMargins& same = fixedSize(*this) ? knownFixedFrame : knownResizableFrame;
    const QMargins& other = fixedSize(*this) ? knownResizableFrame : knownFixedFrame;
    return same.isNull() ? other : same;
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
    // The client area is placed inside the frame. (A move() would place the frame of a window that
    // has been on the screen, but the client area of one the desktop has not framed yet: the first
    // showing would stand a title bar lower than the later ones.)
    QSize client(held.width() - placedMargins_.left() - placedMargins_.right(),
                 held.height() - placedMargins_.top() - placedMargins_.bottom());
    if (minimumSize() == maximumSize())
        setFixedSize(client);
    else
        client = QSize(std::max(minimumWidth(), client.width()), std::max(minimumHeight(), client.height()));
    setGeometry(QRect(held.topLeft() + QPoint(placedMargins_.left(), placedMargins_.top()), client));
    placedSize_ = size();
}

void SecondaryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || shownBefore_ || !placedFrame_.isValid()) return;
    shownBefore_ = true;
    // The desktop tells the size of the frame only once a window is on the screen, and perhaps a
    // little later.
    for (const int wait : {0, 150})
        QTimer::singleShot(wait, this, [this] {
            // A window sized otherwise since it was placed keeps the size it was given.
            if (!isVisible() || frameExtent() == placedMargins_ || size() != placedSize_) return;
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
