// A generated square mesh for the solver benchmarks: side x side cells of two triangles each over a
// square of the given length, the four corners as the main nodes (numbered first), the other nodes
// and the elements ordered by the program's renumbering.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "mesh/refinement.h"
#include "model/problem.h"

namespace velkor::bench {

// Tables for the limits, or the end of the benchmark.
inline void allocateOrExit(Problem& p, const Limits& limits) {
    if (!p.allocateTables(limits)) {
        std::fprintf(stderr, "cannot allocate the tables\n");
        std::exit(1);
    }
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
}

// values(node, i, j) sets B, T, F and Type of grid point (i, j), whose X and Y are set. A well
// placed at wellAt (i, j) pumps wellQ (no well when wellQ is 0). One block and soil.
inline Problem squareGrid(int32_t side, double length,
                          const std::function<void(Node&, int32_t, int32_t)>& values,
                          std::pair<int32_t, int32_t> wellAt = {0, 0}, double wellQ = 0) {
    const int32_t nodes = (side + 1) * (side + 1);
    Limits limits;
    limits.NMAX = nodes + 8;
    limits.MMAX = 2 * side * side + 8;
    Problem p;
    allocateOrExit(p, limits);
    const double h = length / side;
    auto natural = [side](int32_t i, int32_t j) { return i * (side + 1) + j; };
    const int32_t corners[4] = {natural(0, 0), natural(side, 0), natural(side, side), natural(0, side)};
    std::vector<int32_t> number(static_cast<std::size_t>(nodes));
    int32_t next = 4;
    for (int32_t k = 0; k < nodes; ++k) {
        const int32_t* corner = std::find(corners, corners + 4, k);
        number[static_cast<std::size_t>(k)] =
            corner != corners + 4 ? static_cast<int32_t>(corner - corners) : next++;
    }
    auto at = [&](int32_t i, int32_t j) { return number[static_cast<std::size_t>(natural(i, j))]; };
    for (int32_t i = 0; i <= side; ++i)
        for (int32_t j = 0; j <= side; ++j) {
            Node& n = p.nodes[static_cast<std::size_t>(at(i, j))];
            n = Node{};
            n.X = i * h;
            n.Y = j * h;
            values(n, i, j);
        }
    int32_t m = 0;
    for (int32_t i = 0; i < side; ++i)
        for (int32_t j = 0; j < side; ++j) {
            p.elements[static_cast<std::size_t>(m++)] =
                Element{{at(i, j), at(i + 1, j), at(i + 1, j + 1)}, 0};
            p.elements[static_cast<std::size_t>(m++)] =
                Element{{at(i, j), at(i + 1, j + 1), at(i, j + 1)}, 0};
        }
    p.NA = 4;
    p.NB = 1;
    p.NN = nodes;
    p.NM = m;
    if (wellQ != 0) {
        p.NW = 1;
        p.wellNodes[0] = at(wellAt.first, wellAt.second);
        p.wellQ[0] = wellQ;
    }
    renumberNodes(p);
    renumberElements(p);
    return p;
}

} // namespace velkor::bench
