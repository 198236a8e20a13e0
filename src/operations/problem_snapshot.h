// A copy of part of the problem, to go back to: the way an undoable step keeps the state on the
// other side of it. A step names its footprint - the rows and tables the operation may write - and
// only those are copied, so a typed value costs one row while a Split keeps the whole mesh.
//
// Undo and Redo are one and the same exchange: the snapshot takes the present state of its
// footprint and puts back the one it held, so a step only ever holds the state it is not in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace velkor {

// The rows and tables an operation may write. The general data (names, counts, sizes, derived
// values, flags) always belong to it; the file name never does (it names the file, not the
// problem).
struct Footprint {
    bool allNodes = false; // every node row in use when the copy is taken
    int32_t nodeFirst = 0, nodeCount = 0;
    bool allElements = false; // every element row in use when the copy is taken
    int32_t elementFirst = 0, elementCount = 0;
    bool properties = false; // blocks, soils, wells, particles and block colours, each whole

    // Everything an operation on the mesh may touch: nodes, elements and the small tables.
    static Footprint whole() { return {true, 0, 0, true, 0, 0, true}; }
    static Footprint generalOnly() { return {}; }
    static Footprint nodeRows(int32_t first, int32_t count) {
        return {false, first, count, false, 0, 0, false};
    }
    static Footprint allNodeRows() { return {true, 0, 0, false, 0, 0, false}; }
    static Footprint propertyTables() { return {false, 0, 0, false, 0, 0, true}; }
    Footprint& withAllElements() {
        allElements = true;
        return *this;
    }
};

class ProblemSnapshot {
  public:
    ProblemSnapshot() = default;

    // Copies the footprint's part of the problem. Throws std::bad_alloc when the copy cannot be
    // had (the caller decides what to do without a way back).
    static ProblemSnapshot take(const Problem& problem, const Footprint& footprint);

    // Puts the copied part back and hands out the part it replaced, taken with the same footprint:
    // the state on the other side. Throws std::bad_alloc before anything is changed.
    ProblemSnapshot exchange(Problem& problem);

    // Puts the copied part back, keeping nothing of the present: for an operation that was refused.
    void restore(Problem& problem) const;

    // Whether the copy fits the tables the problem has now (capacities may have changed since).
    bool fits(const Problem& problem) const;

    // Memory held, in bytes.
    uint64_t bytes() const;

  private:
    Footprint footprint_;
    // General data.
    std::string problemName_;
    int32_t NA_ = 0, NB_ = 0, NN_ = 0, NM_ = 0, NW_ = 0, NP_ = 0;
    double LX_ = 0, LY_ = 0, TM_ = 0;
    double meanQx_ = 0, meanQy_ = 0;
    int32_t matrixEntryCount_ = 0;
    double errorLog_ = 0;
    SavedCounts saved_;
    bool warning_ = false, resultsStale_ = false, resultsOutOfDate_ = false;
    // Rows.
    int32_t nodeFirst_ = 0, elementFirst_ = 0;
    std::vector<Node> nodes_;
    std::vector<Element> elements_;
    // Small tables, whole.
    std::vector<Block> blocks_;
    std::vector<Soil> soils_;
    std::vector<int32_t> wellNodes_;
    std::vector<double> wellQ_;
    std::vector<Particle> particles_;
    std::vector<int32_t> blockColourIndex_;
};

} // namespace velkor
