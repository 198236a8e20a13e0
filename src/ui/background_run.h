// Long work on a worker thread: a solve, a Split pass, a printed report, the drawing of a plot.
//
// The job runs on a thread of its own with a feedback made for it: the job reports progress to
// it, and its cancel flag, set from the GUI thread, is read by the job between its steps. Progress
// reaches the GUI thread as queued calls, at most every 30 ms, and the last report of every stage
// exactly once more when the job has returned, so that the final figures on the screen are exact.
// Then `finished` runs on the GUI thread. The event loop is never run from inside the job.
//
// A job reads the problem only while nothing can change it: a command's run holds the document
// (Document::hold), and a drawing run is stopped and waited for before any change
// (Document::aboutToChange). It writes nothing the GUI thread reads: what it makes it hands over
// in `finished`.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "model/feedback.h"

namespace velkor {

class BackgroundRun : public QObject {
    Q_OBJECT
  public:
    using Job = std::function<void(Feedback& feedback)>;

    explicit BackgroundRun(QObject* parent = nullptr);
    // Cancels a job still running and waits for it.
    ~BackgroundRun() override;
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Starts the job. `progress` hears of what it reports (on the GUI thread, throttled), and
    // `finished` runs on the GUI thread once it has returned. False, and nothing started, while
    // another job of this run is going on.
    bool start(Job job, std::function<void(const Progress&)> progress, std::function<void()> finished);

    // From start() until `finished` is called (or the job was stopped).
    bool running() const { return running_; }
    // Asks the job to stop at its next step; `finished` still runs.
    void cancel();
    bool cancelRequested() const;
    // Cancels the job, waits for it to return and forgets it: neither the progress still on its
    // way nor `finished` runs. Before a change of what the job reads, and at the end of the program.
    void stopAndWait();

  private:
    struct Shared; // what the GUI thread and the worker share: the flag, the throttle, the latest progress
    class Reporter;

    void finish(uint64_t generation);
    void join();

    std::thread thread_;
    std::shared_ptr<Shared> shared_;
    std::function<void(const Progress&)> progress_;
    std::function<void()> finished_;
    uint64_t generation_ = 0; // of the job going on; posts of earlier ones are dropped
    bool running_ = false;
};

} // namespace velkor
