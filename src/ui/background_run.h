// Long work on a worker thread: a solve, a Split pass, a printed report, the drawing of a plot.
//
// The job runs on a thread of its own with a feedback made for it: the job reports progress to
// it, and its cancel flag, set from the GUI thread, is read by the job between its steps. Progress
// reaches the GUI thread as queued calls, at most every 30 ms, and the last report of every stage
// exactly once more when the job has returned, so that the final figures on the screen are exact.
// Then `finished` runs on the GUI thread. The event loop is never run from inside the job. Worker
// threads run at a lower priority than the GUI thread.
//
// A job reads the problem only while nothing can change it: a command's run holds the document
// (Document::hold), and a drawing run is stopped and waited for before any change
// (Document::aboutToChange). It writes nothing the GUI thread reads: what it makes it hands over
// in `finished`.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "model/feedback.h"

namespace velkor {

// The feedback a job gets: the core's Feedback, and the moment from which the job reads nothing the
// GUI thread may change (a solve, a Split pass or a report has made its copy of the problem). From
// then on a Cancel sets the windows free at once: `finished` runs, and the job winds down on its
// thread (the fast solve's multigrid setup ends, a PDF page is finished and thrown away), its outcome
// no longer wanted; `finished` then reads nothing of it.
class RunFeedback : public Feedback {
  public:
    virtual void onItsOwn() = 0;
};

class BackgroundRun : public QObject {
    Q_OBJECT
  public:
    using Job = std::function<void(RunFeedback& feedback)>;

    explicit BackgroundRun(QObject* parent = nullptr);
    // Cancels a job still running and waits for it (and for jobs still winding down).
    ~BackgroundRun() override;
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Starts the job. `progress` hears of what it reports (on the GUI thread, throttled), and
    // `finished` runs on the GUI thread once it has returned (or, cancelled, once it is on its
    // own). False, and nothing started, while another job of this run is going on.
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
    struct Shared; // what the GUI thread and the worker share: the flags of the job
    class Reporter;

    // The job has returned, or is on its own and cancelled: `finished` runs.
    void finish(uint64_t generation);
    // Posts finish(generation) when the job is on its own and cancelled (from either thread).
    static void finishIfLetGo(BackgroundRun* run, const std::shared_ptr<Shared>& shared, uint64_t generation);
    void join();

    std::thread thread_;
    std::shared_ptr<Shared> shared_;
    // Threads of jobs let go of while they wind down, each with its flag of having returned.
    std::vector<std::pair<std::thread, std::shared_ptr<Shared>>> windingDown_;
    std::function<void(const Progress&)> progress_;
    std::function<void()> finished_;
    uint64_t generation_ = 0; // of the job going on; posts of earlier ones are dropped
    bool running_ = false;
};

// What a long run leaves behind once the GUI thread has taken what it needs - the problem as it was
// before a solve or a Split, a copy of a million elements, a PDF document given up half-way - goes
// here and is let go of on a thread of its own: freeing it, or ending a PDF page of a million
// triangles, would keep the GUI thread from its events for tens of milliseconds to a second.
class Disposal {
  public:
    Disposal();
    // Lets go of everything handed over, then of its thread.
    ~Disposal();
    Disposal(const Disposal&) = delete;
    Disposal& operator=(const Disposal&) = delete;

    void release(std::shared_ptr<void> object);

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<void>> queue_;
    bool ending_ = false;
    std::thread thread_;
};

} // namespace velkor
