// The shipped validation datafiles: loaded as a user opens them, they hold solved results that
// agree with the closed-form flows they illustrate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "solver/example_support.h"
#include "solver/solve_command.h"

using namespace velkor;

namespace {

// Sum of Q over the nodes at x, and the largest |F - h(x)| over all nodes.
double dischargeAt(const Problem& problem, double x) {
    double sum = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        if (problem.nodes[static_cast<std::size_t>(i)].X == x)
            sum += problem.nodes[static_cast<std::size_t>(i)].Q;
    return sum;
}

template <class Head> double largestHeadError(const Problem& problem, Head head) {
    double worst = 0;
    for (int32_t i = 0; i < problem.NN; ++i) {
        const Node& n = problem.nodes[static_cast<std::size_t>(i)];
        worst = std::max(worst, std::fabs(n.F - head(n.X)));
    }
    return worst;
}

} // namespace

TEST(Examples, Val1IsLinearConfinedFlow) {
    // h = 15 - 0.005 x; q = 0.005 m/d; 100 m wide: 0.005 * 10 * 100 = 5 m3/d through the strip.
    Problem problem = test::openedExample("Val1.fem");
    EXPECT_EQ(problem.problemName, "Validation 1 : Linear confined flow");
    EXPECT_EQ(problem.TM, 20000);
    EXPECT_GT(problem.NP, 0);
    EXPECT_EQ(problem.soils[0].n, 0.4);
    EXPECT_LE(largestHeadError(problem, [](double x) { return 15 - 0.005 * x; }), 0.00051);
    for (int32_t m = 0; m < problem.NM; ++m)
        EXPECT_NEAR(problem.elements[static_cast<std::size_t>(m)].qx, 0.005, 2e-4);
    EXPECT_NEAR(dischargeAt(problem, 0), 5, 0.01);
    EXPECT_NEAR(dischargeAt(problem, 1000), -5, 0.01);
}

TEST(Examples, Val2EvaporatesUniformly) {
    // Confined, K H = 50, I = -0.0001 m/d, right end closed: h = 12 + (0.0001 / 50)(x^2 / 2 - 1000 x);
    // the left end feeds the 0.0001 * 1000 * 100 = 10 m3/d that evaporate.
    Problem problem = test::openedExample("Val2.fem");
    EXPECT_EQ(problem.NP, 9);
    EXPECT_LT(problem.soils[0].I, 0);
    EXPECT_LE(largestHeadError(problem, [](double x) { return 12 + 0.0001 / 50 * (x * x / 2 - 1000 * x); }),
              0.002);
    EXPECT_NEAR(dischargeAt(problem, 0), 10, 0.2);
}

TEST(Examples, Val3TurnsUnconfinedAtFourHundredMetres) {
    // Phi = K H h - K H^2 / 2 (confined), K h^2 / 2 (unconfined), linear in x: q = 0.125 m2/d,
    // 12.5 m3/d through 100 m, and h = 10 m at x = 400 m.
    Problem problem = test::openedExample("Val3.fem");
    EXPECT_NEAR(dischargeAt(problem, 0), 12.5, 0.25);
    EXPECT_NEAR(dischargeAt(problem, 700), -12.5, 0.25);
    auto exact = [](double x) {
        const double phi = 100 - 0.125 * x;
        return phi >= 50 ? (phi + 50) / 10 : std::sqrt(2 * phi);
    };
    EXPECT_LE(largestHeadError(problem, exact), 0.1);
}

TEST(Examples, StoredResultsAreWhatTheSolverGives) {
    for (const char* name : {"Val1.fem", "Val2.fem", "Val3.fem"}) {
        Problem problem = test::openedExample(name);
        const Problem stored = problem;
        ASSERT_EQ(solveProblem(problem, false).result.outcome, Outcome::Done);
        EXPECT_FALSE(problem.warning);
        for (int32_t i = 0; i < problem.NN; ++i) {
            EXPECT_NEAR(problem.nodes[static_cast<std::size_t>(i)].F,
                        stored.nodes[static_cast<std::size_t>(i)].F, 0.0006);
            EXPECT_NEAR(problem.nodes[static_cast<std::size_t>(i)].Q,
                        stored.nodes[static_cast<std::size_t>(i)].Q, 0.0006);
        }
    }
}
