// The refinement operations against their plain-scan versions on random block layouts and random
// sequences of operations: node tables, element tables and well lists must agree to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "mesh/mesh_test_support.h"
#include "mesh/refinement.h"

namespace velkor {
namespace {

using test::defaultProblem;
using test::firstDifference;

// A jittered grid of nx x ny cells, each cut into two blocks along a random diagonal, blocks in
// random order and with random corner order. `tangle` adds a copy of a block, so that a side is
// shared by three elements.
Problem randomLayout(std::mt19937& random, const Limits& limits, bool tangle) {
    Problem p = defaultProblem(limits);
    std::uniform_int_distribution<int> cells(1, 3), coin(0, 1), small(0, 2);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3), level(0, 20);
    const int nx = cells(random), ny = cells(random);
    p.LX = 100.0 * nx;
    p.LY = 100.0 * ny;
    const bool regular = coin(random) == 0;
    p.NA = 0;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            Node& n = p.nodes[static_cast<std::size_t>(p.NA++)];
            const bool inner = i > 0 && i < nx && j > 0 && j < ny;
            n = Node{};
            n.X = 100.0 * (i + (inner && !regular ? jitter(random) : 0));
            n.Y = 100.0 * (j + (inner && !regular ? jitter(random) : 0));
            n.B = level(random) - 20;
            n.T = level(random);
            n.F = level(random);
            n.Type = small(random) == 0 ? 0 : 1;
        }
    p.NN = p.NA;
    std::vector<Block> blocks;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const int32_t a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
            if (coin(random)) {
                blocks.push_back(Block{{a, b, c}, 0});
                blocks.push_back(Block{{a, c, d}, 0});
            } else {
                blocks.push_back(Block{{a, b, d}, 0});
                blocks.push_back(Block{{b, c, d}, 0});
            }
        }
    if (tangle) blocks.push_back(blocks[static_cast<std::size_t>(random() % blocks.size())]);
    std::shuffle(blocks.begin(), blocks.end(), random);
    p.NB = 0;
    for (Block& block : blocks) {
        std::rotate(block.node, block.node + small(random), block.node + 3);
        if (coin(random)) std::swap(block.node[1], block.node[2]);
        block.soil = p.NB;
        p.blocks[static_cast<std::size_t>(p.NB++)] = block;
    }
    resetMesh(p);
    return p;
}

TEST(FastAgreesWithPlainScans, RandomLayoutsAndOperationSequences) {
    std::mt19937 random(20261207);
    int operations = 0;
    for (int layout = 0; layout < 150; ++layout) {
        Limits limits;
        limits.BMAX = 64;
        // Some layouts run into the capacity on the way, to hold the stopping rules against each other.
        limits.NMAX = (layout % 3 == 0) ? 150 + static_cast<int32_t>(random() % 400) : 20000;
        limits.MMAX = (layout % 3 == 0) ? 250 + static_cast<int32_t>(random() % 600) : 40000;
        Problem fast = randomLayout(random, limits, layout % 5 == 4);
        Problem slow = fast;
        std::uniform_int_distribution<int> pick(0, 5);
        for (int step = 0; step < 6; ++step) {
            const int what = pick(random);
            std::string label;
            Result a, b;
            if (what <= 1 && fast.NM < 6000) {
                label = "split4";
                a = splitAllInFour(fast);
                b = test::byScans::splitAllInFour(slow);
            } else if (what <= 3) {
                label = "split2";
                a = splitAllInTwo(fast);
                b = test::byScans::splitAllInTwo(slow);
            } else {
                // Inside, on nodes, or outside the area now and then.
                std::uniform_real_distribution<double> x(-0.05 * fast.LX, 1.05 * fast.LX);
                std::uniform_real_distribution<double> y(-0.05 * fast.LY, 1.05 * fast.LY);
                double px = x(random), py = y(random);
                if (what == 5 && fast.NN > 0) {
                    const Node& n = fast.nodes[static_cast<std::size_t>(random() % fast.NN)];
                    px = n.X, py = n.Y;
                }
                label = "addwell";
                a = addWell(fast, px, py);
                b = test::byScans::addWell(slow, px, py);
            }
            ++operations;
            ASSERT_EQ(a.message, b.message) << "layout " << layout << " step " << step << " " << label;
            ASSERT_EQ(firstDifference(fast, slow), "")
                << "layout " << layout << " step " << step << " " << label;
            ASSERT_TRUE(meshTablesAreSound(fast));
        }
    }
    EXPECT_GT(operations, 800);
}

// Split 2 passes that outgrow twice their start, with the element table cut just above twice the
// count: both versions must stop at the same element.
TEST(FastAgreesWithPlainScans, SplitTwoStopsAtTheSameElement) {
    std::mt19937 random(77);
    int stops = 0;
    for (int layout = 0; layout < 120; ++layout) {
        Limits limits;
        limits.BMAX = 64;
        Problem fast = randomLayout(random, limits, layout % 4 == 3);
        for (int step = 0; step < 1 + layout % 3; ++step) {
            if (random() % 2)
                splitAllInTwo(fast);
            else
                splitAllInFour(fast);
        }
        const int32_t cut = 2 * fast.NM + static_cast<int32_t>(random() % 3);
        fast.limits.MMAX = cut;
        fast.elements.resize(static_cast<std::size_t>(cut));
        Problem slow = fast;
        const int32_t before = fast.NM;
        const Result a = splitAllInTwo(fast);
        const Result b = test::byScans::splitAllInTwo(slow);
        ASSERT_EQ(a.message, b.message) << "layout " << layout;
        ASSERT_EQ(firstDifference(fast, slow), "") << "layout " << layout;
        ASSERT_TRUE(meshTablesAreSound(fast));
        if (!a.message.empty() && before <= cut / 2) ++stops;
    }
    EXPECT_GT(stops, 10);
}

} // namespace
} // namespace velkor
