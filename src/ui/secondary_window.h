// Common ground of the eleven secondary windows: created once, shown and hidden by the main
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
    // Screen size, for the windows that size themselves from it.
    QSize screenSize() const;

    Application& app_;

  private:
    WindowId id_;
};

} // namespace velkor
