// One process's share of the fast solve: rows [first, last) of the free nodes' equations as a hypre
// matrix, the multigrid hierarchy (BoomerAMG) built on them, and conjugate gradients preconditioned
// by one multigrid cycle. Every process of the group makes the same calls in the same order; each
// holds only its rows and its part of every vector.
#pragma once

#include <cstdint>
#include <vector>

#include "model/table.h"

struct hypre_IJMatrix_struct;
struct hypre_ParCSRMatrix_struct;
struct hypre_ParVector_struct;
struct hypre_Solver_struct;

namespace velkor {

// What process 0 hears after every iteration, and whether it should stop.
class IterationWatch {
  public:
    virtual ~IterationWatch() = default;
    virtual void iterated(int32_t iteration, double residualSquares) = 0;
    virtual bool stopRequested() = 0;
};

enum class PartStatus {
    Converged,    // the largest residual fell to the tolerance
    LimitReached, // the iteration limit came first
    AtRounding,   // the true residual stays above the tolerance while the updated one is below
                  // it: rounding in A x is as large as the tolerance
    NotDefinite,  // a curvature p.Ap or r.z that was not positive: the equations are not positive
                  // definite, or a value is not finite
    Stopped,      // process 0 was asked to stop
    NoMemory      // hypre could not build the hierarchy
};

struct PartResult {
    PartStatus status = PartStatus::Converged;
    int32_t iterations = 0;
    double residualSquares = 0; // r.r at the end, all processes' rows
    double largestResidual = 0; // |r| at the end, all processes' rows
};

class AmgPart {
  public:
    AmgPart() = default;
    ~AmgPart();
    AmgPart(const AmgPart&) = delete;
    AmgPart& operator=(const AmgPart&) = delete;

    // The structure: rows [first, last) of a system of size unknowns; row i's columns (global,
    // ascending, its diagonal among them) are columns[rowStart[i - first] .. rowStart[i - first + 1]).
    // The pattern order of the entries is this order. All values start at 0.
    void build(int32_t first, int32_t last, int32_t unknowns, const int64_t* rowStart,
               const int32_t* columns);

    int32_t rows() const { return last_ - first_; }
    int64_t entries() const { return static_cast<int64_t>(slots_.size()); }
    // Where entry k of the pattern is kept, for put().
    int32_t slot(int64_t k) const { return slots_[idx(k)]; }
    // The value kept at a slot.
    double& at(int32_t slot) {
        return slot < diagonalBlockEntries_ ? diagonalBlock_[slot] : offBlock_[slot - diagonalBlockEntries_];
    }
    // Stores a value; returns true when it differs from the value kept there.
    bool put(int32_t slot, double value) {
        double& kept = at(slot);
        if (kept == value) return false;
        kept = value;
        return true;
    }
    // The values of all entries in pattern order; returns whether any changed.
    bool putAll(const double* values);

    // The right-hand side and the start (later the answer) of this process's rows.
    double* rightHandSide() { return local(rhs_); }
    double* answer() { return local(x_); }

    // Builds the multigrid hierarchy for the values as they are (after a change of values).
    // Collective. False when hypre could not build it.
    bool setup();
    // A hierarchy was built for the rows as they are now shared out.
    bool hasHierarchy() const { return amg_ != nullptr; }

    // A number at least as large as the largest row sum of |A^-1| (the heads that unit supplies at
    // every free node would raise): an error of at most tolerance / bound in every equation then
    // means an error of at most tolerance in every head. Solves A w = 1 from the last w. Exact
    // when no coupling between two free nodes is positive (see fast_solve.cpp); otherwise
    // increased by the given safety factor. Collective.
    double inverseBound(bool couplingsNonPositive);

    // Conjugate gradients from answer() until every residual |b - A x| is at most tolerance (the
    // true residual, checked once the updated one meets it), or until the rounding of A x stops
    // it. Collective; watch only on process 0.
    PartResult solve(double tolerance, int32_t limit, IterationWatch* watch);

  private:
    using Vector = hypre_ParVector_struct*;
    double* local(Vector vector);
    PartResult iterate(Vector b, Vector x, double tolerance, int32_t limit, IterationWatch* watch);
    // r = b - A x; its sum of squares and largest magnitude over all processes.
    void residual(Vector b, Vector x, Vector r, double& squares, double& largest);
    void release();

    int32_t first_ = 0, last_ = 0, unknowns_ = 0;
    std::vector<int32_t> slots_;
    double* diagonalBlock_ = nullptr;
    double* offBlock_ = nullptr;
    int32_t diagonalBlockEntries_ = 0;

    hypre_IJMatrix_struct* matrix_ = nullptr;
    hypre_ParCSRMatrix_struct* parMatrix_ = nullptr; // the matrix inside matrix_
    hypre_Solver_struct* amg_ = nullptr;             // the hierarchy, when built
    Vector rhs_ = nullptr, x_ = nullptr, r_ = nullptr, z_ = nullptr, p_ = nullptr, q_ = nullptr;
    Vector ones_ = nullptr; // right-hand side of the bound
    Vector w_ = nullptr;    // A^-1 1 as last solved, the start of the next bound
    bool haveW_ = false;
    bool oneSided_ = false; // the iteration measures the largest residual, not the largest magnitude
};

} // namespace velkor
