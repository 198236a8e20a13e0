// The solve command without its windows: six cycles of assembly and conjugate gradients,
// then nodal discharges and element velocities.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace velkor {

// Progress of a solve, for the progress grid. Called on the caller's thread.
class SolveObserver {
  public:
    virtual ~SolveObserver() = default;
    // Element number (1-based) and cycle number (1-based) of the assembly.
    virtual void assemblyProgress(int32_t element, int32_t cycle) { (void)element, (void)cycle; }
    // Iteration count and log10 of the convergence measure, after every iteration and once at the end.
    virtual void iterationProgress(int32_t iteration, double log10Measure) {
        (void)iteration, (void)log10Measure;
    }
};

struct CycleReport {
    int32_t iterations = 0;
    double log10Measure = 0;
};

struct SolveReport {
    enum class Status {
        Solved,            // heads, discharges and velocities written into the problem
        StructureTooLarge, // matrix entry capacity exceeded; message holds the capacity text
        Refused            // degenerate problem (zero-area element, free node in no element, a
                           // value that overflows, ...); message says which; heads, discharges,
                           // supplies, element results, warning flag and error logarithm unchanged
    };
    Status status = Status::Solved;
    std::string message;
    int64_t entries = 0; // stored matrix entries
    std::vector<CycleReport> cycles;
    bool warning = false; // some head below the aquifer bottom after the last cycle
};

// Runs the whole command on the problem. preconditioned chooses the variant of every cycle.
// Always sets problem.matrixEntryCount (and the row ends of the nodes) once the structure is
// built; on success also F, Q and supply of the nodes, the element results, the mean discharges,
// the warning flag and problem.errorLog (log10 of the last cycle's final measure).
SolveReport solveProblem(Problem& problem, bool preconditioned, SolveObserver* observer = nullptr);

} // namespace velkor
