#include "results/track_recording.h"

#include "results/graph_page.h"

namespace velkor {

// Hands every step to the drawing and keeps it while there is room.
class TrackRecording::Keeper : public TrackConsumer {
  public:
    Keeper(TrackConsumer& drawing, std::vector<Item>& items) : drawing_(drawing), items_(items) {}

    void segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) override {
        drawing_.segment(particle, from, to);
        keep(Item{false, particle, from, to});
    }
    void mark(int32_t particle, const TrackPoint& at) override {
        drawing_.mark(particle, at);
        keep(Item{true, particle, at, at});
    }
    bool overflowed() const { return overflowed_; }

  private:
    void keep(const Item& item) {
        if (overflowed_) return;
        if (items_.size() >= kMostSteps) {
            overflowed_ = true;
            items_.clear();
            items_.shrink_to_fit();
            return;
        }
        items_.push_back(item);
    }

    TrackConsumer& drawing_;
    std::vector<Item>& items_;
    bool overflowed_ = false;
};

void TrackRecording::clear() {
    ++clears_;
    items_.clear();
    complete_ = false;
    report_ = TrackReport{};
}

TrackReport TrackRecording::trackOrReplay(const Problem& problem, double h, TrackConsumer& consumer,
                                          const PlotCallbacks& callbacks, bool& replayed) {
    if (holds(h)) {
        replayed = true;
        for (const Item& item : items_)
            if (item.isMark)
                consumer.mark(item.particle, item.from);
            else
                consumer.segment(item.particle, item.from, item.to);
        return report_;
    }
    replayed = false;
    clear();
    const uint64_t clearsBefore = clears_;
    Keeper keeper(consumer, items_);
    const TrackReport report =
        trackParticles(problem, h, keeper, callbacks.feedback, callbacks.limits, callbacks.locator);
    // A stopped run, one refused because another was going on, or one too long to keep is not
    // replayed: the next drawing tracks again.
    const Outcome outcome = report.result.outcome;
    complete_ =
        !keeper.overflowed() && clears_ == clearsBefore &&
        (outcome == Outcome::Done || outcome == Outcome::LimitReached || outcome == Outcome::NothingToDo);
    if (complete_) {
        report_ = report;
        h_ = h;
    } else {
        items_.clear();
    }
    return report;
}

} // namespace velkor
