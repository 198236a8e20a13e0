// Progress and cancellation of the long operations (assembly, conjugate gradients, splits,
// tracking, the solve command): the operation reports how far it is, the caller shows it and may
// ask the operation to stop. Everything runs on the caller's thread.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

enum class Stage {
    Assembly,  // element and cycle of the assembly
    Iteration, // cycle, iteration and log10 of the convergence measure
    Split4,    // NN and NM during a Split 4 pass
    Split2,    // NN and NM during a Split 2 pass
    Tracking   // sweeps of a tracking run
};

struct Progress {
    Stage stage = Stage::Assembly;
    int32_t element = 0;     // Assembly: last element assembled, 1-based
    int32_t cycle = 0;       // Assembly, Iteration: 1-based
    int32_t iteration = 0;   // Iteration: iterations done in this cycle
    double log10Measure = 0; // Iteration: log10 of the convergence measure
    int64_t sweep = 0;       // Tracking: sweeps done
    int32_t nodes = 0;       // Split4, Split2: current NN
    int32_t elements = 0;    // Split4, Split2: current NM

    // The status text of a split ("Split 4 : %d Nodes, %d Elements"); empty for other stages.
    // Formatted on demand: a pass reports after every element but is shown far less often.
    std::string statusText() const;
};

class Feedback {
  public:
    virtual ~Feedback() = default;
    virtual void progress(const Progress& progress) { (void)progress; }
    // Asked between steps; true makes the operation end with Outcome::Cancelled. A Split pass
    // never stops part-way (a half-split mesh would not be conforming) and does not ask.
    virtual bool cancelRequested() { return false; }
};

} // namespace velkor
