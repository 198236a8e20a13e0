// Solutions compared with closed-form results of steady Dupuit-Forchheimer flow.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "solver/grid_support.h"
#include "solver/solve_command.h"

using namespace velkor;

namespace {

const Node& node(const Problem& problem, int32_t i) {
    return problem.nodes[static_cast<std::size_t>(i)];
}

double columnDischarge(const Problem& problem, const test::GridLayout& layout, int32_t i) {
    double sum = 0;
    for (int32_t j = 0; j <= layout.cellsY; ++j)
        sum += node(problem, test::gridNode(layout, i, j)).Q;
    return sum;
}

// Head along the strip's lower edge at x, linearly between grid columns.
double headAt(const Problem& problem, const test::GridLayout& layout, double x) {
    const double dx = layout.lengthX / layout.cellsX;
    const auto i = static_cast<int32_t>(std::floor(x / dx));
    if (i >= layout.cellsX) return node(problem, test::gridNode(layout, layout.cellsX, 0)).F;
    const double t = (x - i * dx) / dx;
    return (1 - t) * node(problem, test::gridNode(layout, i, 0)).F +
           t * node(problem, test::gridNode(layout, i + 1, 0)).F;
}

// What a prescribed column takes from the aquifer: its discharge less the infiltration that falls
// on it directly.
double columnInflow(const Problem& problem, const test::GridLayout& layout, int32_t i) {
    double sum = 0;
    for (int32_t j = 0; j <= layout.cellsY; ++j) {
        const Node& n = node(problem, test::gridNode(layout, i, j));
        sum += n.Q - n.supply;
    }
    return sum;
}

} // namespace

TEST(Accuracy, ConfinedStripHasLinearHeadsAndUniformDischarge) {
    // h(x) = 15 - 5 x / 1000, q = K H (h0 - hL) / L / H = 0.005 m/d in every element.
    for (const bool preconditioned : {false, true}) {
        test::GridLayout layout;
        layout.cellsX = 40;
        layout.cellsY = 2;
        layout.lengthX = 1000;
        layout.lengthY = 10;
        layout.head = 12;
        Problem problem;
        test::makeGrid(problem, layout);
        test::prescribeColumn(problem, layout, 0, 15);
        test::prescribeColumn(problem, layout, layout.cellsX, 10);
        ASSERT_EQ(solveProblem(problem, preconditioned).result.outcome, Outcome::Done);
        for (int32_t i = 0; i < problem.NN; ++i)
            EXPECT_NEAR(node(problem, i).F, 15 - 0.005 * node(problem, i).X, 1e-9);
        for (int32_t m = 0; m < problem.NM; ++m) {
            EXPECT_NEAR(problem.elements[static_cast<std::size_t>(m)].qx, 0.005, 1e-11);
            EXPECT_NEAR(problem.elements[static_cast<std::size_t>(m)].qy, 0.0, 1e-11);
        }
        EXPECT_NEAR(problem.meanQx, 0.005, 1e-11);
        EXPECT_FALSE(problem.warning);
    }
}

TEST(Accuracy, StripTurnsUnconfinedFourHundredMetresFromTheHighEnd) {
    // Discharge potential: confined Phi = K H h - K H^2 / 2, unconfined Phi = K h^2 / 2; Phi is
    // linear in x: Phi0 = 100, PhiL = 12.5, q = 0.125 m2/d, Phi = 50 (h = T = 10) at x = 400.
    // A strip 100 m wide carries 12.5 m3/d.
    test::GridLayout layout;
    layout.cellsX = 70;
    layout.cellsY = 2;
    layout.lengthX = 700;
    layout.lengthY = 100;
    layout.head = 10;
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, 15);
    test::prescribeColumn(problem, layout, layout.cellsX, 5);
    ASSERT_EQ(solveProblem(problem, false).result.outcome, Outcome::Done);
    EXPECT_NEAR(columnDischarge(problem, layout, 0), 12.5, 0.25);
    EXPECT_NEAR(columnDischarge(problem, layout, layout.cellsX), -12.5, 0.25);
    const double expected[8] = {15, 13.75, 12.5, 11.25, 10.0, 8.660, 7.071, 5.0};
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(headAt(problem, layout, 100.0 * k), expected[k], 0.1) << "x = " << 100 * k;
    // Where the head crosses the top.
    double crossing = -1;
    for (double x = 0; x < 700; x += 1)
        if (headAt(problem, layout, x) >= 10 && headAt(problem, layout, x + 1) < 10) crossing = x;
    EXPECT_NEAR(crossing, 400, 10);
}

