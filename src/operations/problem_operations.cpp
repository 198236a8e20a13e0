#include "operations/problem_operations.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "io/datafile.h"
#include "model/number_text.h"
#include "model/system_memory.h"
#include "model/table.h"
#include "solver/element_velocities.h"

namespace velkor {

namespace {

// A table of `size` rows holding the first `used` rows of `from`.
template <typename Row> Table<Row> carried(const Table<Row>& from, std::size_t size, std::size_t used) {
    Table<Row> to(size);
    std::copy(from.begin(), from.begin() + std::min({used, size, from.size()}), to.begin());
    return to;
}

template <typename Row>
std::vector<Row> carried(const std::vector<Row>& from, std::size_t size, const Row& fill) {
    std::vector<Row> to(size, fill);
    std::copy(from.begin(), from.begin() + std::min(size, from.size()), to.begin());
    return to;
}

} // namespace

Applied openDatafile(Problem& p, const std::string& path) {
    // What a file refused for its size would change: the tables stay, the rest is put back here.
    const std::string fileName = p.fileName, problemName = p.problemName;
    const int32_t NA = p.NA, NB = p.NB, NN = p.NN, NM = p.NM, NW = p.NW, NP = p.NP;
    const double LX = p.LX, LY = p.LY;
    const SavedCounts saved = p.saved;
    Result result = readDatafile(p, path);
    if (!result.ok()) {
        p.fileName = fileName;
        p.problemName = problemName;
        p.NA = NA, p.NB = NB, p.NN = NN, p.NM = NM, p.NW = NW, p.NP = NP;
        p.LX = LX, p.LY = LY;
        p.saved = saved;
        return Applied::nothing(std::move(result));
    }
    // The file is the file: a copy of mine.fem saved as dry.fem is dry.fem.
    p.fileName = cutTo(baseName(path), kNameLength);
    computeElementVelocities(p);
    p.resultsStale = false;
    p.resultsOutOfDate = false;
    return {std::move(result), Change::Problem};
}

Applied startDefaultProblem(Problem& p) {
    p.resetToDefaultProblem();
    p.fileName = "Data1.fem";
    p.problemName = "Default Datafile";
    p.buildColoursAndDefaultSoils();
    p.warning = false;
    p.clearResults();
    p.meanQx = p.meanQy = 0;
    p.resultsOutOfDate = false;
    return {{}, Change::Problem};
}

std::string limitsTooSmall(const Problem& p, const Limits& requested) {
    const Limits l = sanitizedLimits(requested);
    if (std::max(p.NN, p.NA) > l.NMAX)
        return format("The problem has %d nodes, NMAX is %d.", std::max(p.NN, p.NA), l.NMAX);
    if (p.NM > l.MMAX) return format("The problem has %d elements, MMAX is %d.", p.NM, l.MMAX);
    if (p.NB > l.BMAX) return format("The problem has %d blocks, BMAX is %d.", p.NB, l.BMAX);
    if (p.NW > l.BMAX) return format("The problem has %d wells, BMAX is %d.", p.NW, l.BMAX);
    if (p.NP > l.PMAX) return format("The problem has %d particles, PMAX is %d.", p.NP, l.PMAX);
    return {};
}

Applied applyLimits(Problem& p, const Limits& requested) {
    const Limits wanted = sanitizedLimits(requested);
    if (wanted == p.limits) return Applied::nothing();
    if (std::string tooSmall = limitsTooSmall(p, wanted); !tooSmall.empty())
        return Applied::nothing(Result::failed(Outcome::RefusedCapacity, std::move(tooSmall)));
    if (tableBytes(wanted) > availableMemory())
        return Applied::nothing(Result::failed(Outcome::OutOfMemory, kNoMemoryForTablesMessage));
    const auto size = [](int32_t capacity) { return idx(capacity); };
    try {
        Table<Node> nodes = carried(p.nodes, size(wanted.NMAX), size(p.usedNodeCount()));
        Table<Element> elements = carried(p.elements, size(wanted.MMAX), size(p.usedElementCount()));
        std::vector<Block> blocks = carried(p.blocks, size(wanted.BMAX), Block{});
        std::vector<Soil> soils = carried(p.soils, size(wanted.BMAX), Soil{});
        std::vector<int32_t> wellNodes = carried(p.wellNodes, size(wanted.BMAX), int32_t{0});
        std::vector<double> wellQ = carried(p.wellQ, size(wanted.BMAX), 0.0);
        std::vector<Particle> particles = carried(p.particles, size(wanted.PMAX), Particle{});
        std::vector<int32_t> colours = carried(p.blockColourIndex, size(wanted.BMAX), int32_t{0});
        for (std::size_t i = p.blockColourIndex.size(); i < colours.size(); ++i)
            colours[i] = static_cast<int32_t>(i % kColourCount);
        p.nodes.swap(nodes);
        p.elements.swap(elements);
        p.blocks.swap(blocks);
        p.soils.swap(soils);
        p.wellNodes.swap(wellNodes);
        p.wellQ.swap(wellQ);
        p.particles.swap(particles);
        p.blockColourIndex.swap(colours);
    } catch (const std::bad_alloc&) {
        return Applied::nothing(Result::failed(Outcome::OutOfMemory, kNoMemoryForTablesMessage));
    } catch (const std::length_error&) {
        return Applied::nothing(Result::failed(Outcome::OutOfMemory, kNoMemoryForTablesMessage));
    }
    p.limits = wanted;
    return {{}, Change::Installation};
}

Applied applyLimitsWithDefaultProblem(Problem& p, const Limits& limits) {
    if (!p.allocateTables(limits))
        return Applied::nothing(Result::failed(Outcome::OutOfMemory, kNoMemoryForTablesMessage));
    Applied applied = startDefaultProblem(p);
    applied.changed |= Change::Installation;
    return applied;
}

Applied solve(Problem& p, SolveMethod method, Feedback* feedback, SolveReport& report) {
    report = solveProblem(p, method, feedback);
    const Outcome outcome = report.result.outcome;
    if (outcome != Outcome::Done && outcome != Outcome::NotConverged) return Applied::nothing(report.result);
    p.resultsStale = false;
    p.resultsOutOfDate = false;
    return {report.result, Change::Results | Change::NodeValues};
}

} // namespace velkor
