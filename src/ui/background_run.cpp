#include "ui/background_run.h"

#include <QMetaObject>

#include <array>
#include <chrono>
#include <optional>
#include <utility>

namespace velkor {

namespace {
// A million reports are not a feature: the screen hears of a job at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(30);
} // namespace

struct BackgroundRun::Shared {
    std::atomic<bool> cancel{false};
};

// The job's feedback, used on the worker thread only (but for the cancel flag).
class BackgroundRun::Reporter : public Feedback {
  public:
    Reporter(BackgroundRun& run, std::shared_ptr<Shared> shared, uint64_t generation)
        : run_(&run), shared_(std::move(shared)), generation_(generation) {}

    void progress(const Progress& progress) override {
        auto& latest = latest_[static_cast<std::size_t>(progress.stage)];
        latest = progress;
        const auto now = std::chrono::steady_clock::now();
        if (posted_ && now - lastPost_ < kProgressInterval) return;
        lastPost_ = now;
        posted_ = true;
        post(progress);
        latest.reset();
    }

    bool cancelRequested() override { return shared_->cancel.load(std::memory_order_relaxed); }

    // The last report of every stage not yet on its way, so that the screen ends exact.
    void flush() {
        for (std::optional<Progress>& latest : latest_)
            if (latest) {
                post(*latest);
                latest.reset();
            }
    }

  private:
    // The run outlives its thread (its destructor waits for the job), and a call posted to it is
    // dropped when it is gone before the call is delivered.
    void post(const Progress& progress) {
        BackgroundRun* run = run_;
        const uint64_t generation = generation_;
        QMetaObject::invokeMethod(
            run,
            [run, generation, progress] {
                if (run->generation_ == generation && run->running_ && run->progress_) run->progress_(progress);
            },
            Qt::QueuedConnection);
    }

    BackgroundRun* run_;
    std::shared_ptr<Shared> shared_;
    uint64_t generation_;
    std::array<std::optional<Progress>, kStageCount> latest_;
    std::chrono::steady_clock::time_point lastPost_;
    bool posted_ = false;
};

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {}

BackgroundRun::~BackgroundRun() {
    stopAndWait();
}

bool BackgroundRun::start(Job job, std::function<void(const Progress&)> progress, std::function<void()> finished) {
    if (running_) return false;
    join();
    shared_ = std::make_shared<Shared>();
    progress_ = std::move(progress);
    finished_ = std::move(finished);
    const uint64_t generation = ++generation_;
    running_ = true;
    auto reporter = std::make_shared<Reporter>(*this, shared_, generation);
    thread_ = std::thread([this, job = std::move(job), reporter, generation] {
        job(*reporter);
        reporter->flush();
        QMetaObject::invokeMethod(this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundRun::cancel() {
    if (shared_) shared_->cancel.store(true, std::memory_order_relaxed);
}

bool BackgroundRun::cancelRequested() const {
    return shared_ && shared_->cancel.load(std::memory_order_relaxed);
}

void BackgroundRun::finish(uint64_t generation) {
    if (generation != generation_ || !running_) return;
    join();
    // The job is over: what follows on the GUI thread (taking its results, a dialog) may start the
    // next one.
    std::function<void()> finished = std::move(finished_);
    finished_ = nullptr;
    progress_ = nullptr;
    running_ = false;
    if (finished) finished();
}

void BackgroundRun::stopAndWait() {
    cancel();
    join();
    ++generation_; // whatever is still on its way from the job is dropped
    running_ = false;
    progress_ = nullptr;
    finished_ = nullptr;
}

void BackgroundRun::join() {
    if (thread_.joinable()) thread_.join();
}

} // namespace velkor
