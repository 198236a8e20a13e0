#include "ui/window_feedback.h"

#include <QCoreApplication>

#include "ui/application.h"

namespace velkor {

namespace {
constexpr int kRepaintMilliseconds = 30;
}

WindowFeedback::WindowFeedback(Application& app, std::function<void(const Progress&)> show, bool userInput)
    : app_(app), show_(std::move(show)),
      flags_(userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) {}

void WindowFeedback::progress(const Progress& progress) {
    last_[static_cast<std::size_t>(progress.stage)] = progress;
    // A million reports are not a feature: the screen follows at most every 30 ms.
    if (clock_.isValid() && clock_.elapsed() < kRepaintMilliseconds) return;
    if (show_) show_(progress);
    QCoreApplication::processEvents(flags_);
    if (afterShow) afterShow();
    clock_.restart();
}

bool WindowFeedback::cancelRequested() {
    return cancel_ || app_.cancelRequested();
}

void WindowFeedback::finish() {
    if (!show_) return;
    for (const std::optional<Progress>& last : last_)
        if (last) show_(*last);
}

} // namespace velkor
