// Progress and cancellation of the long operations (assembly, conjugate gradients, splits,
// tracking, printing, the solve command): the operation reports how far it is, the caller shows it
// and may ask the operation to stop.
//
// The operations run on whatever thread calls them; the program runs them on a worker thread
// while its windows stay on the screen. progress() is called on the operation's thread, often
// (after every element of a pass): an implementation keeps it cheap and shows only some of the
// reports. cancelRequested() is asked on the operation's thread between steps; the request itself
// may come from another thread, so an implementation keeps it in an atomic flag.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

enum class Stage {
    Assembly,  // element and cycle of the assembly
    Iteration, // cycle, iteration and log10 of the convergence measure
    Split4,    // NN and NM during a Split 4 pass
    Split2,    // NN and NM during a Split 2 pass
    Tracking,  // sweeps of a tracking run
    Printing   // pages of a printed report
};
inline constexpr int kStageCount = 6;

struct Progress {
    Stage stage = Stage::Assembly;
    int32_t element = 0;     // Assembly: last element assembled, 1-based
    int32_t cycle = 0;       // Assembly, Iteration: 1-based
    int32_t iteration = 0;   // Iteration: iterations done in this cycle
    double log10Measure = 0; // Iteration: log10 of the convergence measure
    int64_t sweep = 0;       // Tracking: sweeps done
    int32_t nodes = 0;       // Split4, Split2: current NN
    int32_t elements = 0;    // Split4, Split2: current NM
    int32_t page = 0;        // Printing: the page being drawn, 1-based
    int32_t pages = 0;       // Printing: pages the report will have
    // How much of the stage is done, 0 to 100, where the work ahead is known: the elements of an
    // assembly or of a Split pass, the pages of a report. -1 where it is not (the iterations of
    // the conjugate gradients end when the measure is small enough, not after a known number).
    int32_t percent = -1;

    // The status text of a split ("Split 4 : %d Nodes, %d Elements"); empty for other stages.
    // Formatted on demand: a pass reports after every element but is shown far less often.
    std::string statusText() const;
};

class Feedback {
  public:
    virtual ~Feedback() = default;
    virtual void progress(const Progress& progress) { (void)progress; }
    // Asked between steps; true makes the operation end with Outcome::Cancelled. What a cancelled
    // operation leaves is said where the operation is declared.
    virtual bool cancelRequested() { return false; }
};

// Integer percentage of done out of total, 0 to 100 (-1 when the total is not positive).
inline int32_t percentOf(int64_t done, int64_t total) {
    if (total <= 0) return -1;
    if (done <= 0) return 0;
    if (done >= total) return 100;
    return static_cast<int32_t>(done * 100 / total);
}

} // namespace velkor