TEST(Accuracy, PumpingWellFollowsThiem) {
    // h(r) = hR - Q / (2 pi K H) ln(R / r), Q = 1000 m3/d pumped, K H = 200 m2/d, R = 1000 m; the
    // boundary of the 2000 m square holds the Thiem heads, so the whole square follows the formula.
    test::GridLayout layout;
    layout.cellsX = 80;
    layout.cellsY = 80;
    layout.lengthX = 2000;
    layout.lengthY = 2000;
    layout.originX = -1000;
    layout.originY = -1000;
    layout.top = 10;
    layout.K = 20;
    layout.head = 20;
    Problem problem;
    test::makeGrid(problem, layout);
    const double hR = 20, pumped = 1000, R = 1000;
    const double factor = pumped / (2 * std::numbers::pi * 200);
    auto thiem = [&](double r) { return hR - factor * std::log(R / r); };
    for (int32_t i = 0; i <= layout.cellsX; ++i)
        for (int32_t j = 0; j <= layout.cellsY; ++j)
            if (i == 0 || j == 0 || i == layout.cellsX || j == layout.cellsY) {
                Node& n = problem.nodes[static_cast<std::size_t>(test::gridNode(layout, i, j))];
                n.Type = 1;
                n.F = thiem(std::hypot(n.X, n.Y));
            }
    problem.NW = 1;
    problem.wellNodes[0] = test::gridNode(layout, 40, 40);
    problem.wellQ[0] = -pumped;
    ASSERT_EQ(solveProblem(problem, true).result.outcome, Outcome::Done);
    // Three to twelve elements (25 m) from the well, along the axes and the diagonals.
    for (const int32_t steps : {3, 4, 6, 12}) {
        for (const auto& [di, dj] :
             {std::pair{1, 0}, std::pair{0, 1}, std::pair{-1, 0}, std::pair{1, 1}, std::pair{-1, 1}}) {
            const Node& n = node(problem, test::gridNode(layout, 40 + di * steps, 40 + dj * steps));
            const double r = std::hypot(n.X, n.Y);
            const double drawdown = hR - thiem(r);
            EXPECT_NEAR(hR - n.F, drawdown, 0.01 * drawdown) << "r = " << r;
        }
    }
    // The well's discharge leaves through the boundary.
    double boundary = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        if (node(problem, i).Type == 1) boundary += node(problem, i).Q;
    EXPECT_NEAR(boundary, pumped, 1e-6 * pumped);
}

TEST(Accuracy, InfiltrationBetweenTwoCanalsFormsTheParabola) {
    // Confined: h(x) = h0 + (hL - h0) x / L + N x (L - x) / (2 K H); with L = 1000, K H = 100,
    // h0 = 6, hL = 4, N = 0.001 the divide lies at x = 300 (h = 6.45); per 100 m of width the
    // left canal takes 30 m3/d and the right one 70 m3/d.
    test::GridLayout layout;
    layout.cellsX = 50;
    layout.cellsY = 2;
    layout.lengthX = 1000;
    layout.lengthY = 100;
    layout.top = 2; // heads stay above the top: confined, K H = 50 * 2
    layout.K = 50;
    layout.I = 0.001;
    layout.head = 5;
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, 6);
    test::prescribeColumn(problem, layout, layout.cellsX, 4);
    ASSERT_EQ(solveProblem(problem, false).result.outcome, Outcome::Done);
    for (int32_t i = 0; i < problem.NN; ++i) {
        const double x = node(problem, i).X;
        EXPECT_NEAR(node(problem, i).F, 6 - 2 * x / 1000 + 0.001 * x * (1000 - x) / 200, 1e-6) << "x = " << x;
    }
    EXPECT_NEAR(headAt(problem, layout, 300), 6.45, 1e-6);
    EXPECT_NEAR(columnInflow(problem, layout, 0), -30, 1e-6);
    EXPECT_NEAR(columnInflow(problem, layout, layout.cellsX), -70, 1e-6);

    // Unconfined, B = 0: h^2 = h0^2 + (hL^2 - h0^2) x / L + (N / K) x (L - x); K = 10,
    // h0 = hL = 10, N = 0.001: the mound reaches sqrt(125) = 11.180 m at x = 500. Half the
    // recharge leaves through each canal.
    test::GridLayout mound = layout;
    mound.top = 20;
    mound.K = 10;
    mound.head = 10;
    Problem unconfined;
    test::makeGrid(unconfined, mound);
    test::prescribeColumn(unconfined, mound, 0, 10);
    test::prescribeColumn(unconfined, mound, mound.cellsX, 10);
    ASSERT_EQ(solveProblem(unconfined, true).result.outcome, Outcome::Done);
    for (int32_t i = 0; i < unconfined.NN; ++i) {
        const double x = node(unconfined, i).X;
        EXPECT_NEAR(node(unconfined, i).F, std::sqrt(100 + 0.0001 * x * (1000 - x)), 0.02) << "x = " << x;
    }
    EXPECT_NEAR(columnInflow(unconfined, mound, 0), -50, 0.5);
    EXPECT_NEAR(columnInflow(unconfined, mound, mound.cellsX), -50, 0.5);
}

TEST(Accuracy, WaterBalanceCloses) {
    // Q at a free node is its supply; what enters there leaves through the prescribed nodes.
    test::GridLayout layout;
    layout.cellsX = 30;
    layout.cellsY = 12;
    layout.lengthX = 1500;
    layout.lengthY = 600;
    layout.K = 4;
    layout.I = 0.0005;
    layout.head = 9;
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, 11);
    test::prescribeColumn(problem, layout, layout.cellsX, 6);
    problem.NW = 1;
    problem.wellNodes[0] = test::gridNode(layout, 12, 6);
    problem.wellQ[0] = -300;
    for (const bool preconditioned : {false, true}) {
        ASSERT_EQ(solveProblem(problem, preconditioned).result.outcome, Outcome::Done);
        double sum = 0, sumAbs = 0;
        for (int32_t i = 0; i < problem.NN; ++i) {
            const Node& n = node(problem, i);
            sum += n.Q;
            sumAbs += std::fabs(n.Q);
            if (n.Type == 0) {
                EXPECT_NEAR(n.Q, n.supply, 1e-6 * (1 + std::fabs(n.supply)));
            }
        }
        EXPECT_LT(std::fabs(sum) / sumAbs, 1e-6);
    }
}
