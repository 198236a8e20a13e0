// The solve command without its windows: six cycles of assembly and solution (conjugate
// gradients, the fast solve or the direct solve), then nodal discharges and element velocities.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

struct CycleReport {
    int32_t iterations = 0;
    double log10Measure = 0;
    bool converged = false; // false: the cycle stopped at its iteration limit
};

struct SolveReport {
    // Done: heads, discharges and velocities written into the problem.
    // NotConverged: written as for Done, but the final heads do not satisfy their equations: more
    //   than a millionth of the water moving through the nodes is out of balance (beyond what
    //   rounding explains), whether the last cycle stopped on its tolerance or at its iteration
    //   limit. The message says so; the cycles are reported as for Done.
    // RefusedCapacity: the matrix entry capacity is exceeded; the message is the capacity text.
    // BadInput: a degenerate problem (zero-area element, free node in no element, a part of the
    //   mesh without a prescribed head, a value that overflows, ...), the message says which.
    // BadInput also when the fast or the direct solve finds the equations not positive definite.
    // OutOfMemory: the work arrays (or the memory of the fast or the direct solve) could not be had.
    // Cancelled: the feedback asked to stop.
    // Whenever the outcome is neither Done nor NotConverged, the heads, discharges, supplies,
    // element results, warning flag and error logarithm are unchanged.
    Result result;
    int64_t entries = 0; // stored matrix entries
    std::vector<CycleReport> cycles;
    bool warning = false; // some head below the aquifer bottom after the last cycle
};

// How every cycle solves its system: conjugate gradients, plain or with the diagonal
// preconditioner, the fast solve (conjugate gradients preconditioned by algebraic multigrid, on
// one process or on the group mpirun started, fast_solve.h), or the direct solve (a sparse
// Cholesky factorisation, direct_solve.h).
enum class SolveMethod { Plain, Preconditioned, Fast, Direct };

// Runs the whole command on the problem by the given method. The feedback hears of the assembly
// and of every iteration (of every cycle, for the direct solve) and may cancel between them.
// Always sets problem.matrixEntryCount (and the row ends of the nodes) once the structure is
// built; on Done and NotConverged also F, Q and supply of the nodes, the element results, the
// mean discharges, the warning flag and problem.errorLog (log10 of the last cycle's final
// measure).
SolveReport solveProblem(Problem& problem, SolveMethod method, Feedback* feedback = nullptr);
// The conjugate gradients, preconditioned or plain.
SolveReport solveProblem(Problem& problem, bool preconditioned, Feedback* feedback = nullptr);

} // namespace velkor
