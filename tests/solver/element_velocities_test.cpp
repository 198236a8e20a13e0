// Element velocities: specific discharge and the slope flows the particle tracker climbs along.
#include <gtest/gtest.h>

#include "solver/element_velocities.h"

using namespace velkor;

namespace {

// Right triangle (1000, 2000), (1100, 2000), (1000, 2050) far from the origin, soil K = 2.
Problem triangle(const double F[3], const double B[3], const double T[3]) {
    Problem problem;
    problem.allocateTables(Limits{});
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    const double xy[3][2] = {{1000, 2000}, {1100, 2000}, {1000, 2050}};
    for (int k = 0; k < 3; ++k) {
        Node& node = problem.nodes[static_cast<std::size_t>(k)];
        node.X = xy[k][0];
        node.Y = xy[k][1];
        node.F = F[k];
        node.B = B[k];
        node.T = T[k];
    }
    problem.soils[0].K = 2;
    return problem;
}

} // namespace

TEST(ElementVelocities, SpecificDischargeIsMinusKTimesTheHeadGradient) {
    // F = 10 - 0.01 (x - 1000) + 0.02 (y - 2000): qx = 0.02, qy = -0.04.
    const double F[3] = {10, 9, 11}, B[3] = {0, 0, 0}, T[3] = {20, 20, 20};
    Problem problem = triangle(F, B, T);
    problem.elements[0].spare = 7;
    computeElementVelocities(problem);
    const Element& e = problem.elements[0];
    EXPECT_NEAR(e.qx, 0.02, 1e-12);
    EXPECT_NEAR(e.qy, -0.04, 1e-12);
    EXPECT_NEAR(problem.meanQx, 0.02, 1e-12);
    EXPECT_NEAR(problem.meanQy, 0.04, 1e-12);
    EXPECT_EQ(e.spare, 7); // not one of the results this step computes
    // Flat bottom; the saturated top is the water table (F below T): qx dF/dx + qy dF/dy.
    EXPECT_NEAR(e.bottomSlopeFlow, 0, 1e-15);
    EXPECT_NEAR(e.topSlopeFlow, 0.02 * -0.01 + -0.04 * 0.02, 1e-12);
}

TEST(ElementVelocities, SlopeFlowsFollowBottomAndTheLowerOfHeadAndTop) {
    // B slopes 0.01 in x; T = 5 lies below F = 10 +- ...: the top, not the head, bounds the flow.
    const double F[3] = {10, 9, 11}, B[3] = {1, 2, 1}, T[3] = {5, 5, 6};
    Problem problem = triangle(F, B, T);
    problem.soils[0].I = 0.001;
    computeElementVelocities(problem);
    const Element& e = problem.elements[0];
    EXPECT_NEAR(e.bottomSlopeFlow, 0.02 * 0.01, 1e-12);
    // S = T: dS/dx = 0, dS/dy = 1 / 50.
    EXPECT_NEAR(e.topSlopeFlow, 0.02 * 0 - 0.001 + -0.04 * 0.02, 1e-12);
}

TEST(ElementVelocities, ZeroAreaElementKeepsZeroResultsButCountsInTheMeans) {
    const double F[3] = {10, 9, 11}, B[3] = {0, 0, 0}, T[3] = {20, 20, 20};
    Problem problem = triangle(F, B, T);
    problem.NM = 2;
    problem.elements[1] = Element{{0, 1, 1}, 0};
    problem.elements[1].qx = 5;
    computeElementVelocities(problem);
    EXPECT_EQ(problem.elements[1].qx, 0);
    EXPECT_NEAR(problem.meanQx, 0.01, 1e-12);
}

TEST(ElementVelocities, ElementsNamingMissingNodesAreSkipped) {
    // Regression: an element read with a node number beyond NN was followed into the table.
    const double F[3] = {10, 9, 11}, B[3] = {0, 0, 0}, T[3] = {20, 20, 20};
    Problem problem = triangle(F, B, T);
    problem.NM = 2;
    problem.elements[1] = Element{{0, 1, 500000}, 0};
    computeElementVelocities(problem);
    EXPECT_EQ(problem.elements[1].qx, 0);
    EXPECT_NEAR(problem.elements[0].qx, 0.02, 1e-12);
}
