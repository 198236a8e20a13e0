// A plain, unoptimised version of the solve command (structure, assembly, both
// conjugate gradient variants, nodal discharge) working on the node records, as the yardstick the
// fast solver must match bit for bit.
#pragma once

#include <cstdint>
#include <vector>

#include "model/problem.h"

namespace velkor::test {

struct ReferenceCycle {
    int32_t iterations = 0;
    double measure = 0;
};

struct ReferenceRun {
    int64_t entries = 0;
    std::vector<int32_t> columns; // row storage, diagonal first, as built
    std::vector<double> values;   // of the last assembly
    std::vector<ReferenceCycle> cycles;
};

// Runs the six cycles on the problem (heads, Q, supplies and row ends written into the nodes,
// warning flag set). Stops after the structure when it does not fit.
ReferenceRun referenceSolve(Problem& problem, bool preconditioned);

} // namespace velkor::test
