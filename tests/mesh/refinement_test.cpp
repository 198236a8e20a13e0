#include "mesh/refinement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mesh/carried_heapsort.h"
#include "mesh/mesh_test_support.h"

namespace velkor {
namespace {

using test::Corners;
using test::defaultProblem;
using test::elementCorners;

struct Expected {
    double X, Y, F;
    int32_t Type;
};

// Keeps every status text a pass hands out.
struct StatusLog : Feedback {
    std::vector<std::string> texts;
    void progress(const Progress& progress) override { texts.push_back(progress.statusText()); }
};

void expectNode(const Problem& p, int number, const Expected& e) {
    const Node& n = p.nodes[static_cast<std::size_t>(number - 1)];
    EXPECT_EQ(n.X, e.X) << "node " << number;
    EXPECT_EQ(n.Y, e.Y) << "node " << number;
    EXPECT_EQ(n.F, e.F) << "node " << number;
    EXPECT_EQ(n.Type, e.Type) << "node " << number;
    EXPECT_EQ(n.B, 0) << "node " << number;
    EXPECT_EQ(n.T, 10) << "node " << number;
    EXPECT_EQ(n.Q, 0) << "node " << number;
}

TEST(MeshReset, MeshBecomesTheBlocksAndWellsAreDropped) {
    Problem p = defaultProblem();
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    ASSERT_TRUE(addWell(p, 100, 100).message.empty());
    ASSERT_EQ(p.NW, 1);
    p.blocks[0].soil = 0;
    resetMesh(p);
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.NM, 1);
    EXPECT_EQ(p.NW, 0);
    EXPECT_EQ(p.saved.NN, 3);
    EXPECT_EQ(p.saved.NM, 1);
    EXPECT_EQ(p.saved.NA, 3);
    EXPECT_EQ(p.saved.NB, 1);
    EXPECT_EQ(elementCorners(p), (std::vector<Corners>{{1, 2, 3}}));
}

TEST(SplitFour, DefaultProblemGivesTheWorkedNumbering) {
    Problem p = defaultProblem();
    StatusLog log;
    const Result result = splitAllInFour(p, &log);
    const std::vector<std::string>& status = log.texts;
    EXPECT_TRUE(result.message.empty());
    ASSERT_EQ(p.NN, 6);
    ASSERT_EQ(p.NM, 4);
    expectNode(p, 1, {0, 0, 20, 1});
    expectNode(p, 2, {0, 500, 20, 1});
    expectNode(p, 3, {500, 0, 10, 0});
    expectNode(p, 4, {0, 250, 20, 1});
    expectNode(p, 5, {250, 0, 15, 0});
    expectNode(p, 6, {250, 250, 15, 0});
    // Elements 2 and 3 share the key 0.25; this order is the heapsort's.
    EXPECT_EQ(elementCorners(p), (std::vector<Corners>{{1, 4, 5}, {2, 6, 4}, {6, 5, 4}, {3, 5, 6}}));
    for (int32_t e = 0; e < p.NM; ++e)
        EXPECT_EQ(p.elements[static_cast<std::size_t>(e)].soil, 0);
    EXPECT_TRUE(p.resultsStale);
    EXPECT_EQ(p.saved.NN, 3);
    EXPECT_EQ(p.saved.NM, 1);
    EXPECT_EQ(status,
              (std::vector<std::string>{"Split 4 : 3 Nodes, 1 Elements", "Split 4 : 6 Nodes, 4 Elements",
                                        "Split 4 : 6 Nodes, 4 Elements"}));
}

// Two triangles on the square (0,0)-(100,100), every corner with a prescribed head.
Problem twoTrianglesAllPrescribed() {
    Problem p = defaultProblem();
    p.LX = 100;
    p.LY = 100;
    const double xy[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    for (int i = 0; i < 4; ++i) {
        Node& n = p.nodes[static_cast<std::size_t>(i)];
        n = Node{};
        n.X = xy[i][0];
        n.Y = xy[i][1];
        n.T = 10;
        n.F = 5;
        n.Type = 1;
    }
    p.NA = p.NN = 4;
    p.blocks[0] = Block{{0, 1, 2}, 0};
    p.blocks[1] = Block{{0, 2, 3}, 1};
    p.NB = 2;
    resetMesh(p);
    return p;
}

TEST(SplitFour, SharedMidpointLosesPrescribedTypeOuterOnesKeepIt) {
    Problem p = twoTrianglesAllPrescribed();
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    ASSERT_EQ(p.NN, 9);
    ASSERT_EQ(p.NM, 8);
    for (int32_t i = 4; i < p.NN; ++i) {
        const Node& n = p.nodes[static_cast<std::size_t>(i)];
        const bool onDiagonal = n.X == 50 && n.Y == 50;
        EXPECT_EQ(n.Type, onDiagonal ? 0 : 1) << n.X << "," << n.Y;
    }
    // Soils follow the blocks.
    int soilOne = 0;
    for (int32_t e = 0; e < p.NM; ++e)
        soilOne += p.elements[static_cast<std::size_t>(e)].soil;
    EXPECT_EQ(soilOne, 4);
}

TEST(SplitFour, CapacityAtExactlyAQuarterOfTheTables) {
    Limits limits;
    limits.NMAX = 12;
    limits.MMAX = 4;
    Problem p = defaultProblem(limits); // NN 3 = 12 / 4, NM 1 = 4 / 4: allowed
    EXPECT_TRUE(splitAllInFour(p).message.empty());
    EXPECT_EQ(p.NM, 4);

    limits.NMAX = 11; // 11 / 4 = 2 < 3
    Problem q = defaultProblem(limits);
    const Result refused = splitAllInFour(q);
    EXPECT_EQ(refused.message,
              "Capacity exceeded\n\n"
              "The number of nodes or elements in the problem is too large to split all "
              "elements into 4 elements.\n\n"
              "The capacity of the program can be increased by increasing the values of NMAX "
              "and MMAX in the main window.");
    EXPECT_EQ(q.NN, 3);
    EXPECT_EQ(q.NM, 1);
    EXPECT_EQ(elementCorners(q), (std::vector<Corners>{{1, 2, 3}}));
}

TEST(SplitFour, ElementCountGrowsFourTimesAndNodesOnePerSide) {
    Problem p = twoTrianglesAllPrescribed();
    for (int pass = 0; pass < 3; ++pass) {
        const int32_t before = p.NM;
        ASSERT_TRUE(splitAllInFour(p).message.empty());
        EXPECT_EQ(p.NM, 4 * before);
    }
    // A conforming square of 2 x 4^3 triangles on a 9 x 9 grid of nodes.
    EXPECT_EQ(p.NN, 81);
    EXPECT_TRUE(meshTablesAreSound(p));
}

TEST(SplitTwo, DefaultProblemCutsTheLongestSide) {
    Problem p = defaultProblem();
    StatusLog log;
    const Result result = splitAllInTwo(p, &log);
    const std::vector<std::string>& status = log.texts;
    EXPECT_TRUE(result.message.empty());
    ASSERT_EQ(p.NN, 4);
    ASSERT_EQ(p.NM, 2);
    expectNode(p, 4, {250, 250, 15, 0});
    // Both keys are 0; the heapsort puts the appended half first.
    EXPECT_EQ(elementCorners(p), (std::vector<Corners>{{1, 3, 4}, {1, 2, 4}}));
    EXPECT_EQ(status.back(), "Split 2 : 4 Nodes, 2 Elements");
}

TEST(SplitTwo, SharedLongestSideIsCutOnce) {
    Problem p = twoTrianglesAllPrescribed(); // both share the diagonal, their longest side
    ASSERT_TRUE(splitAllInTwo(p).message.empty());
    EXPECT_EQ(p.NN, 5);
    EXPECT_EQ(p.NM, 4);
    const Node& centre = p.nodes[4];
    EXPECT_EQ(centre.X, 50);
    EXPECT_EQ(centre.Y, 50);
    EXPECT_EQ(centre.Type, 0);
}

TEST(SplitTwo, TiedSidesKeepTheEarlierSide) {
    // |2-3| = |3-1| to the last bit by symmetry, |1-2| shorter: side 2-3 is cut.
    Problem p = defaultProblem();
    p.LX = 200;
    p.LY = 200;
    p.nodes[0].X = 0, p.nodes[0].Y = 0;
    p.nodes[1].X = 100, p.nodes[1].Y = 0;
    p.nodes[2].X = 50, p.nodes[2].Y = 150;
    ASSERT_TRUE(splitAllInTwo(p).message.empty());
    ASSERT_EQ(p.NN, 4);
    EXPECT_EQ(p.nodes[3].X, 75);
    EXPECT_EQ(p.nodes[3].Y, 75);
}

TEST(SplitTwo, StopsBetweenElementsBeforeTheTablesOverflow) {
    Limits limits;
    limits.NMAX = 200;
    limits.MMAX = 40;
    Problem p = defaultProblem(limits);
    for (int pass = 0; pass < 8; ++pass) {
        const Result result = splitAllInTwo(p);
        ASSERT_TRUE(meshTablesAreSound(p));
        ASSERT_LE(p.NM, 40);
        if (!result.message.empty()) {
            EXPECT_NE(result.message.find("into 2 elements"), std::string::npos);
            return;
        }
    }
    FAIL() << "the capacity was never reached";
}

TEST(AddWell, CentreNodeWithLocalRefinement) {
    Problem p = defaultProblem();
    ASSERT_TRUE(addWell(p, 100, 100).message.empty());
    // Outer element: centre plus three outer midpoints, six elements, a well on the centre.
    EXPECT_EQ(p.NN, 7);
    EXPECT_EQ(p.NM, 6);
    ASSERT_EQ(p.NW, 1);
    const Node& well = p.nodes[static_cast<std::size_t>(p.wellNodes[0])];
    EXPECT_EQ(well.X, 500.0 / 3);
    EXPECT_EQ(well.Y, 500.0 / 3);
    EXPECT_EQ(well.F, 50.0 / 3);
    EXPECT_EQ(well.Type, 0);
    EXPECT_TRUE(p.resultsStale);
    EXPECT_TRUE(meshTablesAreSound(p));
}

TEST(AddWell, SnapsToTheLowerIndexedNodeWithoutRefining) {
    Problem p = defaultProblem();
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    p.resultsStale = false;
    // Snap radius 0.1 sqrt(2000 x 1000 / 6) = 57.7; the click is 20 m from nodes 4 and 6.
    p.nodes[5].X = 40;
    p.nodes[5].Y = 250;
    ASSERT_TRUE(addWell(p, 20, 250).message.empty());
    ASSERT_EQ(p.NW, 1);
    EXPECT_EQ(p.NN, 6);
    EXPECT_EQ(p.NM, 4);
    EXPECT_EQ(p.nodes[static_cast<std::size_t>(p.wellNodes[0])].X, 0);
    EXPECT_FALSE(p.resultsStale);
}

TEST(AddWell, PointOnASharedSideRefinesTheLowerIndexedElement) {
    Problem p = twoTrianglesAllPrescribed();
    p.LX = p.LY = 1;                                 // a tiny snap radius
    ASSERT_TRUE(addWell(p, 30, 30).message.empty()); // on the diagonal of both blocks
    // Element 1 (0,1,2) is refined; element 2 is cut across the diagonal as its neighbour.
    EXPECT_EQ(p.NN, 8);
    EXPECT_EQ(p.NM, 8);
    const Node& well = p.nodes[static_cast<std::size_t>(p.wellNodes[0])];
    EXPECT_EQ(well.X, 200.0 / 3);
    EXPECT_EQ(well.Y, 100.0 / 3);
}

TEST(AddWell, RefusalsLeaveTheMeshAndSayWhy) {
    Problem p = defaultProblem();
    p.LX = p.LY = 1;
    EXPECT_EQ(addWell(p, 1500, 900).message,
              "Well outside mesh\n\nA new well must be located inside the mesh of finite elements.");
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.NW, 0);

    Limits limits;
    limits.MMAX = 8; // the room of five elements (NM > MMAX - 5) lets one element pass, the worst case not
    Problem q = defaultProblem(limits);
    q.LX = q.LY = 1;
    EXPECT_NE(addWell(q, 100, 100).message.find("an interior node"), std::string::npos);
    EXPECT_EQ(q.NM, 1);

    Limits wells;
    wells.BMAX = 1;
    Problem w = defaultProblem(wells);
    ASSERT_TRUE(addWell(w, 0, 0).message.empty());
    EXPECT_EQ(addWell(w, 0, 0).message, kWellCapacityMessage);
    EXPECT_EQ(w.NW, 1);
}

TEST(Renumbering, MainNodesKeepTheirNumbers) {
    Problem p = twoTrianglesAllPrescribed();
    ASSERT_TRUE(splitAllInTwo(p).message.empty());
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    ASSERT_TRUE(addWell(p, 70, 20).message.empty());
    const double corners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].X, corners[i][0]);
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].Y, corners[i][1]);
    }
    for (int32_t i = p.NA + 1; i < p.NN; ++i) {
        const Node& a = p.nodes[static_cast<std::size_t>(i - 1)];
        const Node& b = p.nodes[static_cast<std::size_t>(i)];
        EXPECT_LE(a.X + 0.001 * a.Y, b.X + 0.001 * b.Y);
    }
}

