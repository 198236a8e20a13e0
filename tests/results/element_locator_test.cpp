#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "results/element_locator.h"
#include "results/results_support.h"

namespace velkor {
namespace {

using testing::makeStrip;
using testing::StripLayout;

// Checks locator answers against the plain scans for one point and several start elements.
void expectSameAsScans(const Problem& problem, const ElementLocator& locator, double x, double y) {
    ASSERT_EQ(locator.elementForPlacement(x, y), probeElementForPlacement(problem, x, y)) << x << ", " << y;
    for (const int32_t start : {0, problem.NM / 3, problem.NM / 2, problem.NM - 1}) {
        ASSERT_EQ(locator.elementAround(x, y, start), walkElementAround(problem, x, y, start))
            << x << ", " << y << " from " << start;
    }
}

TEST(ElementLocator, SharedEdgesAndCornersGoToTheElementReachedFirst) {
    Problem problem;
    StripLayout layout;
    layout.nx = 8;
    layout.ny = 4;
    layout.lx = 80;
    layout.ly = 40;
    makeStrip(problem, layout);
    const ElementLocator locator(problem);
    EXPECT_EQ(locator.irregularCount(), 0u);
    // Every node (a corner of up to six elements) and every edge midpoint, from every start.
    for (int i = 0; i <= 16; ++i) {
        for (int j = 0; j <= 8; ++j) {
            const double x = 5.0 * i, y = 5.0 * j;
            ASSERT_EQ(locator.elementForPlacement(x, y), probeElementForPlacement(problem, x, y));
            for (int32_t start = 0; start < problem.NM; ++start)
                ASSERT_EQ(locator.elementAround(x, y, start), walkElementAround(problem, x, y, start))
                    << x << ", " << y << " from " << start;
        }
    }
}

TEST(ElementLocator, WalkOrderIsStartThenAlternatelyAboveAndBelow) {
    Problem problem;
    StripLayout layout;
    layout.nx = 4;
    layout.ny = 1;
    layout.lx = 40;
    layout.ly = 10;
    makeStrip(problem, layout);
    const ElementLocator locator(problem);
    // Node (10, 0) is a corner of elements 0, 2 and 3; element 1 does not hold it.
    EXPECT_EQ(locator.elementAround(10, 0, 0), 0);
    EXPECT_EQ(locator.elementAround(10, 0, 1), 2); // 1 misses, then 2 comes before 0
    EXPECT_EQ(locator.elementAround(10, 0, 3), 3);
    EXPECT_EQ(locator.elementAround(10, 0, 7), 3); // 7, 6, 5 and 4 miss
    // Outside the mesh the search fails from anywhere.
    EXPECT_EQ(locator.elementAround(-0.001, 5, 4), -1);
    EXPECT_EQ(locator.elementForPlacement(41, 5), -1);
}

TEST(ElementLocator, RandomPointsMatchTheScansOnAnIrregularMesh) {
    Problem problem;
    StripLayout layout;
    layout.nx = 12;
    layout.ny = 6;
    layout.lx = 1200;
    layout.ly = 600;
    makeStrip(problem, layout);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> shift(-30, 30);
    // Move the inner nodes so that elements differ in size and shape.
    for (int i = 1; i < layout.nx; ++i)
        for (int j = 1; j < layout.ny; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(testing::stripNode(layout, i, j))];
            node.X += shift(random);
            node.Y += shift(random);
        }
    const ElementLocator locator(problem);
    std::uniform_real_distribution<double> px(-50, 1250), py(-50, 650);
    for (int k = 0; k < 3000; ++k)
        expectSameAsScans(problem, locator, px(random), py(random));
    // Points on the moved nodes and on the edges between them.
    for (int32_t m = 0; m < problem.NM; ++m) {
        const Element& e = problem.elements[static_cast<std::size_t>(m)];
        const Node& a = problem.nodes[static_cast<std::size_t>(e.node[0])];
        const Node& b = problem.nodes[static_cast<std::size_t>(e.node[1])];
        expectSameAsScans(problem, locator, a.X, a.Y);
        expectSameAsScans(problem, locator, (a.X + b.X) / 2, (a.Y + b.Y) / 2);
        expectSameAsScans(problem, locator, a.X + 0.3 * (b.X - a.X), a.Y + 0.3 * (b.Y - a.Y));
    }
}

TEST(ElementLocator, DegenerateElementsAndFarPointsMatchTheScans) {
    Problem problem;
    StripLayout layout;
    layout.nx = 6;
    layout.ny = 3;
    layout.lx = 60;
    layout.ly = 30;
    makeStrip(problem, layout);
    // Element 5 collapses onto a line (it then holds points on the whole line through it), element
    // 9 onto a point (its corner quantities vanish: it holds every point), element 12 is a sliver,
    // element 14 refers to a node past the used table and holds nothing.
    auto& nodes = problem.nodes;
    problem.NN += 4;
    nodes[static_cast<std::size_t>(problem.NN - 4)] = Node{100, 100, 0, 10, 12, 0, 0, 0, 0};
    nodes[static_cast<std::size_t>(problem.NN - 3)] = Node{110, 110, 0, 10, 12, 0, 0, 0, 0};
    nodes[static_cast<std::size_t>(problem.NN - 2)] = Node{120, 120, 0, 10, 12, 0, 0, 0, 0};
    nodes[static_cast<std::size_t>(problem.NN - 1)] = Node{35, 15.000001, 0, 10, 12, 0, 0, 0, 0};
    problem.elements[5].node[0] = problem.NN - 4;
    problem.elements[5].node[1] = problem.NN - 3;
    problem.elements[5].node[2] = problem.NN - 2;
    problem.elements[12].node[2] = problem.NN - 1;
    problem.elements[12].node[0] = 0;
    problem.elements[14].node[1] = problem.NN + 2;
    const ElementLocator withoutPoint(problem);
    EXPECT_GE(withoutPoint.irregularCount(), 1u);
    for (const double t : {-10.0, 0.0, 50.0, 105.0, 1000.0})
        expectSameAsScans(problem, withoutPoint, t, t);

    problem.elements[9].node[0] = problem.elements[9].node[1] = problem.elements[9].node[2] = 3;
    const ElementLocator locator(problem);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> p(-20, 140);
    for (int k = 0; k < 2000; ++k)
        expectSameAsScans(problem, locator, p(random), p(random));
    for (const double t : {-10.0, 0.0, 50.0, 105.0, 1000.0})
        expectSameAsScans(problem, locator, t, t);
    // Far beyond the mesh the grid is not trusted and the scan answers.
    expectSameAsScans(problem, locator, 1e9, -3e8);
    expectSameAsScans(problem, locator, 35, 15.0000005);
}

TEST(ElementLocator, ClustersFarApartMatchTheScans) {
    // Two groups of small elements 100 km apart, joined by a column of very long ones: the small
    // elements occupy few cells of a wide rectangle and are found through the sparse table.
    Problem problem;
    StripLayout layout;
    layout.nx = 8;
    layout.ny = 2;
    layout.lx = 80;
    layout.ly = 20;
    makeStrip(problem, layout);
    for (int i = 5; i <= layout.nx; ++i)
        for (int j = 0; j <= layout.ny; ++j)
            problem.nodes[static_cast<std::size_t>(testing::stripNode(layout, i, j))].X += 1e5;
    const ElementLocator locator(problem);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> nearX(-5, 45), farX(1e5 + 45, 1e5 + 85), middleX(40, 1e5 + 50),
        anyY(-2, 22);
    for (int k = 0; k < 1000; ++k) {
        expectSameAsScans(problem, locator, nearX(random), anyY(random));
        expectSameAsScans(problem, locator, farX(random), anyY(random));
        expectSameAsScans(problem, locator, middleX(random), anyY(random));
    }
    for (int i = 0; i <= layout.nx; ++i)
        for (int j = 0; j <= layout.ny; ++j) {
            const Node& node = problem.nodes[static_cast<std::size_t>(testing::stripNode(layout, i, j))];
            expectSameAsScans(problem, locator, node.X, node.Y);
        }
}

TEST(ElementLocator, PointsThatAreNotNumbersLieInNoElement) {
    Problem problem;
    makeStrip(problem, StripLayout{});
    const ElementLocator locator(problem);
    const double inf = INFINITY;
    for (const auto& [x, y] :
         {std::pair{NAN, 5.0}, {5.0, NAN}, {inf, 5.0}, {-inf, 50.0}, {inf, inf}, {inf, -inf}}) {
        EXPECT_EQ(locator.elementAround(x, y, 3), -1);
        EXPECT_EQ(walkElementAround(problem, x, y, 3), -1);
        EXPECT_EQ(locator.elementForPlacement(x, y), -1);
        EXPECT_EQ(probeElementForPlacement(problem, x, y), -1);
    }
}

TEST(ElementLocator, PlacementProbesFromBothEndsAndTheMiddle) {
    Problem problem;
    StripLayout layout;
    layout.nx = 10;
    layout.ny = 1;
    layout.lx = 100;
    layout.ly = 10;
    makeStrip(problem, layout);
    // NM = 20: pass 0 probes 0, 10, 10, 19; pass 1 probes 1, 11, 9, 18.
    // Node (50, 0) lies in elements 8, 9 and 10: probe 10 of pass 0 comes first.
    EXPECT_EQ(probeElementForPlacement(problem, 50, 0), 10);
    const ElementLocator locator(problem);
    EXPECT_EQ(locator.elementForPlacement(50, 0), 10);
    // Node (10, 0) lies in elements 0, 1 and 2: element 0 in pass 0.
    EXPECT_EQ(locator.elementForPlacement(10, 0), 0);
    // Node (90, 10), a corner of elements 16, 17 and 19.
    EXPECT_EQ(locator.elementForPlacement(90, 10), probeElementForPlacement(problem, 90, 10));
}

} // namespace
} // namespace velkor
