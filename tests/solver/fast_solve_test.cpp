// The fast solve: the same heads as the conjugate gradients on the examples and the closed-form
// cases, every cycle within 1e-6 m of the exact answer of its equations, the progress of every
// iteration, the warm start, the same bits run after run, and failures that leave the heads alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/system_memory.h"
#include "operations/mesh_edits.h"
#include "solver/assembly.h"
#include "solver/conjugate_gradient.h"
#include "solver/example_support.h"
#include "solver/fast_solve.h"
#include "solver/grid_support.h"
#include "solver/solve_command.h"

using namespace velkor;

namespace {

const Node& node(const Problem& problem, int32_t i) {
    return problem.nodes[static_cast<std::size_t>(i)];
}

// Relative water balance |sum Q| / sum |Q| over all nodes.
double imbalance(const Problem& problem) {
    double sum = 0, sumAbs = 0;
    for (int32_t i = 0; i < problem.NN; ++i) {
        sum += node(problem, i).Q;
        sumAbs += std::fabs(node(problem, i).Q);
    }
    return std::fabs(sum) / sumAbs;
}

// Solves copies of the problem by plain conjugate gradients and by the fast solve; expects both
// to succeed, the fast heads within 1e-6 m of the iteration's at every node (the largest
// difference is recorded as a test property) and the fast answer's water balance closed.
Problem expectSameHeads(const Problem& problem, const std::string& name) {
    Problem iterated = problem, fast = problem;
    EXPECT_EQ(solveProblem(iterated, SolveMethod::Plain).result.outcome, Outcome::Done) << name;
    const SolveReport report = solveProblem(fast, SolveMethod::Fast);
    EXPECT_EQ(report.result.outcome, Outcome::Done) << name << ": " << report.result.message;
    double largest = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        largest = std::max(largest, std::fabs(node(fast, i).F - node(iterated, i).F));
    EXPECT_LE(largest, 1e-6) << name;
    EXPECT_LT(imbalance(fast), 1e-6) << name;
    EXPECT_EQ(fast.warning, iterated.warning) << name;
    char figures[80];
    std::snprintf(figures, sizeof figures, "%.1e m, balance %.1e", largest, imbalance(fast));
    ::testing::Test::RecordProperty(name, figures);
    return fast;
}

test::GridLayout strip(int32_t cells, double length, double width) {
    test::GridLayout layout;
    layout.cellsX = cells;
    layout.cellsY = 2;
    layout.lengthX = length;
    layout.lengthY = width;
    return layout;
}

Problem between(const test::GridLayout& layout, double left, double right) {
    Problem problem;
    test::makeGrid(problem, layout);
    test::prescribeColumn(problem, layout, 0, left);
    test::prescribeColumn(problem, layout, layout.cellsX, right);
    return problem;
}

struct Recorder : Feedback {
    std::vector<int32_t> assembledCycles;
    std::vector<Progress> solved;
    int32_t cancelAfterCycle = 0;     // 0: never
    int32_t cancelAfterIteration = 0; // 0: never
    void progress(const Progress& progress) override {
        if (progress.stage == Stage::Assembly) assembledCycles.push_back(progress.cycle);
        if (progress.stage == Stage::Iteration) solved.push_back(progress);
    }
    bool cancelRequested() override {
        if (solved.empty()) return false;
        return (cancelAfterCycle > 0 && solved.back().cycle >= cancelAfterCycle) ||
               (cancelAfterIteration > 0 && solved.back().iteration >= cancelAfterIteration);
    }
};

} // namespace

TEST(FastSolve, SameHeadsAsTheIterationOnTheExamples) {
    for (const char* name : {"Val1.fem", "Val2.fem", "Val3.fem"})
        expectSameHeads(test::openedExample(name), name);
}

