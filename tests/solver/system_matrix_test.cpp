// Matrix structure: upper-triangle rows, diagonal first, other columns in first-met order.
#include "default_problem.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "solver/grid_support.h"
#include "solver/reference_support.h"
#include "solver/system_matrix.h"

using namespace velkor;

namespace {

using test::defaultProblem;

std::vector<int32_t> row(const SystemMatrix& matrix, int32_t k) {
    std::vector<int32_t> columns{k};
    for (int32_t e = matrix.offBegin(k); e < matrix.offEnd[static_cast<std::size_t>(k)]; ++e)
        columns.push_back(matrix.columns[static_cast<std::size_t>(e)]);
    return columns;
}

} // namespace

TEST(MatrixStructure, DefaultProblemHasSixEntriesInThreeRows) {
    Problem problem = defaultProblem();
    SystemMatrix matrix;
    const StructureResult result = buildStructure(problem, matrix);
    ASSERT_TRUE(result.result.ok());
    EXPECT_EQ(result.entries, 6);
    EXPECT_EQ(row(matrix, 0), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(row(matrix, 1), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(row(matrix, 2), (std::vector<int32_t>{2}));
    EXPECT_EQ(problem.nodes[0].rowEnd, 3);
    EXPECT_EQ(problem.nodes[1].rowEnd, 5);
    EXPECT_EQ(problem.nodes[2].rowEnd, 6);
}

TEST(MatrixStructure, ColumnsInFirstMetOrderAsTheElementScanFindsThem) {
    // A grid with its nodes numbered at random: rows are long, unsorted and far apart.
    test::GridLayout layout;
    layout.cellsX = 7;
    layout.cellsY = 5;
    Problem problem;
    test::makeGrid(problem, layout);
    std::vector<int32_t> order(static_cast<std::size_t>(problem.NN));
    std::iota(order.begin(), order.end(), 0);
    uint32_t seed = 12345;
    for (std::size_t i = order.size() - 1; i > 0; --i) {
        seed = seed * 1664525u + 1013904223u;
        std::swap(order[i], order[seed % (i + 1)]);
    }
    for (int32_t m = 0; m < problem.NM; ++m)
        for (int32_t& node : problem.elements[static_cast<std::size_t>(m)].node)
            node = order[static_cast<std::size_t>(node)];
    // One element naming a node twice, and a node in no element.
    problem.elements[static_cast<std::size_t>(problem.NM)] = Element{{4, 9, 4}, 0};
    ++problem.NM;
    problem.nodes[static_cast<std::size_t>(problem.NN)] = Node{};
    ++problem.NN;

    Problem plain = problem;
    const test::ReferenceRun reference = test::referenceSolve(plain, false);
    SystemMatrix matrix;
    const StructureResult result = buildStructure(problem, matrix);
    ASSERT_TRUE(result.result.ok());
    EXPECT_EQ(result.entries, reference.entries);
    for (int32_t k = 0; k < problem.NN; ++k) {
        const int32_t begin = k == 0 ? 0 : plain.nodes[static_cast<std::size_t>(k - 1)].rowEnd;
        const std::vector<int32_t> expected(reference.columns.begin() + begin,
                                            reference.columns.begin() +
                                                plain.nodes[static_cast<std::size_t>(k)].rowEnd);
        EXPECT_EQ(row(matrix, k), expected) << "row " << k;
        EXPECT_EQ(problem.nodes[static_cast<std::size_t>(k)].rowEnd,
                  plain.nodes[static_cast<std::size_t>(k)].rowEnd);
    }
    EXPECT_EQ(row(matrix, problem.NN - 1), (std::vector<int32_t>{problem.NN - 1}));
}

TEST(MatrixStructure, RefusesAtTheEntryCapacityWithTheCapacityMessage) {
    // A 3 x 3 cell grid: 16 nodes, 16 + 33 = 49 entries. NMAX = 10 allows 50 entries, NMAX = 9 only 45.
    test::GridLayout layout;
    layout.cellsX = 3;
    layout.cellsY = 3;
    Problem problem;
    test::makeGrid(problem, layout);
    SystemMatrix matrix;
    StructureResult fitting = buildStructure(problem, matrix);
    ASSERT_TRUE(fitting.result.ok());
    ASSERT_EQ(fitting.entries, 49);

    // Capacity 50 > 49: fits. The tables hold 17 nodes; pretend NMAX is smaller for the check.
    problem.limits.NMAX = 10;
    fitting = buildStructure(problem, matrix);
    EXPECT_TRUE(fitting.result.ok());

    problem.limits.NMAX = 9; // capacity 45: reached inside a row, which is still counted to its end
    const StructureResult refused = buildStructure(problem, matrix);
    EXPECT_EQ(refused.result.outcome, Outcome::RefusedCapacity);
    EXPECT_GE(refused.entries, 45);
    EXPECT_LE(matrix.columns.size(), 45u);
    EXPECT_EQ(
        refused.result.message,
        "Capacity exceeded\n\nThe number of nodes in the problem is too large to generate the matrix.\n\n"
        "The capacity of the program can be increased by increasing the values of NMAX and MMAX in the "
        "Installation Grid of the main window.");

    Problem plain = problem;
    EXPECT_EQ(test::referenceSolve(plain, false).entries, refused.entries);
}

TEST(MatrixStructure, SymmetricProductVisitsEachStoredEntryOnce) {
    Problem problem = defaultProblem();
    SystemMatrix matrix;
    buildStructure(problem, matrix);
    // [[4 1 2] [1 5 3] [2 3 6]]
    matrix.diagonal = {4, 5, 6};
    matrix.values = {1, 2, 3};
    const double x[3] = {1, 10, 100};
    double y[3] = {7, 7, 7};
    multiplySymmetric(matrix, x, y);
    EXPECT_EQ(y[0], 4 + 10 + 200);
    EXPECT_EQ(y[1], 1 + 50 + 300);
    EXPECT_EQ(y[2], 2 + 30 + 600);
}
