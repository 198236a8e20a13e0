// Set Nodes: picking the nodes of a rectangle or along a polyline, and setting them at once.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "default_problem.h"
#include "mesh/refinement.h"
#include "operations/set_nodes.h"

using namespace velkor;

namespace {

// A strip 1000 m by 100 m drawn as two blocks with prescribed heads at its four corners (15 m on
// the left, 10 m on the right), split in four twice: the heads have spread along the long sides.
Problem splitStrip() {
    Problem p = test::defaultProblem();
    p.LX = 1000;
    p.LY = 100;
    const double corners[4][3] = {{0, 0, 15}, {1000, 0, 10}, {1000, 100, 10}, {0, 100, 15}};
    p.NA = p.NN = 4;
    for (int k = 0; k < 4; ++k) {
        Node& node = p.nodes[static_cast<std::size_t>(k)];
        node = Node{};
        node.X = corners[k][0];
        node.Y = corners[k][1];
        node.F = corners[k][2];
        node.T = 20;
        node.Type = 1;
    }
    p.NB = 2;
    p.blocks[0] = Block{{0, 1, 2}, 0};
    p.blocks[1] = Block{{0, 2, 3}, 1};
    resetMesh(p);
    EXPECT_TRUE(splitAllInFour(p).ok());
    EXPECT_TRUE(splitAllInFour(p).ok());
    return p;
}

int prescribedOnLongSides(const Problem& p) {
    int count = 0;
    for (int32_t i = 0; i < p.NN; ++i) {
        const Node& n = p.nodes[static_cast<std::size_t>(i)];
        if (n.Type == 1 && n.X > 0 && n.X < 1000) ++count;
    }
    return count;
}

} // namespace

TEST(SetNodes, SplittingSpreadsHeadsAlongTheLongSidesAndARectangleClosesThem) {
    Problem p = splitStrip();
    // Each long side of four segments has three prescribed midpoints, with interpolated heads.
    ASSERT_EQ(prescribedOnLongSides(p), 6);

    // The lower side, dragged from its right end to its left one (corners in any order).
    const NodeSelection lower = nodesInRectangle(p, 990, 1, 10, -1);
    ASSERT_EQ(lower.nodes.size(), 3u);
    NodeSettings free;
    free.Type = 0;
    const Applied applied = setNodes(p, lower, free);
    EXPECT_EQ(applied.result.outcome, Outcome::Done);
    EXPECT_EQ(applied.result.message, "3 nodes set.");
    EXPECT_EQ(applied.changed, Change::NodeValues);
    EXPECT_TRUE(p.resultsOutOfDate);
    EXPECT_EQ(prescribedOnLongSides(p), 3);
    // The heads are left as they were when no F is given.
    EXPECT_EQ(p.nodes[static_cast<std::size_t>(lower.nodes[1])].F, 12.5);
}

TEST(SetNodes, RectangleEdgesCatchAndNothingCaughtChangesNothing) {
    Problem p = splitStrip();
    // The left side (x = 0) exactly on the rectangle's edge: five nodes.
    EXPECT_EQ(nodesInRectangle(p, 0, 0, 0, 100).nodes.size(), 5u);
    const Problem before = p;
    const NodeSelection none = nodesInRectangle(p, 1, 1, 2, 2);
    NodeSettings settings;
    settings.F = 3;
    const Applied applied = setNodes(p, none, settings);
    EXPECT_EQ(applied.result.outcome, Outcome::NothingToDo);
    EXPECT_EQ(applied.result.message, kRectangleCatchesNoNodeMessage);
    EXPECT_EQ(applied.changed, Change::None);
    EXPECT_FALSE(p.resultsOutOfDate);
    for (int32_t i = 0; i < p.NN; ++i)
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].F, before.nodes[static_cast<std::size_t>(i)].F);

    const std::vector<PlanPoint> far{{510, 40}}; // 14 m from the nearest node
    const Applied missed = setNodes(p, nodesNearPolyline(p, far, 5), settings);
    EXPECT_EQ(missed.result.outcome, Outcome::NothingToDo);
    EXPECT_EQ(missed.result.message, kPolylineCatchesNoNodeMessage);
    // A rectangle corner that is no number catches nothing.
    EXPECT_TRUE(nodesInRectangle(p, std::nan(""), 0, 1000, 100).empty());
}

