// Assembly: element coefficients with the confined/unconfined thickness, supplies, progress.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "solver/assembly.h"
#include "solver/grid_support.h"

using namespace velkor;

namespace {

// One right triangle (0,0), (100,0), (0,50): b = (-50, 50, 0), c = (-100, 0, 100), delta = 5000.
Problem oneElement(double head, double K = 2) {
    Problem problem;
    problem.allocateTables(Limits{});
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    const double xy[3][2] = {{0, 0}, {100, 0}, {0, 50}};
    for (int k = 0; k < 3; ++k) {
        Node& node = problem.nodes[static_cast<std::size_t>(k)];
        node.X = xy[k][0];
        node.Y = xy[k][1];
        node.B = 0;
        node.T = 10;
        node.F = head;
    }
    problem.soils[0].K = K;
    return problem;
}

struct Assembled {
    SystemMatrix matrix;
    std::vector<double> supply;
};

Assembled assemble(Problem& problem, int32_t cycle) {
    Assembled out;
    buildStructure(problem, out.matrix);
    std::vector<double> heads;
    for (int32_t i = 0; i < problem.NN; ++i)
        heads.push_back(problem.nodes[static_cast<std::size_t>(i)].F);
    const Result result = assembleSystem(problem, cycle, heads.data(), out.matrix, out.supply);
    EXPECT_TRUE(result.ok()) << result.message;
    return out;
}

} // namespace

TEST(Assembly, ThicknessIsConfinedInTheFirstCycleThenFollowsTheWaterTable) {
    // Diagonal of node 1 = K D / (2 |delta|) (b1^2 + c1^2) = 2 D / 10000 * 12500 = 2.5 D.
    Problem problem = oneElement(4);
    EXPECT_DOUBLE_EQ(assemble(problem, 0).matrix.diagonal[0], 25.0); // D = T - B = 10
    EXPECT_DOUBLE_EQ(assemble(problem, 1).matrix.diagonal[0], 10.0); // D = F - B = 4
    Problem above = oneElement(12);
    EXPECT_DOUBLE_EQ(assemble(above, 3).matrix.diagonal[0], 25.0); // head above the top: confined
}

TEST(Assembly, DryElementKeepsOneCentimetreOfThickness) {
    Problem problem = oneElement(-1);
    EXPECT_DOUBLE_EQ(assemble(problem, 1).matrix.diagonal[0], 2.5 * 0.01);
}

TEST(Assembly, OffDiagonalEntriesAndRowSumsOfTheElementMatrix) {
    // Entries C (b_i b_j + c_i c_j) with C = 0.002: (1,2) = 0.002 (-2500) = -5, (1,3) = -20, (2,3) = 0.
    Problem problem = oneElement(4);
    const Assembled a = assemble(problem, 0);
    ASSERT_EQ(a.matrix.values.size(), 3u);
    EXPECT_DOUBLE_EQ(a.matrix.values[0], -5.0);
    EXPECT_DOUBLE_EQ(a.matrix.values[1], -20.0);
    EXPECT_DOUBLE_EQ(a.matrix.values[2], 0.0);
    EXPECT_DOUBLE_EQ(a.matrix.diagonal[1], 5.0);
    EXPECT_DOUBLE_EQ(a.matrix.diagonal[2], 20.0);
}

TEST(Assembly, SupplyHoldsWellsAndAThirdOfTheInfiltrationPerCorner) {
    Problem problem = oneElement(4);
    problem.soils[0].I = 0.0012; // 0.0012 * 2500 m2 / 3 = 1 m3/d per corner
    problem.NW = 2;
    problem.wellNodes[0] = 1;
    problem.wellQ[0] = -100;
    problem.wellNodes[1] = 1;
    problem.wellQ[1] = 30;
    const Assembled a = assemble(problem, 0);
    EXPECT_DOUBLE_EQ(a.supply[0], 1.0);
    EXPECT_DOUBLE_EQ(a.supply[1], -69.0);
    EXPECT_DOUBLE_EQ(a.supply[2], 1.0);
}

TEST(Assembly, ZeroAreaElementIsRefusedByNumber) {
    test::GridLayout layout;
    layout.cellsX = 2;
    Problem problem;
    test::makeGrid(problem, layout);
    // Element 3 (1-based) gets three nodes on the line y = 0.
    problem.elements[2] = Element{{0, 2, 4}, 0};
    SystemMatrix matrix;
    buildStructure(problem, matrix);
    std::vector<double> heads(static_cast<std::size_t>(problem.NN), 10.0), supply;
    const Result result = assembleSystem(problem, 0, heads.data(), matrix, supply);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message.rfind("Element 3 has no area", 0), 0u) << result.message;
}

TEST(AssemblyProgress, ReportsEveryTenthElementAndTheLastOne) {
    for (const auto& [cellsX, last] : {std::pair{15, 150}, std::pair{21, 210}, std::pair{7, 70}}) {
        test::GridLayout layout;
        layout.cellsX = cellsX;
        layout.cellsY = 5;
        Problem problem;
        test::makeGrid(problem, layout);
        SystemMatrix matrix;
        buildStructure(problem, matrix);
        std::vector<double> heads(static_cast<std::size_t>(problem.NN), 10.0), supply;
        struct Rows : Feedback {
            std::vector<std::pair<int32_t, int32_t>> rows;
            void progress(const Progress& progress) override {
                rows.emplace_back(progress.element, progress.cycle);
            }
        } feedback;
        assembleSystem(problem, 2, heads.data(), matrix, supply, &feedback);
        const auto& rows = feedback.rows;
        const int32_t step = last > 100 ? 10 : 1;
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(last / step));
        for (std::size_t k = 0; k < rows.size(); ++k) {
            EXPECT_EQ(rows[k].first, static_cast<int32_t>(k + 1) * step);
            EXPECT_EQ(rows[k].second, 3);
        }
    }
}
