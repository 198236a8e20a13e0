// Common ground of the twelve secondary windows: created once, shown and hidden by the main
// window's commands, never destroyed while the program runs.
#pragma once

#include <QWidget>

#include "forms/window_state.h"

namespace velkor {

class Application;

class SecondaryWindow : public QWidget {
    Q_OBJECT
  public:
    SecondaryWindow(Application& app, WindowId id, const char* caption);

    WindowId windowId() const { return id_; }

    // The window's own close (its close button, or Edit Blocks closed from the main window):
    // clears the shown flag and hides the window. Windows with more to do override it.
    virtual void FormClose();

    // A long run began (or ended) holding the problem: a window that can change the problem
    // holds its controls meanwhile (they stay readable).
    virtual void problemHeld(bool held) { (void)held; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Screen size, for the windows that size themselves from it.
    QSize screenSize() const;
    // Places the window so that its frame (title bar and borders included) covers `frame`, held
    // inside the screen's free area, as far as the desktop has told the size of window frames. If
    // the first showing learns a frame of another size, the window is placed again. A window of a
    // fixed size is given the fixed client size that its frame leaves.
    void placeFrame(const QRect& frame);
    // The same for a window of a given client size whose frame's top left corner is at `corner`.
    void placeClient(QPoint corner, QSize client);
    // The frame, as far as it is known: this window's own once shown, else that of another.
    QMargins frameExtent() const;

    Application& app_;

  private:
    WindowId id_;
    QRect placedFrame_;
    QMargins placedMargins_;
    QSize placedClient_; // valid when the client size was given
    QSize placedSize_;   // the client size placing gave
    bool shownBefore_ = false;
    mutable QMargins ownFrame_; // this window's frame, once the desktop has told it
};

} // namespace velkor
