// Search structures of the refinement passes. Each answers exactly what a linear scan over the
// tables would answer (same tolerance test, same tie rule), only without visiting every row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/problem.h"

namespace velkor {

// The new-node search of a refinement pass: among the nodes first .. end-1, the one with the
// smallest |X - x| + |Y - y| strictly below the tolerance, the lower index on equal distance.
//
// Nodes sit in a grid of square cells over the bounding box of the mesh (every midpoint lies in
// it), cells at least four tolerances wide, so a match always lies in one of two cells per axis.
// Cells are stored column by column: the elements are visited in x order, and so are the cells.
// A node whose coordinates are rewritten moves to its new cell. Where the coordinates are too
// large for the cell arithmetic to be exact, or memory runs out, the search scans the nodes,
// which gives the same answer.
class MidpointSearch {
  public:
    // Nodes 0 .. count-1 give the bounding box. A tolerance that is not a positive number finds
    // nothing.
    void start(double tolerance, int32_t first, std::size_t expectedNodes, std::span<const Node> nodes,
               int32_t count);
    int32_t find(std::span<const Node> nodes, int32_t end, double x, double y) const;
    // Node `index` (the next one, first + number added so far) now exists at (x, y).
    void add(int32_t index, double x, double y);
    // The coordinates of node `index` were rewritten to (x, y).
    void moved(int32_t index, double x, double y);

  private:
    enum class Mode { Cells, Scan, NeverFound };
    static constexpr int32_t kNoCell = -1;

    int64_t column(double x) const;
    int64_t row(double y) const;
    int32_t cellOf(double x, double y) const;
    void link(int32_t index, int32_t cell);
    void unlink(int32_t index, int32_t cell);
    void fallBackToScan();

    Mode mode_ = Mode::NeverFound;
    double tolerance_ = 0;
    double cellSize_ = 0;
    int64_t firstColumn_ = 0, firstRow_ = 0, columns_ = 0, rows_ = 0;
    int32_t first_ = 0;
    std::vector<int32_t> heads_;    // per cell, column by column: first node in it, -1
    std::vector<int32_t> nodeCell_; // per node from first on: its cell, kNoCell when not finite
    std::vector<int32_t> next_;     // per node from first on: next node of the same cell, -1
};

// The neighbour search: the lowest-indexed element other than `skip`, among 0 .. NM-1, whose
// nodes include both p and q. Every side of every element is listed under the lower of its two
// nodes; the caller reports each element write (remove before, add after) so the lists stay exact.
class EdgeMap {
  public:
    // Lists the sides of elements 0 .. count-1. Should memory run out (here or later), the map
    // answers by scanning, which is exact but slow.
    void build(const Problem& problem, int32_t count);
    void remove(int32_t element, const Element& record);
    void add(int32_t element, const Element& record);
    int32_t neighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) const;

  private:
    void fallBackToScan();

    bool scan_ = false;
    std::vector<int32_t> heads_; // per node: first side slot whose lower node it is, -1
    std::vector<int32_t> upper_; // per side slot 3 x element + side: the higher node of the side
    std::vector<int32_t> next_;  // per side slot: next slot of the same lower node, -1
};

// The neighbour search as a plain scan over 0 .. NM-1.
int32_t scanForNeighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip);

} // namespace velkor
