#include "mesh/block_operations.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/datafile.h"
#include "mesh/mesh_test_support.h"
#include "mesh/refinement.h"

namespace velkor {
namespace {

using test::defaultProblem;

// Main nodes at the given points, no blocks yet.
Problem withMainNodes(std::initializer_list<std::pair<double, double>> points,
                      const Limits& limits = Limits{}) {
    Problem p = defaultProblem(limits);
    p.NA = 0;
    for (const auto& [x, y] : points) {
        Node& n = p.nodes[static_cast<std::size_t>(p.NA++)];
        n = Node{};
        n.X = x;
        n.Y = y;
    }
    p.NN = p.NA;
    p.NB = 0;
    resetMesh(p);
    return p;
}

void addBlock(Problem& p, int32_t a, int32_t b, int32_t c) {
    p.blocks[static_cast<std::size_t>(p.NB)] = Block{{a, b, c}, p.NB};
    ++p.NB;
    resetMesh(p);
}

Block blockAt(const Problem& p, int32_t b) {
    return p.blocks[static_cast<std::size_t>(b)];
}

TEST(PickMainNode, NearestWithinOnePercentOfTheDiagonalLowerIndexOnTies) {
    Problem p = withMainNodes({{100, 100}, {120, 100}, {500, 500}});
    EXPECT_EQ(pickMainNode(p, 110, 100), 0); // exactly between nodes 1 and 2
    EXPECT_EQ(pickMainNode(p, 119, 100), 1);
    // Diagonal of 2000 x 1000 is 2236.07: 22.36 m reaches, 22.4 does not.
    EXPECT_EQ(pickMainNode(p, 500, 522.3), 2);
    EXPECT_EQ(pickMainNode(p, 500, 522.4), -1);
}

TEST(NewNode, PointOnASideIsInsideAndRefused) {
    Problem p = defaultProblem();
    const Result result = addNodeAndBlock(p, 250, 250);
    EXPECT_EQ(result.outcome, Outcome::RefusedGeometry);
    EXPECT_EQ(result.message, "Node inside block\n\nA new node must be located outside all existing blocks.");
    EXPECT_EQ(p.NA, 3);
    EXPECT_EQ(p.NB, 1);
}

TEST(NewNode, JoinsTheNearestSideMidpointFirstMetOnTies) {
    // Mirror-image blocks; (150, 50) is 100 m from the midpoints of both blocks' sides 2-3.
    Problem p = withMainNodes({{0, 0}, {100, 0}, {0, 100}, {300, 0}, {200, 0}, {300, 100}});
    addBlock(p, 0, 1, 2);
    addBlock(p, 3, 4, 5);
    ASSERT_TRUE(addNodeAndBlock(p, 150, 50).ok());
    EXPECT_EQ(p.NA, 7);
    EXPECT_EQ(p.NN, 7);
    EXPECT_EQ(p.NB, 3);
    EXPECT_EQ(p.NM, 3);
    const Block b = blockAt(p, 2);
    EXPECT_EQ(b.node[0], 1);
    EXPECT_EQ(b.node[1], 2);
    EXPECT_EQ(b.node[2], 6);
    EXPECT_EQ(b.soil, 2);
    EXPECT_EQ(p.elements[2].node[2], 6);
    const Node& n = p.nodes[6];
    EXPECT_EQ(n.X, 150);
    EXPECT_EQ(n.T, 10);
    EXPECT_EQ(n.F, 10);
    EXPECT_EQ(n.Type, 0);
}

TEST(NewLine, ThirdNodeFollowsTheOverrideOrder) {
    Problem p = withMainNodes({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    addBlock(p, 0, 1, 2);
    addBlock(p, 0, 2, 3);
    // From node 2 the candidates are 3 and 1 (in that order of assignment); the later wins.
    ASSERT_TRUE(addLineBlock(p, 1, 0, 100).ok());
    ASSERT_EQ(p.NB, 3);
    const Block b = blockAt(p, 2);
    EXPECT_EQ(b.node[0], 1);
    EXPECT_EQ(b.node[1], 3);
    EXPECT_EQ(b.node[2], 0);
    EXPECT_EQ(p.NM, 3);
}

TEST(NewLine, RefusedWithoutAThirdNodeSilentOnTheStartNode) {
    Problem p = withMainNodes({{0, 0}, {100, 0}, {0, 100}, {500, 500}, {600, 500}, {500, 600}});
    addBlock(p, 0, 1, 2);
    addBlock(p, 3, 4, 5);
    const Result noTriangle = addLineBlock(p, 0, 500, 500);
    EXPECT_EQ(noTriangle.outcome, Outcome::RefusedGeometry);
    EXPECT_EQ(noTriangle.message, "No triangle created.\n\nA new line must create a new triangular block.");
    EXPECT_EQ(addLineBlock(p, 0, 0, 0).outcome, Outcome::NothingToDo);    // released on the start node
    EXPECT_EQ(addLineBlock(p, 0, 1000, 0).outcome, Outcome::NothingToDo); // released far from every node
    EXPECT_EQ(p.NB, 2);

    Limits limits;
    limits.BMAX = 1;
    Problem full = defaultProblem(limits);
    const Result capacity = addLineBlock(full, 0, 0, 500);
    EXPECT_EQ(capacity.outcome, Outcome::RefusedCapacity);
    EXPECT_NE(capacity.message.find("too large to add another block"), std::string::npos);
}

// The batch program runs the block operations as the editor would, clamping both points.
TEST(BatchMeshOperations, BlockOperationsAndMalformedArguments) {
    const std::string out = testing::TempDir() + "velkor_mesh_batch.fem";
    const std::string command =
        std::string(VELKOR_BATCH_PROGRAM) +
        " - split4 addwell:100,100 drag:0,500,-100,2000 newnode:1500,100 newline:500,0,0,1000 -o " + out +
        " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Problem p = defaultProblem();
    ASSERT_TRUE(readDatafile(p, out).ok());
    // The block edits threw the refinement and the well away.
    EXPECT_EQ(p.NW, 0);
    EXPECT_EQ(p.NA, 4);
    // The line closes on the first block's third node: a copy of block 1, which nothing prevents.
    EXPECT_EQ(p.NB, 3);
    EXPECT_EQ(p.NN, 4);
    EXPECT_EQ(p.nodes[1].X, 0);
    EXPECT_EQ(p.nodes[1].Y, 1000);
    EXPECT_EQ(p.nodes[3].X, 1500);
    std::remove(out.c_str());

    // A malformed argument is a usage error.
    const std::string bad = std::string(VELKOR_BATCH_PROGRAM) + " - addwell:1,2,3 2>/dev/null";
    const int status = std::system(bad.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
} // namespace velkor
