// Assembly of the system for one cycle of the solve command: matrix values and nodal supplies
// from the element geometry, the soils, the wells and the heads of the previous cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"
#include "solver/system_matrix.h"

namespace velkor {

// Elements between two progress reports: 1; 10 above 100 elements; 100 above 1000; 1000 above 10000.
int32_t assemblyProgressInterval(int32_t elementCount);

// Clears the values and the supplies, adds the well discharges, then every element in order.
// heads[i] is the head of node i from the previous cycle (used from cycle 1 on, where an element
// whose mean head lies below its mean top is unconfined). supply receives NN values.
// Refuses an element of zero area (its coefficient would be infinite), naming it, before any
// infinite value reaches the matrix (Outcome::BadInput). Progress (Stage::Assembly: element and
// cycle, both 1-based) goes to the feedback every 1, 10, 100 or 1000 elements, by the size of NM,
// and at the last element; a cancel request seen there ends the assembly (Outcome::Cancelled).
Result assembleSystem(const Problem& problem, int32_t cycle, const double* heads, SystemMatrix& matrix,
                      std::vector<double>& supply, Feedback* feedback = nullptr);

} // namespace velkor
