// The water budget against closed-form flows, the balance of the shipped examples, and its text.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "results/water_budget.h"
#include "solver/example_support.h"
#include "solver/grid_support.h"
#include "solver/solve_command.h"

using namespace velkor;

namespace {

Problem solvedExample(const char* name) {
    Problem problem = test::openedExample(name);
    EXPECT_EQ(solveProblem(problem, SolveMethod::Plain).result.outcome, Outcome::Done) << name;
    return problem;
}

void expectRelative(double actual, double expected, double tolerance = 1e-6) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected)) << actual << " vs " << expected;
}

} // namespace

TEST(WaterBudget, Val1InflowAndOutflowAreTheDarcyFlux) {
    // K H dh / L LY = 1 x 10 x 5 / 1000 x 100 = 5 m3/d in on the left, out on the right.
    const WaterBudget budget = computeWaterBudget(solvedExample("Val1.fem"));
    ASSERT_TRUE(budget.solved);
    ASSERT_EQ(budget.groups.size(), 2u);
    const BoundaryGroup& left = budget.groups[0];
    const BoundaryGroup& right = budget.groups[1];
    EXPECT_EQ(left.extent, "x 0.0, y 0.0\x96"
                           "100.0");
    EXPECT_EQ(left.heads, "15.000");
    EXPECT_EQ(right.extent, "x 1000.0, y 0.0\x96"
                            "100.0");
    EXPECT_EQ(right.heads, "10.000");
    EXPECT_EQ(left.nodeCount, 33);
    expectRelative(left.in, 5);
    EXPECT_EQ(left.out, 0);
    expectRelative(right.out, 5);
    EXPECT_EQ(right.in, 0);
    expectRelative(budget.totalIn, 5);
    expectRelative(budget.totalOut, 5);
    EXPECT_LT(std::fabs(budget.discrepancyPercent), 1e-6);
}

TEST(WaterBudget, ThiemWellTakesWhatTheOuterRingFeeds) {
    // A square of side 2R = 2000 m, K H = 200 m2/d, the head held at 20 m on its outer ring and a
    // well pumping 1000 m3/d at its centre.
    test::GridLayout layout;
    layout.cellsX = layout.cellsY = 40;
    layout.lengthX = layout.lengthY = 2000;
    layout.bottom = 0;
    layout.top = 10;
    layout.head = 20;
    layout.K = 20;
    Problem problem;
    test::makeGrid(problem, layout);
    for (int32_t i = 0; i <= 40; ++i)
        for (int32_t j = 0; j <= 40; ++j)
            if (i == 0 || j == 0 || i == 40 || j == 40)
                problem.nodes[static_cast<std::size_t>(test::gridNode(layout, i, j))].Type = 1;
    problem.NW = 1;
    problem.wellNodes[0] = test::gridNode(layout, 20, 20);
    problem.wellQ[0] = -1000;
    ASSERT_EQ(solveProblem(problem, SolveMethod::Plain).result.outcome, Outcome::Done);

    const WaterBudget budget = computeWaterBudget(problem);
    ASSERT_EQ(budget.groups.size(), 1u);
    EXPECT_EQ(budget.groups[0].nodeCount, 160);
    EXPECT_EQ(budget.groups[0].extent, "x 0.0\x96"
                                       "2000.0, y 0.0\x96"
                                       "2000.0");
    expectRelative(budget.groups[0].in, 1000);
    EXPECT_EQ(budget.groups[0].out, 0);
    ASSERT_EQ(budget.wells.size(), 1u);
    EXPECT_EQ(budget.wells[0].out, 1000);
    EXPECT_EQ(budget.wellsOut, 1000);
    EXPECT_LT(std::fabs(budget.discrepancyPercent), 1e-6);
}

TEST(WaterBudget, InfiltrationBetweenTwoCanalsLeavesThroughBoth) {
    // Confined, L = 1000 m, K H = 100 m2/d, heads 6 m and 4 m, N = 0.001 m/d over a strip 100 m
    // wide: 100 m3/d infiltrate, 0.3 m2/d x 100 m go to the left canal and 0.7 m2/d x 100 m to
    // the right one.
    test::GridLayout layout;
    layout.cellsX = 40;
    layout.cellsY = 4;
    layout.lengthX = 1000;
    layout.lengthY = 100;
    layout.bottom = 0;
    layout.top = 1;
    layout.head = 5;
    layout.K = 100;
    layout.I = 0.001;
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, 6);
    test::prescribeColumn(problem, layout, 40, 4);
    ASSERT_EQ(solveProblem(problem, SolveMethod::Plain).result.outcome, Outcome::Done);

    const WaterBudget budget = computeWaterBudget(problem);
    ASSERT_EQ(budget.groups.size(), 2u);
    expectRelative(budget.groups[0].out, 30);
    expectRelative(budget.groups[1].out, 70);
    EXPECT_EQ(budget.groups[0].in, 0);
    ASSERT_EQ(budget.soils.size(), 1u);
    expectRelative(budget.soils[0].area, 100000, 1e-12);
    expectRelative(budget.infiltrationIn, 100);
    expectRelative(budget.totalOut, 100);
    EXPECT_LT(std::fabs(budget.discrepancyPercent), 1e-6);
}

