// The mesh as an editor operation found it, to put back when the operation is refused. Every
// mesh operation ends in renumbering, and the heapsort of the renumbering reorders nodes and
// elements of equal key even in a mesh that is in order already: without the copy a refused
// click would shuffle the numbers (and leave the element results, which renumbering does not
// move, on other elements), and a pass stopped part-way would leave some elements split.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/problem.h"

namespace velkor {

class MeshSnapshot {
  public:
    // Copies the node rows, element corners and soils, the well list and the counts. False when
    // the memory for the copy cannot be had (the operation then runs without a way back).
    bool take(const Problem& problem);

    // The index a node at exactly (x, y) had: the first such node.
    int32_t formerIndexAt(double x, double y) const;

    // Node rows, element corners and soils and the well list as they were; the counts, the
    // restore point and the results-stale flag too.
    void restore(Problem& problem) const;
    // The same, but the counts stay: for an operation that added wells and nothing else, whose
    // new well entries are left for the caller to set.
    void restoreOrder(Problem& problem) const;

  private:
    std::vector<Node> nodes_;
    std::vector<std::array<int32_t, 4>> corners_;
    std::vector<int32_t> wells_;
    int32_t NN_ = 0, NM_ = 0, NW_ = 0, savedNN_ = 0, savedNM_ = 0;
    bool resultsStale_ = false;
};

} // namespace velkor
