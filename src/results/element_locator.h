// Finding the element that holds a point, with exactly the answers of the linear searches of the
// particle tracker but at a cost that does not grow with the number of elements.
//
// The tracker asks two questions. The element search around a start element s tests elements in
// the order s, s+1, s-1, s+2, s-2, ... and takes the first that holds the point; the placement of a
// particle probes in passes j = 0, 1, ... the elements j, NM/2 + j, NM/2 - j and NM - 1 - j. Both
// are "the holding element of lowest rank" for a rank that depends only on the element index. The
// locator keeps every element in a loose multi-level grid of cells, so the elements that can hold
// a point are a handful of candidates; of those that pass the point-in-element test the one of
// lowest rank is the answer.
//
// A candidate is registered with its bounding box grown by a margin in which the point-in-element
// test (with its tolerance and its rounding) can still say "inside". The margin is proved for
// triangles of sensible shape and size; slivers, degenerate and non-finite triangles are kept in
// a short list that every query tests one by one, and points very far from the mesh fall back to
// the plain scan. The answers are therefore the same as those of the scans in every case.
#pragma once

#include <cstdint>
#include <vector>

#include "model/problem.h"

namespace velkor {

class ElementLocator {
  public:
    // Indexes elements 0..NM-1 of the problem as they are now; the problem must outlive the
    // locator and its nodes and elements must not change while it is used.
    explicit ElementLocator(const Problem& problem);

    // The element that the walk outward from start reaches first (s, s+1, s-1, ...), or -1.
    int32_t elementAround(double x, double y, int32_t start) const;
    // The element that the placement probes reach first, or -1.
    int32_t elementForPlacement(double x, double y) const;

    int32_t elementCount() const { return count_; }
    // Elements tested on every query (slivers, degenerate or non-finite corners).
    std::size_t irregularCount() const { return irregular_.size(); }

  private:
    template <class Rank> int32_t lowestRank(double x, double y, Rank rank) const;
    bool holds(int32_t element, double x, double y) const;

    const Problem& problem_;
    int32_t count_ = 0;
    std::vector<uint8_t> usable_; // 1 when all three node indices lie in the node table

    // Grid: level l has cells of size cell0_ * 2^l; an element sits in the cell of the lower left
    // corner of its grown box at the level where that box is at most one cell wide.
    double originX_ = 0, originY_ = 0, cell0_ = 1;
    double nearMinX_ = 0, nearMinY_ = 0, nearMaxX_ = 0, nearMaxY_ = 0; // region answered by the grid
    uint64_t levelsUsed_ = 0;
    struct Candidate {
        double x[3], y[3]; // corner coordinates, copied
        int32_t element;
    };
    std::vector<Candidate> candidates_; // grouped by cell, ascending element within a cell
    struct Slot {
        uint64_t key;
        int32_t begin, end; // run of the cell in candidates_
    };
    static constexpr uint64_t kEmptySlot = ~uint64_t{0};
    std::size_t slotMask_ = 0;
    std::vector<Slot> slots_;        // open addressing on the cell key
    std::vector<int32_t> irregular_; // ascending
    struct DenseLevel {
        bool present = false;
        int64_t ixMin = 0, iyMin = 0, nx = 0, ny = 0;
        std::vector<int32_t> begin; // nx * ny + 1 offsets into candidates_, cell (ix, iy) at ix * ny + iy
    };
    DenseLevel dense_[32];

    std::size_t slotOf(uint64_t key) const;
    const Slot* cellOf(uint64_t key) const; // nullptr for an empty cell
};

// The searches as plain scans, for tests and benchmarks.
int32_t walkElementAround(const Problem& problem, double x, double y, int32_t start);
int32_t probeElementForPlacement(const Problem& problem, double x, double y);

// True when the element's three node indices lie within the used node table.
bool elementNodesUsable(const Problem& problem, int32_t element);

} // namespace velkor
