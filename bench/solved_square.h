// A generated solved problem for the benchmarks: a square of 1000 m with n x n cells of two
// triangles, heads falling linearly from 20 m to 10 m along x, unconfined (top above the heads),
// the element velocities of those heads, and particles spread along the inflow side.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "model/problem.h"
#include "solver/element_velocities.h"

namespace velkor::bench {

inline void makeSolvedSquare(Problem& problem, int n, int particles) {
    Limits limits;
    limits.NMAX = (n + 1) * (n + 1);
    limits.MMAX = 2 * n * n;
    limits.PMAX = particles > 0 ? particles : 1;
    if (!problem.allocateTables(limits)) {
        std::fprintf(stderr, "not enough memory for %d cells per side\n", n);
        std::exit(1);
    }
    problem.NN = limits.NMAX;
    problem.NM = limits.MMAX;
    problem.NB = 1;
    problem.NP = 0;
    problem.NW = 0;
    problem.TM = 2000;
    problem.soils[0] = Soil{1, 0.4, 1, 0};
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(i * (n + 1) + j)];
            node.X = 1000.0 * i / n;
            node.Y = 1000.0 * j / n;
            node.B = 0;
            node.T = 30;
            node.F = 20 - 10 * node.X / 1000;
        }
    std::size_t m = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const int32_t a = i * (n + 1) + j, b = (i + 1) * (n + 1) + j, c = b + 1, d = a + 1;
            problem.elements[m++] = Element{{a, b, c}, 0, 0, 0, 0, 0, 0};
            problem.elements[m++] = Element{{a, c, d}, 0, 0, 0, 0, 0, 0};
        }
    computeElementVelocities(problem);
    for (int p = 0; p < particles; ++p)
        problem.particles[static_cast<std::size_t>(problem.NP++)] =
            Particle{5, 5 + 990.0 * p / particles, 8, -1};
}

// The sides x = 0 and x = 1000 prescribed, with the discharges of the linear head (K H = 30,
// gradient 0.01: 0.3 m2/d across 1000 m, shared between the nodes of each side).
inline void prescribeEnds(Problem& problem, int n) {
    const double perNode = 0.3 * 1000 / n;
    for (int32_t i = 0; i < problem.NN; ++i) {
        Node& node = problem.nodes[static_cast<std::size_t>(i)];
        if (node.X == 0 || node.X == 1000) {
            node.Type = 1;
            node.Q = (node.X == 0 ? perNode : -perNode);
        }
    }
}

} // namespace velkor::bench
