// Assembly of the system for one cycle of the solve command: matrix values and nodal supplies
// from the element geometry, the soils, the wells and the heads of the previous cycle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/problem.h"
#include "solver/system_matrix.h"

namespace velkor {

// Element number (1-based) and cycle number (1-based), reported every 1, 10, 100 or 1000
// elements (by the size of NM) and at the last element.
using AssemblyProgress = std::function<void(int32_t element, int32_t cycle)>;

// Elements between two progress reports: 1; 10 above 100 elements; 100 above 1000; 1000 above 10000.
int32_t assemblyProgressInterval(int32_t elementCount);

struct AssemblyResult {
    bool ok = true;
    std::string message; // why the system could not be assembled
};

// Clears the values and the supplies, adds the well discharges, then every element in order.
// heads[i] is the head of node i from the previous cycle (used from cycle 1 on, where an element
// whose mean head lies below its mean top is unconfined). supply receives NN values.
// Refuses an element of zero area (its coefficient would be infinite), naming it, before any
// infinite value reaches the matrix.
AssemblyResult assembleSystem(const Problem& problem, int32_t cycle, const double* heads,
                              SystemMatrix& matrix, std::vector<double>& supply,
                              const AssemblyProgress& progress = {});

} // namespace velkor
