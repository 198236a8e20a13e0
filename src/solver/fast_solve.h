// The fast solve of one cycle: the equations of the free nodes solved by conjugate gradients
// preconditioned by algebraic multigrid (hypre's BoomerAMG), in place of the plain and the
// preconditioned iteration.
//
// The system is the one the iteration works on (system_matrix.h), and the prescribed heads enter
// it the same way: a node whose Type is not 0 keeps its head, its equation drops out, and its
// coupling to the free nodes moves to their right-hand sides. What is left is the symmetric
// positive definite system of the free nodes, whose matrix keeps its pattern through the six
// cycles; only the values change with the thickness. Each cycle starts from the heads of the cycle
// before, and the multigrid hierarchy is built again only when the values changed (a confined
// aquifer builds it once).
//
// Accuracy: a cycle ends when every head is within 1e-6 m of the exact answer of its equations.
// The error e = A^-1 r of heads whose equations leave the residual r is at most |r|max times the
// largest row sum of |A^-1|. Where no coupling between two free nodes is positive (meshes without
// angles above 90 degrees: every example, and every Split 4 and Split 2 of them) A^-1 has no
// negative entry, and that row sum is bounded from above by solving A w = 1 roughly
// (amg_part.h: |w|max / (1 - s), s the largest residual of w); elsewhere the same figure times ten
// serves as an estimate. The iteration runs until |r|max <= 0.5e-6 m / bound, half of the allowance
// kept for rounding. The residual is that of the change of the heads from the cycle's start,
// whose right-hand side b - A F is computed in extended precision: on meshes of millions of nodes
// the rounding of b - A F in double arithmetic alone would exceed the tolerance; a second round
// takes over where the first met that rounding.
//
// Several processes: under mpirun the free nodes are split into contiguous blocks, one block of
// rows per process; process 0 (the program) assembles, sends every other process its rows, and
// gathers the heads. The others wait in serveFastSolves().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/feedback.h"
#include "model/outcome.h"
#include "solver/system_matrix.h"

namespace velkor {

// Iterations a cycle may take; multigrid needs a few dozen at most on any sound problem.
constexpr int32_t kFastSolveIterationLimit = 1000;

struct FastSolveInput {
    const SystemMatrix* matrix = nullptr;
    const double* supply = nullptr; // right-hand side, NN values
    const uint8_t* roles = nullptr; // NodeRole per node; only FreeNode heads are computed
    const double* bottom = nullptr; // B per node, for the warning
    int32_t cycle = 0;
    int32_t elements = 0; // NM: the assembly's last progress, repeated while the hierarchy is built
    int32_t iterationLimit = kFastSolveIterationLimit; // iterations a round of the cycle may take
};

struct FastSolveResult {
    // Done; BadInput when the equations of the free nodes are not positive definite (they have
    // no unique solution) or the answer is not finite; OutOfMemory when the solve does not fit in
    // the memory there is; Cancelled when the feedback asked to stop. The message says why.
    Result result;
    int32_t iterations = 0;  // conjugate gradient iterations of this cycle
    bool converged = false;  // the heads are within 1e-6 m (not stopped by the iteration limit)
    double measure = 0;      // r.r of the answer, r = supply - A F with prescribed rows left out,
                             // the measure the plain iteration reports
    double log10Measure = 0; // measureLogarithm(measure)
    bool warning = false;    // some head below the aquifer bottom
};

class FastSolver {
  public:
    FastSolver();
    ~FastSolver();
    FastSolver(const FastSolver&) = delete;
    FastSolver& operator=(const FastSolver&) = delete;

    // Solves for the heads of the free nodes (NN values in heads, the others given and kept). The
    // first call sets up the numbering of the unknowns and shares it out; later calls must pass a
    // matrix of the same structure (the cycles of one solve). The heads are written once the cycle
    // is solved, not before. Building the hierarchy cannot stop part-way: it runs on a thread of
    // its own while this one repeats the assembly's last progress to the feedback (Stage::Assembly,
    // elements and cycle) every 20 ms, so that a window showing it stays painted. After every
    // iteration the feedback hears of it (Stage::Iteration, cycle 1-based, iteration, log10 r.r)
    // and is asked whether to stop; once more at the end with the final count and measure.
    FastSolveResult solve(const FastSolveInput& input, double* heads, Feedback* feedback = nullptr);

  private:
    struct Plan; // the numbering, the shares of the processes and this process's part
    std::unique_ptr<Plan> plan_;
};

// A process of a group other than process 0: takes part in every fast solve process 0 makes until
// it is released (parallel_session.h), then returns the exit status of the process (0).
int serveFastSolves();

} // namespace velkor
