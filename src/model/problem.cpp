#include "model/problem.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "model/system_memory.h"

namespace velkor {

namespace {
// 5 x NMAX matrix entries are counted in 32 bits; keep every capacity well inside that range.
constexpr int32_t kLargestCapacity = 200'000'000;
} // namespace

Limits sanitizedLimits(const Limits& limits) {
    Limits out = limits;
    out.BMAX = std::clamp(out.BMAX, 1, kLargestCapacity);
    out.NMAX = std::clamp(out.NMAX, 3, kLargestCapacity);
    out.MMAX = std::clamp(out.MMAX, 1, kLargestCapacity);
    out.PMAX = std::clamp(out.PMAX, 0, kLargestCapacity);
    return out;
}

uint64_t tableBytes(const Limits& limits) {
    const auto count = [](int32_t capacity) { return static_cast<uint64_t>(std::max(capacity, 0)); };
    const uint64_t perBlock =
        sizeof(Block) + sizeof(Soil) + sizeof(int32_t) + sizeof(double) + sizeof(int32_t);
    return count(limits.NMAX) * sizeof(Node) + count(limits.MMAX) * sizeof(Element) +
           count(limits.BMAX) * perBlock + count(limits.PMAX) * sizeof(Particle);
}

Problem Problem::copyWithRowsInUse() const {
    Problem copy;
    copy.fileName = fileName;
    copy.problemName = problemName;
    copy.userName = userName;
    copy.NA = NA, copy.NB = NB, copy.NN = NN, copy.NM = NM, copy.NW = NW, copy.NP = NP;
    copy.LX = LX, copy.LY = LY, copy.TM = TM;
    copy.limits = limits;
    copy.nodes = Table<Node>::copyOfRows(nodes, idx(usedNodeCount()));
    copy.blocks = blocks;
    copy.soils = soils;
    copy.elements = Table<Element>::copyOfRows(elements, idx(usedElementCount()));
    copy.wellNodes = wellNodes;
    copy.wellQ = wellQ;
    copy.particles = particles;
    copy.blockColourIndex = blockColourIndex;
    copy.colourTable = colourTable;
    copy.meanQx = meanQx, copy.meanQy = meanQy;
    copy.matrixEntryCount = matrixEntryCount;
    copy.errorLog = errorLog;
    copy.saved = saved;
    copy.warning = warning;
    copy.preconditioner = preconditioner;
    copy.resultsStale = resultsStale;
    copy.resultsOutOfDate = resultsOutOfDate;
    copy.tablesAllocated = tablesAllocated;
    return copy;
}

bool Problem::allocateTables(const Limits& requested) {
    return allocateTables(requested, availableMemory());
}

bool Problem::allocateTables(const Limits& requested, uint64_t memory) {
    const Limits wanted = sanitizedLimits(requested);
    // Checked before anything is allocated: a table that the system cannot hold at full capacity
    // would end the program, without a message, once the mesh grows into it.
    if (tableBytes(wanted) > memory) return false;
    try {
        Table<Node> newNodes(idx(wanted.NMAX));
        std::vector<Block> newBlocks(idx(wanted.BMAX));
        std::vector<Soil> newSoils(idx(wanted.BMAX));
        Table<Element> newElements(idx(wanted.MMAX));
        std::vector<int32_t> newWellNodes(idx(wanted.BMAX));
        std::vector<double> newWellQ(idx(wanted.BMAX));
        std::vector<Particle> newParticles(idx(wanted.PMAX));
        std::vector<int32_t> newColourIndex(idx(wanted.BMAX));
        nodes.swap(newNodes);
        blocks.swap(newBlocks);
        soils.swap(newSoils);
        elements.swap(newElements);
        wellNodes.swap(newWellNodes);
        wellQ.swap(newWellQ);
        particles.swap(newParticles);
        blockColourIndex.swap(newColourIndex);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    limits = wanted;
    NA = NB = NN = NM = NW = NP = 0;
    tablesAllocated = true;
    return true;
}

void Problem::releaseTables() {
    nodes = {};
    blocks = {};
    soils = {};
    elements = {};
    wellNodes = {};
    wellQ = {};
    particles = {};
    blockColourIndex = {};
    NA = NB = NN = NM = NW = NP = 0;
    tablesAllocated = false;
}

void Problem::resetToDefaultProblem() {
    NA = 3;
    NB = 1;
    NN = 3;
    NM = 1;
    NW = 0;
    NP = 0;
    LX = 2000;
    LY = 1000;
    TM = 365;
    copyCountsToSaved();

    auto setNode = [this](int i, double x, double y, double f, int32_t type) {
        Node& node = nodes[idx(i)];
        node.X = x;
        node.Y = y;
        node.B = 0;
        node.T = 10;
        node.F = f;
        node.Q = 0;
        node.Type = type;
    };
    setNode(0, 0, 0, 20, 1);
    setNode(1, 0, 0.5 * LY, 20, 1);
    setNode(2, 0.25 * LX, 0, 10, 0);

    blocks[0] = Block{{0, 1, 2}, 0};
    Element& element = elements[0];
    element.node[0] = 0;
    element.node[1] = 1;
    element.node[2] = 2;
    element.soil = 0;
}

std::array<uint32_t, kColourCount> buildColourTable() {
    std::array<uint32_t, kColourCount> table{};
    // Each unit is the palette-relative flag 2 in the top byte plus 8 in one colour byte.
    const uint32_t U1 = 34078720u, U2 = 33556480u, U3 = 33554440u;
    uint32_t a = 1, b = 1, c = 30;
    std::size_t k = 0;
    for (int repeat = 0; repeat < 85; ++repeat) {
        table[k++] = a * U1 + b * U2 + c * U3;
        table[k++] = a * U3 + b * U1 + c * U2;
        table[k++] = a * U2 + b * U3 + c * U1;
        int32_t ia = static_cast<int32_t>(a) + 5;
        if (ia > 31) ia -= 31;
        if (ia < 1) ia = 1;
        int32_t ib = static_cast<int32_t>(b) + 2;
        if (ib > 31) ib -= 31;
        if (ib < 1) ib = 1;
        int32_t ic = 32 - ia - ib;
        if (ic < 1) ic = 1;
        a = static_cast<uint32_t>(ia);
        b = static_cast<uint32_t>(ib);
        c = static_cast<uint32_t>(ic);
    }
    return table;
}

void Problem::buildColoursAndDefaultSoils() {
    colourTable = buildColourTable();
    for (std::size_t i = 0; i < blockColourIndex.size(); ++i)
        blockColourIndex[i] = static_cast<int32_t>(i % kColourCount);
    for (Soil& soil : soils)
        soil = Soil{1.0, 0.4, 1.0, 0.0};
}

uint32_t Problem::blockColour(int32_t block) const {
    int32_t index = block % kColourCount;
    if (block >= 0 && idx(block) < blockColourIndex.size()) index = blockColourIndex[idx(block)];
    if (index < 0 || index >= kColourCount) index = 0;
    return colourTable[idx(index)] & 0x00FFFFFFu;
}

void Problem::clearResults() {
    const int32_t count = usedElementCount();
    for (int32_t m = 0; m < count; ++m) {
        Element& e = elements[idx(m)];
        e.qx = e.qy = e.spare = e.bottomSlopeFlow = e.topSlopeFlow = 0;
    }
    resultsStale = false;
}

void Problem::copyCountsToSaved() {
    saved.NN = NN;
    saved.NM = NM;
    saved.NB = NB;
    saved.NA = NA;
    saved.NW = NW;
    saved.NP = NP;
    saved.LX = LX;
    saved.LY = LY;
}

void Problem::restoreCountsFromSaved() {
    NN = saved.NN;
    NM = saved.NM;
    NB = saved.NB;
    NA = saved.NA;
    NW = saved.NW;
    NP = saved.NP;
    LX = saved.LX;
    LY = saved.LY;
}

bool pointInTriangle(double x, double y, double x1, double y1, double x2, double y2, double x3, double y3) {
    const double small = 1e-5 * 1e-5;
    const double epsilon = small * small;
    const double s1 = (y - y1) * (x2 - x1) + (x - x1) * (y1 - y2);
    const double s2 = (y - y2) * (x3 - x2) + (x - x2) * (y2 - y3);
    const double s3 = (y - y3) * (x1 - x3) + (x - x3) * (y3 - y1);
    return s1 * s2 > -epsilon && s2 * s3 > -epsilon && s3 * s1 > -epsilon;
}

int32_t pointInElement(const Problem& problem, double x, double y, int32_t element) {
    const Element& e = problem.elements[idx(element)];
    const Node& a = problem.nodes[idx(e.node[0])];
    const Node& b = problem.nodes[idx(e.node[1])];
    const Node& c = problem.nodes[idx(e.node[2])];
    return pointInTriangle(x, y, a.X, a.Y, b.X, b.Y, c.X, c.Y) ? element : -1;
}

std::string baseName(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos) return std::string(path);
    return std::string(path.substr(cut + 1));
}

std::string workingDirectory() {
    std::error_code error;
    std::filesystem::path here = std::filesystem::current_path(error);
    if (error) return ".";
    return here.string();
}

} // namespace velkor