TEST(FastSolve, SameHeadsAsTheIterationOnTheClosedFormCases) {
    // Confined between two heads: h = 15 - 0.005 x, exact on any mesh.
    {
        test::GridLayout layout = strip(40, 1000, 10);
        const Problem fast = expectSameHeads(between(layout, 15, 10), "confined strip");
        for (int32_t i = 0; i < fast.NN; ++i)
            EXPECT_NEAR(node(fast, i).F, 15 - 0.005 * node(fast, i).X, 1e-9);
    }
    // Unconfined (Dupuit), B = 0, top above the heads: h^2 = 225 - 125 x / 1000.
    {
        test::GridLayout layout = strip(50, 1000, 10);
        layout.top = 20;
        const Problem fast = expectSameHeads(between(layout, 15, 10), "unconfined strip");
        for (int32_t i = 0; i < fast.NN; ++i)
            EXPECT_NEAR(node(fast, i).F, std::sqrt(225 - 0.125 * node(fast, i).X), 0.05);
    }
    // Confined near the high end, unconfined beyond x = 400 m.
    {
        test::GridLayout layout = strip(70, 700, 100);
        expectSameHeads(between(layout, 15, 5), "confined and unconfined strip");
    }
    // Infiltration between two canals, confined (K H = 100) and unconfined (K = 10, B = 0).
    {
        test::GridLayout layout = strip(50, 1000, 100);
        layout.top = 2;
        layout.K = 50;
        layout.I = 0.001;
        expectSameHeads(between(layout, 6, 4), "canals, confined");
        layout.top = 20;
        layout.K = 10;
        expectSameHeads(between(layout, 10, 10), "canals, unconfined");
    }
    // A well pumping 1000 m3/d in a square whose boundary holds the Thiem heads (K H = 200).
    {
        test::GridLayout layout;
        layout.cellsX = layout.cellsY = 40;
        layout.lengthX = layout.lengthY = 2000;
        layout.originX = layout.originY = -1000;
        layout.K = 20;
        layout.head = 20;
        Problem problem;
        test::makeGrid(problem, layout);
        for (int32_t i = 0; i < problem.NN; ++i) {
            Node& n = problem.nodes[static_cast<std::size_t>(i)];
            if (std::fabs(n.X) == 1000 || std::fabs(n.Y) == 1000) {
                n.Type = 1;
                n.F = 20 - 1000 / (2 * std::numbers::pi * 200) * std::log(1000 / std::hypot(n.X, n.Y));
            }
        }
        problem.NW = 1;
        problem.wellNodes[0] = test::gridNode(layout, 20, 20);
        problem.wellQ[0] = -1000;
        expectSameHeads(problem, "Thiem well");
    }
}

TEST(FastSolve, EveryCycleIsWithinAMicrometreOfTheExactAnswerOfItsEquations) {
    // The equations of a cycle, assembled from given heads, solved by the fast solve and by plain
    // conjugate gradients run to r.r <= 1e-24 (the last cycle's tolerance) as the exact answer.
    auto compare = [](Problem problem, int32_t cycle, const char* name) {
        SystemMatrix matrix;
        ASSERT_TRUE(buildStructure(problem, matrix).result.ok()) << name;
        auto [heads, bottom, roles] = nodeVectors(problem);
        std::vector<double> supply;
        ASSERT_TRUE(assembleSystem(problem, cycle, heads.data(), matrix, supply).ok()) << name;
        std::vector<double> exact = heads, fast = heads;
        ConjugateGradientWork work;
        ConjugateGradientInput reference;
        reference.matrix = &matrix;
        reference.supply = supply.data();
        reference.roles = roles.data();
        reference.bottom = bottom.data();
        reference.cycle = 5;
        reference.iterationLimit = 100000;
        ASSERT_TRUE(solveConjugateGradient(reference, exact.data(), work).converged) << name;
        FastSolver solver;
        const FastSolveResult solved = solver.solve(
            FastSolveInput{&matrix, supply.data(), roles.data(), bottom.data(), cycle, problem.NM},
            fast.data());
        ASSERT_EQ(solved.result.outcome, Outcome::Done) << name;
        EXPECT_TRUE(solved.converged) << name;
        double largest = 0;
        for (std::size_t i = 0; i < fast.size(); ++i)
            largest = std::max(largest, std::fabs(fast[i] - exact[i]));
        EXPECT_LE(largest, 1e-6) << name;
    };
    compare(test::openedExample("Val1.fem"), 0, "Val1, first cycle");
    Problem val3 = test::openedExample("Val3.fem");
    compare(val3, 0, "Val3, first cycle");
    ASSERT_EQ(solveProblem(val3, SolveMethod::Plain).result.outcome, Outcome::Done);
    compare(val3, 5, "Val3, last cycle from solved heads");
    // A well pumping 500 m3/d from an unconfined square 20 m deep: a cone of a few metres.
    test::GridLayout layout;
    layout.cellsX = layout.cellsY = 30;
    layout.lengthX = layout.lengthY = 600;
    layout.top = 30;
    layout.head = 20;
    layout.K = 5;
    Problem well;
    test::makeGrid(well, layout);
    test::prescribeColumn(well, layout, 0, 20);
    test::prescribeColumn(well, layout, layout.cellsX, 20);
    well.NW = 1;
    well.wellNodes[0] = test::gridNode(layout, 15, 15);
    well.wellQ[0] = -500;
    compare(well, 0, "pumped square, first cycle");
    for (int32_t i = 0; i < well.NN; ++i)
        well.nodes[static_cast<std::size_t>(i)].F = 20 - 0.01 * (i % 3);
    compare(well, 3, "pumped square, a later cycle");
}

