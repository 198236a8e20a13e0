// The direct solve (solve:direct, a sparse Cholesky factorisation of every cycle): the heads of the
// conjugate gradients and of the fast solve on the examples, no iterations, and equations that are
// not positive definite refused with the heads kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

#include "solver/example_support.h"
#include "solver/grid_support.h"
#include "solver/solve_command.h"

using namespace velkor;

TEST(DirectSolve, SameHeadsAsTheIterationAndTheFastSolveOnTheExamples) {
    for (const char* name : {"Val1.fem", "Val2.fem", "Val3.fem"}) {
        const Problem problem = test::openedExample(name);
        Problem iterated = problem, fast = problem, direct = problem;
        ASSERT_EQ(solveProblem(iterated, SolveMethod::Plain).result.outcome, Outcome::Done) << name;
        ASSERT_EQ(solveProblem(fast, SolveMethod::Fast).result.outcome, Outcome::Done) << name;
        const SolveReport report = solveProblem(direct, SolveMethod::Direct);
        ASSERT_EQ(report.result.outcome, Outcome::Done) << name << ": " << report.result.message;
        for (const CycleReport& cycle : report.cycles) {
            EXPECT_EQ(cycle.iterations, 0);
            EXPECT_TRUE(cycle.converged);
        }
        for (int32_t i = 0; i < problem.NN; ++i) {
            const double F = direct.nodes[static_cast<std::size_t>(i)].F;
            EXPECT_NEAR(F, iterated.nodes[static_cast<std::size_t>(i)].F, 1e-6) << name << " node " << i + 1;
            EXPECT_NEAR(F, fast.nodes[static_cast<std::size_t>(i)].F, 1e-6) << name << " node " << i + 1;
        }
    }
}

TEST(DirectSolve, EquationsThatAreNotPositiveDefiniteAreRefusedAndTheHeadsKept) {
    Problem problem = test::indefiniteProblem();
    const SolveReport report = solveProblem(problem, SolveMethod::Direct);
    EXPECT_EQ(report.result.outcome, Outcome::BadInput);
    EXPECT_EQ(report.result.message.rfind(
                  "The equations of cycle 1 have no unique solution: the direct solver found "
                  "them not positive definite.\n\n",
                  0),
              0u)
        << report.result.message;
    EXPECT_EQ(problem.nodes[0].F, 7);
}

TEST(DirectSolve, BatchOperationSolvesWithoutIterations) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / "velkor_direct_solve_summary.txt";
    const std::string command = std::string(VELKOR_BATCH_PROGRAM) + " " + VELKOR_EXAMPLES_DIR +
                                "/Val1.fem solve:direct --summary >" + out.string() + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    std::filesystem::remove(out);
    for (int c = 1; c <= 6; ++c)
        EXPECT_NE(text.str().find("cycle " + std::to_string(c) + " iterations 0 log10rho "),
                  std::string::npos)
            << text.str();
}
