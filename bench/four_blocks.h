// Four blocks over the default area - an off-centre node joined to the corners - the start of the
// refinement benchmarks' meshes.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "mesh/refinement.h"
#include "model/problem.h"

namespace velkor::bench {

// The tables for the limits (when there are none yet), then the four blocks as the element mesh.
inline void fourBlocks(Problem& p, const Limits& limits) {
    if (!p.tablesAllocated && !p.allocateTables(limits)) {
        std::fprintf(stderr, "cannot allocate the tables\n");
        std::exit(1);
    }
    p.resetToDefaultProblem();
    const double xy[5][2] = {{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}, {1130.7, 487.3}};
    for (int i = 0; i < 5; ++i) {
        Node& n = p.nodes[static_cast<std::size_t>(i)];
        n = Node{};
        n.X = xy[i][0];
        n.Y = xy[i][1];
        n.T = 10;
        n.F = i < 2 ? 20 : 10;
        n.Type = i < 4 ? 1 : 0;
    }
    p.NA = p.NN = 5;
    for (int32_t b = 0; b < 4; ++b)
        p.blocks[static_cast<std::size_t>(b)] = Block{{b, (b + 1) % 4, 4}, b};
    p.NB = 4;
    resetMesh(p);
}

} // namespace velkor::bench