TEST(FastSolve, ProgressShowsEveryIterationAndTheMeasureOfTheAnswer) {
    Problem problem = test::openedExample("Val3.fem");
    Recorder recorder;
    const SolveReport report = solveProblem(problem, SolveMethod::Fast, &recorder);
    ASSERT_EQ(report.result.outcome, Outcome::Done);
    // Within a cycle the iterations count up one by one; its last report is the cycle's count.
    for (int32_t c = 1; c <= 6; ++c) {
        std::vector<Progress> cycle;
        for (const Progress& progress : recorder.solved)
            if (progress.cycle == c) cycle.push_back(progress);
        ASSERT_GE(cycle.size(), 2u) << "cycle " << c;
        for (std::size_t k = 0; k + 1 < cycle.size(); ++k)
            EXPECT_EQ(cycle[k].iteration, static_cast<int32_t>(k) + 1) << "cycle " << c;
        EXPECT_EQ(cycle.back().iteration, report.cycles[static_cast<std::size_t>(c - 1)].iterations);
        EXPECT_GT(cycle.back().iteration, 0);
        EXPECT_TRUE(report.cycles[static_cast<std::size_t>(c - 1)].converged);
    }
    // r.r of the final heads, r = supply - A F over the nodes whose head was computed, from the
    // discharges Q = A F the command wrote: the measure the plain iteration reports.
    double measure = 0;
    for (int32_t i = 0; i < problem.NN; ++i) {
        if (node(problem, i).Type > 0) continue;
        const double r = node(problem, i).supply - node(problem, i).Q;
        measure += r * r;
    }
    EXPECT_DOUBLE_EQ(report.cycles.back().log10Measure, std::log10(measure));
    EXPECT_DOUBLE_EQ(recorder.solved.back().log10Measure, std::log10(measure));
    EXPECT_DOUBLE_EQ(problem.errorLog, std::log10(measure));
    EXPECT_LT(problem.errorLog, -12);
}

TEST(FastSolve, EachCycleStartsFromTheHeadsBefore) {
    // Confined: the equations never change, and once the first cycle has solved them the others
    // have nothing left to do; a solved problem solved again has nothing to do at all.
    Problem problem = test::openedExample("Val1.fem");
    SolveReport report = solveProblem(problem, SolveMethod::Fast);
    ASSERT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_GT(report.cycles[0].iterations, 0);
    for (std::size_t c = 1; c < 6; ++c)
        EXPECT_EQ(report.cycles[c].iterations, 0) << "cycle " << c + 1;
    report = solveProblem(problem, SolveMethod::Fast);
    for (const CycleReport& cycle : report.cycles)
        EXPECT_EQ(cycle.iterations, 0);
    // Unconfined: every cycle has its own equations, each needing fewer iterations from the last
    // heads than the first needed.
    Problem unconfined = test::openedExample("Val3.fem");
    report = solveProblem(unconfined, SolveMethod::Fast);
    ASSERT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_LT(report.cycles[5].iterations, report.cycles[0].iterations);
}

