#include "mesh/mesh_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "mesh/mesh_test_support.h"

namespace velkor {
namespace {

int32_t scanForNewNode(const std::vector<Node>& nodes, int32_t first, int32_t end, double x, double y,
                       double t) {
    int32_t found = -1;
    double best = t;
    for (int32_t i = first; i < end; ++i) {
        const double d = std::fabs(nodes[static_cast<std::size_t>(i)].X - x) +
                         std::fabs(nodes[static_cast<std::size_t>(i)].Y - y);
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

// Points on a lattice of a quarter tolerance make exact distance ties and matches across cell
// borders common; some nodes move, as rewritten midpoints do.
TEST(MidpointSearch, AgreesWithTheScanOnTiesBordersAndMoves) {
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const double t = round % 3 == 0 ? 0.5 : (round % 3 == 1 ? 2.0 : 1e-3);
        const int32_t first = 4;
        std::vector<Node> nodes(2000);
        const double corners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
        for (std::size_t i = 0; i < 4; ++i) {
            nodes[i].X = corners[i][0];
            nodes[i].Y = corners[i][1];
        }
        const std::size_t expected = round % 2 ? 10 : 5000; // big cells, or cells of four tolerances
        MidpointSearch search;
        search.start(t, first, expected, nodes, first);
        std::uniform_int_distribution<int> lattice(0, 23);
        auto point = [&](double& x, double& y) {
            // Clustered around a few spots so that many nodes lie within the tolerance.
            const double cx = 10.0 * (random() % 9 + 0.5), cy = 10.0 * (random() % 9 + 0.5);
            x = cx + lattice(random) * (t / 4);
            y = cy + lattice(random) * (t / 4);
        };
        int32_t end = first;
        int agreed = 0;
        for (int step = 0; step < 1500; ++step) {
            double x = 0, y = 0;
            point(x, y);
            const int32_t expectedHit = scanForNewNode(nodes, first, end, x, y, t);
            ASSERT_EQ(search.find(nodes, end, x, y), expectedHit) << "round " << round << " step " << step;
            agreed += expectedHit >= 0;
            if (expectedHit < 0 || random() % 4 == 0) {
                if (end >= static_cast<int32_t>(nodes.size())) break;
                nodes[static_cast<std::size_t>(end)].X = x;
                nodes[static_cast<std::size_t>(end)].Y = y;
                search.add(end, x, y);
                ++end;
            } else {
                nodes[static_cast<std::size_t>(expectedHit)].X = x;
                nodes[static_cast<std::size_t>(expectedHit)].Y = y;
                search.moved(expectedHit, x, y);
            }
        }
        EXPECT_GT(agreed, 100);
    }
}

TEST(MidpointSearch, NonPositiveToleranceFindsNothingAndFarPointsAreSafe) {
    std::vector<Node> nodes(10);
    nodes[1].X = 1e300;
    MidpointSearch never;
    never.start(0, 0, 4, nodes, 2);
    never.add(0, 0, 0);
    EXPECT_EQ(never.find(nodes, 1, 0, 0), -1);

    MidpointSearch far;
    far.start(1e-3, 2, 4, nodes, 2); // a bounding box of 1e300: cells far wider than the tolerance
    nodes[2].X = 5e299;
    far.add(2, 5e299, 0);
    nodes[3].X = NAN;
    far.add(3, NAN, 0);
    EXPECT_EQ(far.find(nodes, 4, 5e299, 0), 2);
    EXPECT_EQ(far.find(nodes, 4, NAN, 0), -1);
}

TEST(EdgeMap, AgreesWithTheScanThroughRewritesAndAppends) {
    std::mt19937 random(11);
    Problem p = test::defaultProblem();
    p.NN = 40;
    p.NM = 0;
    std::uniform_int_distribution<int32_t> node(0, 39);
    for (int e = 0; e < 200; ++e) {
        Element& m = p.elements[static_cast<std::size_t>(p.NM++)];
        m.node[0] = node(random), m.node[1] = node(random), m.node[2] = node(random);
    }
    EdgeMap edges;
    edges.build(p, p.NM);
    for (int step = 0; step < 3000; ++step) {
        const int32_t a = node(random), b = node(random);
        const int32_t skip = static_cast<int32_t>(random() % static_cast<unsigned>(p.NM));
        ASSERT_EQ(edges.neighbour(p, a, b, skip), scanForNeighbour(p, a, b, skip)) << step;
        if (random() % 3 == 0 && p.NM < 1000) {
            Element& m = p.elements[static_cast<std::size_t>(p.NM)];
            m.node[0] = a, m.node[1] = b, m.node[2] = node(random);
            edges.add(p.NM, m);
            ++p.NM;
        } else {
            Element& m = p.elements[static_cast<std::size_t>(skip)];
            edges.remove(skip, m);
            m.node[random() % 3] = node(random);
            edges.add(skip, m);
        }
    }
}

} // namespace
} // namespace velkor
