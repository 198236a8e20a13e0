#include "mesh/block_operations.h"

#include <algorithm>
#include <cmath>

#include "model/table.h"

namespace velkor {

namespace {

const char* const kNodeOrBlockCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes and/or blocks in the problem is too large to add "
    "another node or block.\n\n"
    "The capacity of the program can be increased by increasing the values of "
    "NMAX and BMAX in the Installation Grid of the main window.";

const char* const kBlockCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of blocks in the problem is too large to add another block.\n\n"
    "The capacity of the program can be increased by increasing the value of "
    "BMAX in the Installation Grid of the main window.";

const char* const kNodeInsideBlockMessage = "Node inside block\n\n"
                                            "A new node must be located outside all existing blocks.";

const char* const kNoTriangleMessage = "No triangle created.\n\n"
                                       "A new line must create a new triangular block.";

double diagonal(const Problem& p) {
    return std::sqrt(p.LX * p.LX + p.LY * p.LY);
}

double distance(double x1, double y1, double x2, double y2) {
    return std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
}

// Main nodes and blocks must stay inside their tables; a block also becomes an element.
bool nodeAndBlockFit(const Problem& p) {
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size()), NMAX = static_cast<int32_t>(p.nodes.size());
    if (p.NB > BMAX - 2 || p.NA > NMAX - 1) return false;
    return p.NB >= 0 && idx(p.NB) < p.elements.size();
}

bool blockFits(const Problem& p) {
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size());
    if (p.NB > BMAX - 1) return false;
    return p.NB >= 0 && idx(p.NB) < p.elements.size();
}

bool blockNodesValid(const Problem& p) {
    if (p.NB < 0 || idx(p.NB) > p.blocks.size() || p.NA < 0 || idx(p.NA) > p.nodes.size()) return false;
    for (int32_t b = 0; b < p.NB; ++b)
        for (const int32_t n : p.blocks[idx(b)].node)
            if (n < 0 || n >= p.NA) return false;
    return true;
}

void appendBlock(Problem& p, int32_t a, int32_t b, int32_t c) {
    const int32_t index = p.NB;
    p.blocks[idx(index)] = Block{{a, b, c}, index};
    Element& element = p.elements[idx(index)];
    element.node[0] = a;
    element.node[1] = b;
    element.node[2] = c;
    element.soil = index;
    p.NB = index + 1;
    p.NM = p.NB;
}

// The two other nodes of a block in cyclic order after `node`; false when the block lacks it.
bool othersAfter(const Block& block, int32_t node, int32_t& first, int32_t& second) {
    for (int k = 0; k < 3; ++k) {
        if (block.node[k] == node) {
            first = block.node[(k + 1) % 3];
            second = block.node[(k + 2) % 3];
            return true;
        }
    }
    return false;
}

} // namespace

int32_t pickMainNode(const Problem& p, double x, double y) {
    const int32_t count = std::min<int32_t>(p.NA, static_cast<int32_t>(p.nodes.size()));
    int32_t best = -1;
    double bestDistance = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double d = distance(p.nodes[idx(i)].X, p.nodes[idx(i)].Y, x, y);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    if (best >= 0 && bestDistance < 0.01 * diagonal(p)) return best;
    return -1;
}

void setNewNodeRow(Node& row, double x, double y) {
    row.X = x;
    row.Y = y;
    row.B = 0;
    row.T = 10;
    row.F = 10;
    row.Q = 0;
    row.Type = 0;
}

Result addNodeAndBlock(Problem& p, double x, double y) {
    if (!nodeAndBlockFit(p)) return Result::failed(Outcome::RefusedCapacity, kNodeOrBlockCapacityMessage);
    if (!blockNodesValid(p)) return Result::failed(Outcome::BadInput, {});
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[idx(b)];
        const Node &n1 = p.nodes[idx(block.node[0])], &n2 = p.nodes[idx(block.node[1])],
                   &n3 = p.nodes[idx(block.node[2])];
        if (pointInTriangle(x, y, n1.X, n1.Y, n2.X, n2.Y, n3.X, n3.Y))
            return Result::failed(Outcome::RefusedGeometry, kNodeInsideBlockMessage);
    }
    setNewNodeRow(p.nodes[idx(p.NA)], x, y);
    // The new node joins the side whose midpoint is nearest; ties keep the side met first.
    double best = diagonal(p);
    int32_t first = -1, second = -1;
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[idx(b)];
        for (int s = 0; s < 3; ++s) {
            const Node& u = p.nodes[idx(block.node[s])];
            const Node& v = p.nodes[idx(block.node[(s + 1) % 3])];
            const double d = distance((u.X + v.X) * 0.5, (u.Y + v.Y) * 0.5, x, y);
            if (d < best) {
                best = d;
                first = block.node[s];
                second = block.node[(s + 1) % 3];
            }
        }
    }
    // Without any side nearer than the diagonal (no blocks at all) there is nothing to join.
    if (first < 0) return Result::failed(Outcome::NothingToDo, {});
    appendBlock(p, first, second, p.NA);
    p.NA += 1;
    p.NN = p.NA;
    return {};
}

Result addLineBlock(Problem& p, int32_t start, double x, double y) {
    if (!blockFits(p)) return Result::failed(Outcome::RefusedCapacity, kBlockCapacityMessage);
    if (!blockNodesValid(p)) return Result::failed(Outcome::BadInput, {});
    const int32_t end = pickMainNode(p, x, y);
    if (end < 0 || end == start) return Result::failed(Outcome::NothingToDo, {});
    int32_t third = -1;
    for (int32_t z = 0; z < p.NB; ++z) {
        int32_t a = 0, b = 0;
        if (!othersAfter(p.blocks[idx(z)], start, a, b)) continue;
        for (int32_t w = 0; w < p.NB; ++w) {
            int32_t c = 0, d = 0;
            if (!othersAfter(p.blocks[idx(w)], end, c, d)) continue;
            if (a == c || a == d) third = a;
            if (b == c)
                third = b;
            else if (b == d)
                third = b;
        }
    }
    if (third < 0) return Result::failed(Outcome::RefusedGeometry, kNoTriangleMessage);
    appendBlock(p, start, end, third);
    return {};
}

} // namespace velkor