// A cycle after the first that ends on the heads it began with leaves the later cycles the same
// equations and start: they are reported as that cycle again, with their progress, without being
// assembled element by element. Where the water table moves, every cycle is computed.
TEST(FastSolve, CyclesThatEndWhereTheyBeganAreNotComputedAgain) {
    auto assemblyReports = [](const Recorder& recorder, int32_t cycle) {
        return std::count(recorder.assembledCycles.begin(), recorder.assembledCycles.end(), cycle);
    };
    for (const SolveMethod method : {SolveMethod::Fast, SolveMethod::Direct}) {
        Problem problem = test::openedExample("Val1.fem");
        Recorder recorder;
        const SolveReport report = solveProblem(problem, method, &recorder);
        ASSERT_EQ(report.result.outcome, Outcome::Done);
        ASSERT_EQ(report.cycles.size(), 6u);
        EXPECT_GT(assemblyReports(recorder, 1), 1);
        EXPECT_GT(assemblyReports(recorder, 2), 1);
        for (int32_t c = 3; c <= 6; ++c) {
            EXPECT_EQ(assemblyReports(recorder, c), 1) << "cycle " << c;
            const CycleReport& cycle = report.cycles[static_cast<std::size_t>(c - 1)];
            EXPECT_EQ(cycle.iterations, report.cycles[1].iterations);
            EXPECT_EQ(cycle.log10Measure, report.cycles[1].log10Measure);
            EXPECT_EQ(cycle.converged, report.cycles[1].converged);
        }
        EXPECT_EQ(recorder.solved.back().cycle, 6);
        EXPECT_EQ(recorder.solved.back().log10Measure, report.cycles[5].log10Measure);
    }
    // The conjugate gradients tighten their tolerance from cycle to cycle: all six are run.
    Problem iterated = test::openedExample("Val1.fem");
    Recorder plain;
    ASSERT_EQ(solveProblem(iterated, SolveMethod::Plain, &plain).result.outcome, Outcome::Done);
    Problem unconfined = test::openedExample("Val3.fem");
    Recorder fast;
    ASSERT_EQ(solveProblem(unconfined, SolveMethod::Fast, &fast).result.outcome, Outcome::Done);
    for (int32_t c = 1; c <= 6; ++c) {
        EXPECT_GT(assemblyReports(plain, c), 1) << "cycle " << c;
        EXPECT_GT(assemblyReports(fast, c), 1) << "cycle " << c;
    }
}

TEST(FastSolve, SameInputSameBits) {
    Problem first = test::openedExample("Val3.fem");
    Problem second = first;
    ASSERT_EQ(solveProblem(first, SolveMethod::Fast).result.outcome, Outcome::Done);
    ASSERT_EQ(solveProblem(second, SolveMethod::Fast).result.outcome, Outcome::Done);
    for (int32_t i = 0; i < first.NN; ++i) {
        EXPECT_EQ(node(first, i).F, node(second, i).F);
        EXPECT_EQ(node(first, i).Q, node(second, i).Q);
    }
}

TEST(FastSolve, IterationLimitEndsTheCycleUnconverged) {
    Problem problem = test::openedExample("Val3.fem");
    SystemMatrix matrix;
    ASSERT_TRUE(buildStructure(problem, matrix).result.ok());
    auto [heads, bottom, roles] = nodeVectors(problem);
    std::vector<double> supply;
    ASSERT_TRUE(assembleSystem(problem, 0, heads.data(), matrix, supply).ok());
    FastSolveInput input{&matrix, supply.data(), roles.data(), bottom.data(), 0, problem.NM};
    input.iterationLimit = 1;
    FastSolver solver;
    const FastSolveResult solved = solver.solve(input, heads.data());
    EXPECT_EQ(solved.result.outcome, Outcome::Done);
    EXPECT_FALSE(solved.converged);
    EXPECT_GE(solved.iterations, 1);
    EXPECT_LE(solved.iterations, 3); // one a round
}

TEST(FastSolve, CancelBetweenIterationsStopsTheCycle) {
    Problem problem = test::openedExample("Val3.fem");
    const Problem before = problem;
    Recorder recorder;
    recorder.cancelAfterIteration = 2;
    const SolveReport report = solveProblem(problem, SolveMethod::Fast, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Cancelled);
    // Asked after the second iteration, the cycle stops at the next (it takes 8 when let be).
    ASSERT_FALSE(recorder.solved.empty());
    EXPECT_LE(recorder.solved.back().iteration, 3);
    EXPECT_EQ(recorder.solved.back().cycle, 1);
    for (int32_t i = 0; i < problem.NN; ++i)
        EXPECT_EQ(node(problem, i).F, node(before, i).F);
}

