#include "ui/background_run.h"

#include <QMetaObject>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <array>
#include <chrono>
#include <optional>
#include <utility>

namespace velkor {

namespace {
// A million reports are not a feature: the screen hears of a job at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(30);

// The worker yields to the GUI thread when both want a core: a long solve or split that keeps
// every core busy would otherwise keep the event loop waiting for the scheduler. Threads the job
// starts inherit it.
void yieldToTheWindows() {
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
}
} // namespace

struct BackgroundRun::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<bool> onItsOwn{false};
    std::atomic<bool> returned{false};
    std::atomic<bool> finishPosted{false};
};

// The job's feedback, used on the worker thread only (but for the flags).
class BackgroundRun::Reporter : public RunFeedback {
  public:
    Reporter(BackgroundRun& run, std::shared_ptr<Shared> shared, uint64_t generation)
        : run_(&run), shared_(std::move(shared)), generation_(generation) {}

    void progress(const Progress& progress) override {
        // A new stage (the iterations after an assembly): the last report of the others goes first,
        // so that the figures on the screen belong together (the cycle an iteration is in).
        if (posted_ && progress.stage != lastStage_) flush();
        lastStage_ = progress.stage;
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

    void onItsOwn() override {
        shared_->onItsOwn.store(true);
        finishIfLetGo(run_, shared_, generation_);
    }

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
                if (run->generation_ == generation && run->running_ && run->progress_)
                    run->progress_(progress);
            },
            Qt::QueuedConnection);
    }

    BackgroundRun* run_;
    std::shared_ptr<Shared> shared_;
    uint64_t generation_;
    std::array<std::optional<Progress>, kStageCount> latest_;
    std::chrono::steady_clock::time_point lastPost_;
    Stage lastStage_ = Stage::Assembly;
    bool posted_ = false;
};

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {}

BackgroundRun::~BackgroundRun() {
    stopAndWait();
    for (auto& [thread, shared] : windingDown_)
        thread.join();
}

bool BackgroundRun::start(Job job, std::function<void(const Progress&)> progress,
                          std::function<void()> finished) {
    if (running_) return false;
    join();
    shared_ = std::make_shared<Shared>();
    progress_ = std::move(progress);
    finished_ = std::move(finished);
    const uint64_t generation = ++generation_;
    running_ = true;
    auto reporter = std::make_shared<Reporter>(*this, shared_, generation);
    thread_ = std::thread([this, job = std::move(job), reporter, shared = shared_, generation] {
        yieldToTheWindows();
        job(*reporter);
        reporter->flush();
        shared->returned.store(true);
        if (!shared->finishPosted.exchange(true))
            QMetaObject::invokeMethod(
                this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundRun::finishIfLetGo(BackgroundRun* run, const std::shared_ptr<Shared>& shared,
                                  uint64_t generation) {
    if (!shared->cancel.load() || !shared->onItsOwn.load() || shared->finishPosted.exchange(true)) return;
    QMetaObject::invokeMethod(
        run, [run, generation] { run->finish(generation); }, Qt::QueuedConnection);
}

void BackgroundRun::cancel() {
    if (!shared_) return;
    shared_->cancel.store(true, std::memory_order_relaxed);
    if (running_) finishIfLetGo(this, shared_, generation_);
}

bool BackgroundRun::cancelRequested() const {
    return shared_ && shared_->cancel.load(std::memory_order_relaxed);
}

void BackgroundRun::finish(uint64_t generation) {
    if (generation != generation_ || !running_) return;
    if (shared_->returned.load()) {
        join();
    } else if (thread_.joinable()) {
        // Let go of while it winds down: waited for later, never from here.
        windingDown_.emplace_back(std::move(thread_), shared_);
    }
    // Those that have wound down are done with.
    for (auto it = windingDown_.begin(); it != windingDown_.end();) {
        if (it->second->returned.load()) {
            it->first.join();
            it = windingDown_.erase(it);
        } else {
            ++it;
        }
    }
    // The job is over: what follows on the GUI thread (taking its results, a dialog) may start the
    // next one.
    std::function<void()> finished = std::move(finished_);
    finished_ = nullptr;
    progress_ = nullptr;
    running_ = false;
    if (finished) finished();
}

void BackgroundRun::stopAndWait() {
    if (shared_) shared_->cancel.store(true);
    join();
    ++generation_; // whatever is still on its way from the job is dropped
    running_ = false;
    progress_ = nullptr;
    finished_ = nullptr;
}

void BackgroundRun::join() {
    if (thread_.joinable()) thread_.join();
}

Disposal::Disposal() {
    thread_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
            if (queue_.empty()) return;
            std::shared_ptr<void> object = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            object.reset();
            lock.lock();
        }
    });
}

Disposal::~Disposal() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void Disposal::release(std::shared_ptr<void> object) {
    if (!object) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(object));
    }
    wake_.notify_one();
}

} // namespace velkor
