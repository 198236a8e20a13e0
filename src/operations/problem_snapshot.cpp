#include "operations/problem_snapshot.h"

#include <algorithm>

#include "model/table.h"

namespace velkor {

namespace {

// Rows [first, first + count) of a table, held to the rows it has.
template <typename Rows, typename Row>
void copyRows(const Rows& table, int32_t first, int32_t count, std::vector<Row>& out) {
    const std::size_t size = table.size();
    const std::size_t begin = std::min<std::size_t>(idx(std::max(first, 0)), size);
    const std::size_t end = std::min<std::size_t>(begin + idx(std::max(count, 0)), size);
    out.assign(table.begin() + begin, table.begin() + end);
}

template <typename Rows, typename Row>
void putRows(Rows& table, int32_t first, const std::vector<Row>& rows) {
    const std::size_t begin = idx(first);
    const std::size_t count = std::min(rows.size(), table.size() - std::min(begin, table.size()));
    std::copy(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count), table.begin() + begin);
}

template <typename Row> void putWhole(std::vector<Row>& table, const std::vector<Row>& rows) {
    std::copy(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(std::min(rows.size(), table.size())),
              table.begin());
}

template <typename Row> uint64_t sizeOf(const std::vector<Row>& rows) {
    return static_cast<uint64_t>(rows.capacity()) * sizeof(Row);
}

} // namespace

ProblemSnapshot ProblemSnapshot::take(const Problem& p, const Footprint& footprint) {
    ProblemSnapshot s;
    s.footprint_ = footprint;
    s.problemName_ = p.problemName;
    s.NA_ = p.NA;
    s.NB_ = p.NB;
    s.NN_ = p.NN;
    s.NM_ = p.NM;
    s.NW_ = p.NW;
    s.NP_ = p.NP;
    s.LX_ = p.LX;
    s.LY_ = p.LY;
    s.TM_ = p.TM;
    s.meanQx_ = p.meanQx;
    s.meanQy_ = p.meanQy;
    s.matrixEntryCount_ = p.matrixEntryCount;
    s.errorLog_ = p.errorLog;
    s.saved_ = p.saved;
    s.warning_ = p.warning;
    s.resultsStale_ = p.resultsStale;
    s.resultsOutOfDate_ = p.resultsOutOfDate;
    s.nodeFirst_ = footprint.allNodes ? 0 : footprint.nodeFirst;
    copyRows(p.nodes, s.nodeFirst_, footprint.allNodes ? p.usedNodeCount() : footprint.nodeCount, s.nodes_);
    s.elementFirst_ = footprint.allElements ? 0 : footprint.elementFirst;
    copyRows(p.elements, s.elementFirst_,
             footprint.allElements ? p.usedElementCount() : footprint.elementCount, s.elements_);
    if (footprint.properties) {
        s.blocks_ = p.blocks;
        s.soils_ = p.soils;
        s.wellNodes_ = p.wellNodes;
        s.wellQ_ = p.wellQ;
        s.particles_ = p.particles;
        s.blockColourIndex_ = p.blockColourIndex;
    }
    return s;
}

ProblemSnapshot ProblemSnapshot::exchange(Problem& problem) {
    ProblemSnapshot present = take(problem, footprint_);
    restore(problem);
    return present;
}

void ProblemSnapshot::restore(Problem& p) const {
    p.problemName = problemName_;
    p.NA = NA_;
    p.NB = NB_;
    p.NN = NN_;
    p.NM = NM_;
    p.NW = NW_;
    p.NP = NP_;
    p.LX = LX_;
    p.LY = LY_;
    p.TM = TM_;
    p.meanQx = meanQx_;
    p.meanQy = meanQy_;
    p.matrixEntryCount = matrixEntryCount_;
    p.errorLog = errorLog_;
    p.saved = saved_;
    p.warning = warning_;
    p.resultsStale = resultsStale_;
    p.resultsOutOfDate = resultsOutOfDate_;
    putRows(p.nodes, nodeFirst_, nodes_);
    putRows(p.elements, elementFirst_, elements_);
    if (footprint_.properties) {
        putWhole(p.blocks, blocks_);
        putWhole(p.soils, soils_);
        putWhole(p.wellNodes, wellNodes_);
        putWhole(p.wellQ, wellQ_);
        putWhole(p.particles, particles_);
        putWhole(p.blockColourIndex, blockColourIndex_);
    }
}

bool ProblemSnapshot::fits(const Problem& p) const {
    // The counts it puts back must lie inside the tables, or an operation would index past them.
    const auto within = [](int64_t count, std::size_t size) { return count <= static_cast<int64_t>(size); };
    if (!within(NN_, p.nodes.size()) || !within(NA_, p.nodes.size()) || !within(NM_, p.elements.size()) ||
        !within(NB_, std::min(p.blocks.size(), p.soils.size())) ||
        !within(NW_, std::min(p.wellNodes.size(), p.wellQ.size())) || !within(NP_, p.particles.size()))
        return false;
    return within(int64_t{nodeFirst_} + static_cast<int64_t>(nodes_.size()), p.nodes.size()) &&
           within(int64_t{elementFirst_} + static_cast<int64_t>(elements_.size()), p.elements.size());
}

uint64_t ProblemSnapshot::bytes() const {
    return sizeof(ProblemSnapshot) + problemName_.capacity() + sizeOf(nodes_) + sizeOf(elements_) +
           sizeOf(blocks_) + sizeOf(soils_) + sizeOf(wellNodes_) + sizeOf(wellQ_) + sizeOf(particles_) +
           sizeOf(blockColourIndex_);
}

} // namespace velkor
