// Search structures of the refinement passes. Each answers exactly what a linear scan over the
// tables would answer (same tolerance test, same tie rule), only without visiting every row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/problem.h"

namespace velkor {

// Open-addressing map from a 64-bit key to the head of an intrusive list. Keys are never
// removed: a key whose list ran empty keeps head -1.
class HeadTable {
  public:
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    // Sizes the table for about `expected` keys. False when the memory cannot be had.
    bool reserve(std::size_t expected);
    // Head of the key's list, or nullptr when the key was never inserted.
    int32_t* find(uint64_t key);
    const int32_t* find(uint64_t key) const;
    // Head of the key's list, inserted with head -1 when new; nullptr when the table cannot grow.
    int32_t* findOrInsert(uint64_t key);

  private:
    bool rehash(std::size_t slotCount);
    std::size_t slotOf(uint64_t key) const;

    std::vector<uint64_t> keys_;
    std::vector<int32_t> heads_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

// The new-node search of a refinement pass: among the nodes first .. end-1, the one with the
// smallest |X - x| + |Y - y| strictly below the tolerance, the lower index on equal distance.
//
// Nodes sit in square cells of four times the tolerance, so a match always lies in one of the
// two cells per axis on the near side of the query point. Cells are hashed; a node whose
// coordinates are rewritten is moved to its new cell. Should memory run out, the search falls
// back to the plain scan, which gives the same answer.
class MidpointSearch {
  public:
    // A tolerance that is not a positive number finds nothing; an infinite one is scanned.
    void start(double tolerance, int32_t first, std::size_t expectedNodes);
    int32_t find(const std::vector<Node>& nodes, int32_t end, double x, double y) const;
    // Node `index` (the next one, first + number added so far) now exists at (x, y).
    void add(int32_t index, double x, double y);
    // The coordinates of node `index` were rewritten to (x, y).
    void moved(int32_t index, double x, double y);

  private:
    enum class Mode { Cells, Scan, NeverFound };
    static constexpr uint64_t kNoCell = ~uint64_t{0};

    uint64_t cellKey(double x, double y) const;
    void link(int32_t index, uint64_t key);
    void unlink(int32_t index, uint64_t key);
    void fallBackToScan();

    Mode mode_ = Mode::NeverFound;
    double tolerance_ = 0;
    double cellSize_ = 0;
    int32_t first_ = 0;
    HeadTable cells_;
    std::vector<uint64_t> nodeCell_; // per node from first on: its cell, kNoCell when not finite
    std::vector<int32_t> next_;      // per node from first on: next node of the same cell, -1
};

// The neighbour search: the lowest-indexed element other than `skip`, among 0 .. NM-1, whose
// nodes include both p and q. Every side of every element is listed under its node pair; the
// caller reports each element write (remove before, add after) so the lists stay exact.
class EdgeMap {
  public:
    // Lists the sides of elements 0 .. count-1. False when memory cannot be had (the map then
    // answers by scanning, which is exact but slow).
    bool build(const Problem& problem, int32_t count);
    void remove(int32_t element, const Element& record);
    void add(int32_t element, const Element& record);
    int32_t neighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) const;

  private:
    static uint64_t pairKey(int32_t p, int32_t q);
    void fallBackToScan();

    bool scan_ = false;
    HeadTable pairs_;
    std::vector<int32_t> next_; // per side slot 3 x element + side: next slot of the same pair
};

// The neighbour search as a plain scan over 0 .. NM-1.
int32_t scanForNeighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip);

} // namespace velkor
