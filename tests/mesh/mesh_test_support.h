// Helpers of the mesh tests: problems to start from, compact views of the tables, and the
// refinement operations written as plain scans to hold the fast ones against.
#pragma once

#include "default_problem.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/refinement.h"
#include "model/problem.h"

namespace velkor::test {

using Corners = std::array<int32_t, 3>;

// The default problem with its colours and soils, for the given limits.

// Element corners, 1-based as on screen.
std::vector<Corners> elementCorners(const Problem& p);

// First difference between the node tables, element tables and well lists of two problems, or
// an empty text when they agree field for field.
std::string firstDifference(const Problem& a, const Problem& b);

namespace byScans {
// Split 4, Split 2, Add Well and the renumberings, searching by scans over the tables.
Result splitAllInFour(Problem& p);
Result splitAllInTwo(Problem& p);
Result addWell(Problem& p, double x, double y);
void renumberNodes(Problem& p);
void renumberElements(Problem& p);
// The carried heapsort over key[first .. last], perm carried along, one step at a time.
void heapsort(std::vector<double>& key, std::vector<int32_t>& perm, int32_t first, int32_t last);
} // namespace byScans

} // namespace velkor::test
