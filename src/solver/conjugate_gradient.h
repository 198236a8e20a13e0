// Conjugate gradients on the stored upper triangle, plain or with a diagonal preconditioner,
// for the heads of the free nodes (Type 0); prescribed heads stay fixed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/feedback.h"
#include "model/outcome.h"
#include "solver/system_matrix.h"

namespace velkor {

// How the iteration treats a node, from its Type: 0 free (start value and update), positive
// prescribed (residual zeroed, no update), negative: residual kept but no update.
enum NodeRole : uint8_t { FreeNode = 0, PrescribedNode = 1, OtherNode = 2 };
NodeRole nodeRole(int32_t type);

// What a solve reads from the node table, as vectors: the start heads (F), the bottoms (B, for the
// warning) and the roles.
struct NodeVectors {
    std::vector<double> heads, bottom;
    std::vector<uint8_t> roles;
};
NodeVectors nodeVectors(const Problem& problem);

// log10 of a convergence measure. A measure of exactly 0 (nothing left to solve) gives the
// logarithm of the smallest positive double instead of minus infinity.
double measureLogarithm(double measure);

// Tolerance of cycle c: 1e-4 multiplied by 1e-4 once per earlier cycle.
double cycleTolerance(int32_t cycle);

// The vectors of one solve, kept between cycles so that nothing is allocated per cycle, and the
// plan of the fused direction update (see conjugate_gradient.cpp).
struct ConjugateGradientWork {
    std::vector<double> r, p, q;
    std::vector<int32_t> reach; // per block of rows: p must be current below this index
    std::vector<int32_t> early; // columns far ahead of their row, brought up to date first
};

struct ConjugateGradientResult {
    // Done; BadInput when the iteration broke down (p.q = 0 or a value that is not finite), with
    // the reason; Cancelled when the feedback asked it to stop.
    Result result;
    bool converged = false; // the measure fell below the cycle's tolerance (not stopped by the limit)
    int32_t iterations = 0;
    double measure = 0;      // r.r (plain) or r.D^-1.r (preconditioned) at the end
    double log10Measure = 0; // measureLogarithm(measure)
    bool warning = false;    // some head below the aquifer bottom
};

struct ConjugateGradientInput {
    const SystemMatrix* matrix = nullptr;
    const double* supply = nullptr; // right-hand side, NN values
    const uint8_t* roles = nullptr; // NodeRole per node
    const double* bottom = nullptr; // B per node, for the warning
    int32_t cycle = 0;
    bool preconditioned = false;
    int64_t iterationLimit = -1; // the loop runs while iterations <= limit; -1 means 2 NN
};

// Solves for heads (NN values, prescribed ones given) in place. The caller has made sure that
// every diagonal the variant divides by is non-zero (free nodes in the plain variant, all nodes
// in the preconditioned one). On a breakdown or a cancel the heads hold whatever the iteration
// reached. After every iteration and once at the end the feedback hears of the iteration count
// and log10 of the measure (Stage::Iteration, cycle 1-based) and is asked whether to stop.
ConjugateGradientResult solveConjugateGradient(const ConjugateGradientInput& input, double* heads,
                                               ConjugateGradientWork& work, Feedback* feedback = nullptr);

} // namespace velkor