TEST(WaterBudget, BoundariesJoinOnlyThroughSidesBetweenTwoPrescribedNodes) {
    // Two cells wide: columns 0 and 2 prescribed, the free column 1 between them joins nothing.
    test::GridLayout layout;
    layout.cellsX = 2;
    layout.cellsY = 2;
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, 10);
    test::prescribeColumn(problem, layout, 2, 10);
    problem.nodes[0].Q = 1; // a solution of sorts
    EXPECT_EQ(computeWaterBudget(problem).groups.size(), 2u);
    // Nodes (1, 1) and (2, 2) share a rising diagonal; (1, 2) touches them at corners only, with
    // no side between.
    test::makeGrid(problem, layout);
    problem.nodes[0].Q = 1;
    for (const auto& [i, j] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{0, 2}})
        problem.nodes[static_cast<std::size_t>(test::gridNode(layout, i, j))].Type = 1;
    const WaterBudget budget = computeWaterBudget(problem);
    ASSERT_EQ(budget.groups.size(), 2u);
    EXPECT_EQ(budget.groups[0].nodeCount, 1); // (0, 2), the lowest node index
    EXPECT_EQ(budget.groups[1].nodeCount, 2);
    EXPECT_EQ(budget.groups[1].extent, "x 0.5\x96"
                                       "1.0, y 0.5\x96"
                                       "1.0");
}

TEST(WaterBudget, EvaporationIsFedByTheOneBoundary) {
    // Val2: I = -0.0001 m/d over 1000 m by 100 m evaporates 10 m3/d; the left end feeds them,
    // though its own nodes lose their share of the evaporation (Q there is less than 10).
    const Problem problem = solvedExample("Val2.fem");
    const WaterBudget budget = computeWaterBudget(problem);
    ASSERT_EQ(budget.groups.size(), 1u);
    expectRelative(budget.groups[0].in, 10);
    expectRelative(budget.infiltrationOut, 10);
    EXPECT_EQ(budget.infiltrationIn, 0);
    double sumQ = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        if (problem.nodes[static_cast<std::size_t>(i)].Type == 1)
            sumQ += problem.nodes[static_cast<std::size_t>(i)].Q;
    EXPECT_LT(sumQ, 9.9);
}

TEST(WaterBudget, EveryExampleBalancesOnceSolved) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELKOR_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".fem") continue;
        ++examples;
        const std::string name = entry.path().filename().string();
        const WaterBudget budget = computeWaterBudget(solvedExample(name.c_str()));
        EXPECT_TRUE(budget.solved) << name;
        EXPECT_GT(budget.totalIn, 0) << name;
        EXPECT_LT(std::fabs(budget.discrepancyPercent), 1e-6) << name;
    }
    EXPECT_GE(examples, 3);
}

TEST(WaterBudget, NoSolutionSaysSolveFirst) {
    Problem problem = test::openedExample("Val1.fem");
    for (int32_t i = 0; i < problem.NN; ++i)
        problem.nodes[static_cast<std::size_t>(i)].Q = 0;
    // Heads 15 and 10 are prescribed: a solve would move water, so zeros are no solution.
    EXPECT_FALSE(holdsSolution(problem));
    const WaterBudget budget = computeWaterBudget(problem);
    EXPECT_FALSE(budget.solved);
    const auto lines = waterBudgetLines(budget);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[2].heading);
    EXPECT_EQ(lines[2].text, "Solve first.");

    // The default problem: one prescribed head, no wells, no infiltration; nothing can flow, and
    // the budget of zeros is its solution.
    Problem still = test::defaultProblem();
    EXPECT_TRUE(holdsSolution(still));
    still.soils[0].I = 0.001;
    EXPECT_FALSE(holdsSolution(still));
}

TEST(WaterBudget, LinesShowTheGroupsWellsSoilsAndTotalsInColumns) {
    Problem problem = solvedExample("Val1.fem");
    problem.resultsOutOfDate = true;
    const auto lines = waterBudgetLines(computeWaterBudget(problem));
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines[0].text, "Flows in m\xB3/d, counted as they enter (In) or leave (Out) the aquifer.");
    EXPECT_TRUE(lines[2].heading);
    EXPECT_EQ(lines[2].text, "Results out of date: solve again");
    EXPECT_EQ(lines[4].text, "Boundaries: prescribed heads joined by element sides");
    EXPECT_EQ(lines[5].text,
              "  Group  Nodes  Extent (m)                         Head (m)         In (m\xB3/d)"
              "     Out (m\xB3/d)");
    EXPECT_EQ(lines[6].text, "      1     33  x 0.0, y 0.0\x96"
                             "100.0                 15.000            5.000000       0.000000");
    EXPECT_EQ(lines[8].text, "  Total" + std::string(56, ' ') + "      5.000000       5.000000");
    EXPECT_EQ(lines[12].text, "  none");
    EXPECT_EQ(lines.back().text.substr(0, 16), "  Discrepancy (%");
    // Every flow row puts In and Out in the same columns.
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::string& text = lines[k].text;
        if (text.size() <= 63 || text.find("In - Out") == 2 || text.find("Discrepancy") == 2) continue;
        EXPECT_EQ(text.size(), 92u) << text;
    }
}