TEST(FastSolve, CancelBetweenCyclesLeavesTheHeads) {
    Problem problem = test::openedExample("Val3.fem");
    const Problem before = problem;
    Recorder recorder;
    recorder.cancelAfterCycle = 1;
    const SolveReport report = solveProblem(problem, SolveMethod::Fast, &recorder);
    EXPECT_EQ(report.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(recorder.assembledCycles.back(), 1); // the second cycle never started
    for (int32_t i = 0; i < problem.NN; ++i)
        EXPECT_EQ(node(problem, i).F, node(before, i).F);
}

TEST(FastSolve, EquationsThatAreNotPositiveDefiniteAreRefusedAndTheHeadsKept) {
    Problem problem = test::indefiniteProblem();
    const Problem before = problem;

    const SolveReport report = solveProblem(problem, SolveMethod::Fast);
    EXPECT_EQ(report.result.outcome, Outcome::BadInput);
    EXPECT_EQ(
        report.result.message.rfind("The equations of cycle 1 have no unique solution: the fast solver found "
                                    "them not positive definite.\n\n",
                                    0),
        0u)
        << report.result.message;
    for (int32_t i = 0; i < problem.NN; ++i) {
        EXPECT_EQ(node(problem, i).F, node(before, i).F);
        EXPECT_EQ(node(problem, i).Q, node(before, i).Q);
    }
    EXPECT_EQ(problem.errorLog, before.errorLog);
}

TEST(FastSolve, UndeterminedHeadsAreRefusedAsByTheIteration) {
    // Without a prescribed head the equations are singular: refused before the fast solve starts.
    Problem none = test::defaultProblem();
    none.nodes[0].Type = none.nodes[1].Type = 0;
    const SolveReport report = solveProblem(none, SolveMethod::Fast);
    EXPECT_EQ(report.result.outcome, Outcome::BadInput);
    EXPECT_EQ(report.result.message.rfind(
                  "The heads cannot be determined: no node of the problem has a prescribed head.", 0),
              0u);
    EXPECT_EQ(none.nodes[2].F, 10.0);
}

TEST(FastSolve, EveryHeadPrescribedLeavesNothingToFactorise) {
    Problem problem = between(strip(2, 100, 10), 15, 10);
    for (int32_t i = 0; i < problem.NN; ++i)
        problem.nodes[static_cast<std::size_t>(i)].Type = 1;
    const SolveReport report = solveProblem(problem, SolveMethod::Fast);
    ASSERT_EQ(report.result.outcome, Outcome::Done);
    EXPECT_EQ(node(problem, 3).F, 10); // the head it was given
}

TEST(FastSolve, RefusesWithItsMessageWhenTheMemoryIsShort) {
    // In a child whose data size is held to 32 MB above what it uses, Val3 refined to 66049 nodes
    // (the fast solve wants some 45 MB for it) is refused before anything is started for it.
    Limits limits;
    limits.NMAX = 258 * 258; // a Split 4 pass needs room for four times the nodes it starts from
    limits.MMAX = 2 * 256 * 256 + 16;
    Problem refined = test::defaultProblem();
    ASSERT_TRUE(refined.allocateTables(limits));
    refined.resetToDefaultProblem();
    refined.buildColoursAndDefaultSoils();
    ASSERT_TRUE(readDatafile(refined, std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem").ok());
    for (int pass = 0; pass < 3; ++pass)
        ASSERT_TRUE(splitMesh(refined, SplitKind::IntoFour).ok());
    const Node before = refined.nodes[100];
    const pid_t child = ::fork();
    if (child == 0) {
        uint64_t pages[6] = {};
        std::ifstream statm("/proc/self/statm");
        for (uint64_t& value : pages)
            statm >> value;
        const auto cap = static_cast<rlim_t>(pages[5] * ::sysconf(_SC_PAGESIZE) + (32u << 20));
        const rlimit limit{cap, cap};
        if (::setrlimit(RLIMIT_DATA, &limit) != 0 || availableMemory() > (32u << 20)) std::_Exit(2);
        const SolveReport refusal = solveProblem(refined, SolveMethod::Fast);
        const bool refused =
            refusal.result.outcome == Outcome::OutOfMemory &&
            refusal.result.message.rfind(
                "Not enough memory for the fast solver to solve the equations of cycle 1.\n\n", 0) == 0 &&
            refined.nodes[100].F == before.F && refined.nodes[100].Q == before.Q;
        std::_Exit(refused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused, 2: the limit could not be set";
}

TEST(FastSolve, BatchOperationReportsConvergedCycles) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / "velkor_fast_solve_summary.txt";
    const std::string command = std::string(VELKOR_BATCH_PROGRAM) + " " + VELKOR_EXAMPLES_DIR +
                                "/Val3.fem solve:fast --summary >" + out.string() + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    std::filesystem::remove(out);
    for (int c = 1; c <= 6; ++c)
        EXPECT_NE(text.str().find("cycle " + std::to_string(c) + " iterations "), std::string::npos)
            << text.str();
    EXPECT_EQ(text.str().find("converged 0"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("iterations 0 "), std::string::npos) << text.str();
}
