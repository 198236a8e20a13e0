// The steps of a tracking run kept by a plot window, so that the same plot drawn again for another
// view or size replays the pathlines instead of tracking anew. A run yields the same steps every
// time for the same problem and tracking length, so a replay draws what a new run would.
#pragma once

#include <cstdint>
#include <vector>

#include "results/particle_tracker.h"

namespace velkor {

struct PlotCallbacks;

class TrackRecording {
  public:
    // Runs beyond this many steps are not kept (their replay would need hundreds of megabytes):
    // every drawing of such a problem tracks anew.
    static constexpr std::size_t kMostSteps = 2'000'000;

    // Forget the run (the problem changed). A run going on meanwhile (the tracker lets the event
    // loop work between sweeps) is not kept either.
    void clear();
    // A whole run with tracking length h is kept.
    bool holds(double h) const { return complete_ && h == h_; }
    std::size_t steps() const { return items_.size(); }

    // The tracker's run with tracking length h through consumer, kept as it goes; or, when a whole
    // run with this h is kept, its replay. `replayed` tells which it was.
    TrackReport trackOrReplay(const Problem& problem, double h, TrackConsumer& consumer,
                              const PlotCallbacks& callbacks, bool& replayed);

  private:
    class Keeper;
    struct Item {
        bool isMark;
        int32_t particle;
        TrackPoint from, to; // a mark at `from`
    };
    std::vector<Item> items_;
    TrackReport report_;
    double h_ = 0;
    bool complete_ = false;
    uint64_t clears_ = 0;
};

} // namespace velkor
