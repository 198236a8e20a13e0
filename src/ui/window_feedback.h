// The feedback of the long operations run from a window: the latest progress is shown at most
// every 30 ms (and exactly once more at the end), the event loop runs there so that the window
// keeps repainting, and a cancel request of the window or of the program stops the operation.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

#include <array>
#include <functional>
#include <optional>

#include "model/feedback.h"

namespace velkor {

class Application;

class WindowFeedback : public Feedback {
  public:
    // show: puts a progress on the screen. userInput: whether clicks and keys reach the windows
    // while the operation runs (a tracking run in a window: yes; a solve: no).
    WindowFeedback(Application& app, std::function<void(const Progress&)> show, bool userInput);

    void progress(const Progress& progress) override;
    bool cancelRequested() override;

    // Stops the operation at its next step (Escape, the window closing).
    void requestCancel() { cancel_ = true; }
    // Shows the last progress once more, exactly.
    void finish();
    // Called after every repaint (tests and screenshots look at the windows here).
    std::function<void()> afterShow;

  private:
    Application& app_;
    std::function<void(const Progress&)> show_;
    QEventLoop::ProcessEventsFlags flags_;
    QElapsedTimer clock_;
    // The last progress of every stage, for the exact final display.
    std::array<std::optional<Progress>, 5> last_;
    bool cancel_ = false;
};

} // namespace velkor