TEST(Renumbering, EqualKeysTakeTheHeapsortOrder) {
    // Keys of X = 1, Y = 0 and X = 0, Y = 1000 are both 1.
    KeyedIndex pairs[] = {{1, 0}, {1, 1}};
    carriedHeapsort(pairs, 2);
    EXPECT_EQ(pairs[0].index, 1);
    EXPECT_EQ(pairs[1].index, 0);

    KeyedIndex three[] = {{2, 0}, {2, 1}, {2, 2}};
    carriedHeapsort(three, 3);
    EXPECT_EQ(three[0].index, 1);
    EXPECT_EQ(three[1].index, 2);
    EXPECT_EQ(three[2].index, 0);

    Problem p = defaultProblem();
    p.nodes[3] = p.nodes[2];
    p.nodes[3].X = 1, p.nodes[3].Y = 0, p.nodes[3].F = 1;
    p.nodes[4] = p.nodes[2];
    p.nodes[4].X = 0, p.nodes[4].Y = 1000, p.nodes[4].F = 2;
    p.NN = 5;
    ASSERT_TRUE(renumberNodes(p));
    EXPECT_EQ(p.nodes[3].F, 2);
    EXPECT_EQ(p.nodes[4].F, 1);
}

TEST(Renumbering, SolverFieldsStayInPlaceAndUnsoundTablesAreLeftAlone) {
    Problem p = defaultProblem();
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    for (int32_t i = 0; i < p.NN; ++i)
        p.nodes[static_cast<std::size_t>(i)].rowEnd = 100 + i;
    ASSERT_TRUE(splitAllInFour(p).message.empty());
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].rowEnd, 100 + i);

    p.elements[0].node[1] = p.NN; // a node that does not exist
    EXPECT_FALSE(meshTablesAreSound(p));
    EXPECT_FALSE(renumberNodes(p));
    EXPECT_FALSE(splitAllInFour(p).message.empty());
    EXPECT_FALSE(splitAllInTwo(p).message.empty());
    EXPECT_FALSE(addWell(p, 10, 10).message.empty());
}

} // namespace
} // namespace velkor