TEST(SetNodes, PolylineCatchesWithinItsToleranceOnly) {
    Problem p = splitStrip();
    // The nodes are 250 m apart along x, 25 m along y. A line a little above the lower side
    // passes 2 m from its nodes at x = 250 and 500.
    const std::vector<PlanPoint> line{{100, 2}, {700, 2}};
    EXPECT_EQ(nodesNearPolyline(p, line, 2).nodes.size(), 2u);
    EXPECT_TRUE(nodesNearPolyline(p, line, 1.9).empty());
    // Beyond its ends a segment catches within the tolerance of the end point only.
    const std::vector<PlanPoint> inner{{260, 0}, {490, 0}};
    EXPECT_EQ(nodesNearPolyline(p, inner, 10).nodes.size(), 2u);
    EXPECT_TRUE(nodesNearPolyline(p, inner, 9.9).empty());
    // Past its end a segment does not go on: (250, 25) lies 4 m beyond the end of this one, on
    // its line, 5.66 m from it.
    const std::vector<PlanPoint> short_{{230, 5}, {246, 21}};
    EXPECT_TRUE(nodesNearPolyline(p, short_, 5.5).empty());
    EXPECT_EQ(nodesNearPolyline(p, short_, 5.7).nodes.size(), 1u);
    // Two segments round a corner: the right side of the strip and the upper one up to x = 750.
    const std::vector<PlanPoint> corner{{1000, 0}, {1000, 100}, {750, 100}};
    const NodeSelection caught = nodesNearPolyline(p, corner, 0.5);
    EXPECT_EQ(caught.nodes.size(), 6u); // five on the right side, (750, 100) on the upper one
    for (std::size_t k = 1; k < caught.nodes.size(); ++k)
        EXPECT_LT(caught.nodes[k - 1], caught.nodes[k]);
    // A click: one point, the nearest node.
    const std::vector<PlanPoint> click{{1, 99}};
    const NodeSelection one = nodesNearPolyline(p, click, 2);
    ASSERT_EQ(one.nodes.size(), 1u);
    EXPECT_EQ(one.nodes[0], 3); // main node 4 at (0, 100)
    EXPECT_TRUE(nodesNearPolyline(p, click, -1).empty());
}

TEST(SetNodes, ValuesFollowTheRulesOfTheNodesTable) {
    Problem p = splitStrip();
    const NodeSelection left = nodesInRectangle(p, 0, 0, 0, 100);
    NodeSettings settings;
    settings.Type = 7; // held to 1, as the table holds a typed 7
    settings.B = -4;   // held to 0
    settings.T = 12;
    settings.F = 14;
    ASSERT_TRUE(setNodes(p, left, settings).result.ok());
    for (const int32_t i : left.nodes) {
        const Node& n = p.nodes[static_cast<std::size_t>(i)];
        EXPECT_EQ(n.Type, 1);
        EXPECT_EQ(n.B, 0);
        EXPECT_EQ(n.T, 12);
        EXPECT_EQ(n.F, 14);
    }
    // T and F are held to the new bottom.
    settings.Type = -3; // held to 0
    settings.B = 13;
    settings.T = 5;
    settings.F = 6;
    ASSERT_TRUE(setNodes(p, left, settings).result.ok());
    for (const int32_t i : left.nodes) {
        const Node& n = p.nodes[static_cast<std::size_t>(i)];
        EXPECT_EQ(n.Type, 0);
        EXPECT_EQ(n.B, 13);
        EXPECT_EQ(n.T, 13);
        EXPECT_EQ(n.F, 13);
    }
    // The same values again change nothing, and leave the results as they were.
    p.resultsOutOfDate = false;
    const Applied again = setNodes(p, left, settings);
    EXPECT_EQ(again.result.outcome, Outcome::Done);
    EXPECT_EQ(again.changed, Change::None);
    EXPECT_FALSE(p.resultsOutOfDate);
}

TEST(SetNodes, ValuesThatAreNoNumberAndNodesOutsideTheTableAreRefused) {
    Problem p = splitStrip();
    const Problem before = p;
    NodeSettings settings;
    settings.F = std::numeric_limits<double>::infinity();
    const NodeSelection left = nodesInRectangle(p, 0, 0, 0, 100);
    EXPECT_EQ(setNodes(p, left, settings).result.outcome, Outcome::BadInput);
    NodeSelection outside = left;
    outside.nodes.push_back(p.NN);
    settings.F = 1;
    EXPECT_EQ(setNodes(p, outside, settings).result.outcome, Outcome::BadInput);
    for (int32_t i = 0; i < p.NN; ++i) {
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].F, before.nodes[static_cast<std::size_t>(i)].F);
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].Type, before.nodes[static_cast<std::size_t>(i)].Type);
    }
    EXPECT_FALSE(p.resultsOutOfDate);
}
