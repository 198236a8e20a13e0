// The direct solve of one cycle (velkor-batch's solve:direct): the equations of the free nodes
// factorised by a sparse Cholesky factorisation (CHOLMOD) and solved directly. It gives the exact
// answer without iterations, the yardstick of the fast solve (fast_solve.h), which is faster from
// about 1e5 nodes on and needs about half the memory; below that both take a fraction of a second.
//
// The system is the one the iteration works on (system_matrix.h), and the prescribed heads enter
// it the same way: a node whose Type is not 0 keeps its head, its equation drops out, and its
// coupling to the free nodes moves to their right-hand sides. What is left is the symmetric
// positive definite system of the free nodes, whose matrix keeps its pattern through the six
// cycles; only the values change with the thickness. The ordering that keeps the factor small is
// therefore found once, at the first cycle, and a cycle factorises anew only when its values
// differ from those of the factor it has.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/feedback.h"
#include "model/outcome.h"
#include "solver/system_matrix.h"

namespace velkor {

struct DirectSolveInput {
    const SystemMatrix* matrix = nullptr;
    const double* supply = nullptr; // right-hand side, NN values
    const uint8_t* roles = nullptr; // NodeRole per node; only FreeNode heads are computed
    const double* bottom = nullptr; // B per node, for the warning
    int32_t cycle = 0;
    int32_t elements = 0; // NM: the assembly's last progress, repeated while the factor is made
};

struct DirectSolveResult {
    // Done; BadInput when the equations of the free nodes are not positive definite (they have
    // no unique solution) or the answer is not finite; OutOfMemory when the factor does not fit;
    // Cancelled when the feedback asked to stop. The message says why.
    Result result;
    double measure = 0;      // r.r of the answer, r = supply - A F with prescribed rows left out,
                             // the measure the plain iteration reports
    double log10Measure = 0; // measureLogarithm(measure)
    bool warning = false;    // some head below the aquifer bottom
};

class DirectSolver {
  public:
    DirectSolver();
    ~DirectSolver();
    DirectSolver(const DirectSolver&) = delete;
    DirectSolver& operator=(const DirectSolver&) = delete;

    // Solves for the heads of the free nodes (NN values in heads, the others given and kept).
    // The first call orders the matrix; later calls must pass a matrix of the same structure
    // (the cycles of one solve). The heads are written once the cycle is solved, not before.
    // The ordering and the factorisation take seconds on large meshes and cannot stop part-way:
    // they run on a thread of their own while this one repeats the assembly's last progress to
    // the feedback (Stage::Assembly, elements and cycle) every 20 ms, so that a window showing it
    // stays painted. The feedback is asked whether to stop after each of them, and once the cycle
    // is solved, after it has heard of it (Stage::Iteration, 0 iterations, cycle 1-based, log10
    // of the measure).
    DirectSolveResult solve(const DirectSolveInput& input, double* heads, Feedback* feedback = nullptr);

  private:
    struct Factor; // the library's matrix, factor and workspace
    std::unique_ptr<Factor> factor_;
};

} // namespace velkor
