// Long work on a copy of the problem: a solve or a Split done on a copy and taken into the problem
// leaves exactly the problem the operation leaves when it runs on the problem itself, bit for bit;
// a cancelled or refused one leaves the problem as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "default_problem.h"
#include "io/datafile.h"
#include "operations/mesh_edits.h"
#include "operations/problem_operations.h"
#include "operations/problem_snapshot.h"
#include "operations/work_copies.h"

using namespace velkor;
using velkor::test::defaultProblem;

namespace {

Problem opened(const char* name) {
    Problem p = defaultProblem();
    EXPECT_TRUE(openDatafile(p, std::string(VELKOR_EXAMPLES_DIR) + "/" + name).ok());
    return p;
}

template <typename Row> bool sameRows(const Row* a, const Row* b, int32_t count) {
    return count <= 0 || std::memcmp(a, b, static_cast<std::size_t>(count) * sizeof(Row)) == 0;
}

// Every member, the rows in use of the large tables byte for byte (doubles compared as bits).
void expectSameProblem(const Problem& a, const Problem& b) {
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.problemName, b.problemName);
    EXPECT_EQ(a.userName, b.userName);
    EXPECT_EQ(a.NA, b.NA);
    EXPECT_EQ(a.NB, b.NB);
    ASSERT_EQ(a.NN, b.NN);
    ASSERT_EQ(a.NM, b.NM);
    EXPECT_EQ(a.NW, b.NW);
    EXPECT_EQ(a.NP, b.NP);
    EXPECT_EQ(std::memcmp(&a.LX, &b.LX, sizeof a.LX), 0);
    EXPECT_EQ(a.limits, b.limits);
    EXPECT_EQ(a.nodes.size(), b.nodes.size());
    EXPECT_EQ(a.elements.size(), b.elements.size());
    EXPECT_TRUE(sameRows(a.nodes.data(), b.nodes.data(), a.usedNodeCount()));
    EXPECT_TRUE(sameRows(a.elements.data(), b.elements.data(), a.usedElementCount()));
    EXPECT_TRUE(sameRows(a.blocks.data(), b.blocks.data(), static_cast<int32_t>(a.blocks.size())));
    EXPECT_TRUE(sameRows(a.soils.data(), b.soils.data(), static_cast<int32_t>(a.soils.size())));
    EXPECT_EQ(a.wellNodes, b.wellNodes);
    EXPECT_TRUE(sameRows(a.wellQ.data(), b.wellQ.data(), static_cast<int32_t>(a.wellQ.size())));
    ASSERT_EQ(a.particles.size(), b.particles.size());
    for (std::size_t k = 0; k < a.particles.size(); ++k) {
        EXPECT_EQ(std::memcmp(&a.particles[k].X, &b.particles[k].X, 3 * sizeof(double)), 0)
            << "particle " << k;
        EXPECT_EQ(a.particles[k].element, b.particles[k].element) << "particle " << k;
    }
    EXPECT_EQ(a.blockColourIndex, b.blockColourIndex);
    EXPECT_EQ(a.colourTable, b.colourTable);
    EXPECT_EQ(std::memcmp(&a.meanQx, &b.meanQx, sizeof a.meanQx), 0);
    EXPECT_EQ(std::memcmp(&a.meanQy, &b.meanQy, sizeof a.meanQy), 0);
    EXPECT_EQ(a.matrixEntryCount, b.matrixEntryCount);
    EXPECT_EQ(std::memcmp(&a.errorLog, &b.errorLog, sizeof a.errorLog), 0);
    EXPECT_EQ(a.saved.NN, b.saved.NN);
    EXPECT_EQ(a.saved.NM, b.saved.NM);
    EXPECT_EQ(a.warning, b.warning);
    EXPECT_EQ(a.preconditioner, b.preconditioner);
    EXPECT_EQ(a.resultsStale, b.resultsStale);
    EXPECT_EQ(a.resultsOutOfDate, b.resultsOutOfDate);
    EXPECT_EQ(a.tablesAllocated, b.tablesAllocated);
}

class Cancelling : public Feedback {
  public:
    bool cancelRequested() override { return true; }
};

// Says yes once asked often enough: part-way through a pass.
class CancellingLater : public Feedback {
  public:
    explicit CancellingLater(int asks) : left_(asks) {}
    bool cancelRequested() override { return --left_ < 0; }

  private:
    int left_;
};

} // namespace

TEST(CopyWithRowsInUse, HoldsEveryMemberAndOnlyTheRowsInUse) {
    Problem p = opened("Val3.fem");
    p.preconditioner = true;
    p.warning = true;
    p.errorLog = -7.25;
    // A row beyond the count holds something from before; the copy starts it as a default.
    p.nodes[static_cast<std::size_t>(p.NN)].X = 123;
    const Problem copy = p.copyWithRowsInUse();
    expectSameProblem(copy, p);
    EXPECT_EQ(copy.nodes[static_cast<std::size_t>(p.NN)].X, 0);
}

// The background solve's promise: what a solve on a copy leaves, taken into the problem, is the
// problem a solve in place leaves, bit for bit, for each method.
TEST(TakeWorkedCopy, SolveOnACopyIsTheSolveInPlace) {
    for (const char* example : {"Val1.fem", "Val3.fem"}) {
        for (const SolveMethod method :
             {SolveMethod::Plain, SolveMethod::Preconditioned, SolveMethod::Fast}) {
            SCOPED_TRACE(std::string(example) + " method " + std::to_string(static_cast<int>(method)));
            Problem inPlace = opened(example);
            inPlace.resultsOutOfDate = true;
            Problem shown = opened(example);
            shown.resultsOutOfDate = true;

            SolveReport direct;
            const Applied solved = solve(inPlace, method, nullptr, direct);
            ASSERT_TRUE(solved.ok());

            Problem copy = shown.copyWithRowsInUse();
            SolveReport report;
            const Applied worked = solve(copy, method, nullptr, report);
            const Applied taken = takeWorkedCopy(shown, copy, worked);
            EXPECT_EQ(taken.changed, solved.changed);
            expectSameProblem(shown, inPlace);
            EXPECT_EQ(datafileText(shown), datafileText(inPlace));
            EXPECT_EQ(report.cycles.size(), direct.cycles.size());
        }
    }
}

TEST(TakeWorkedCopy, CancelledOrRefusedWorkChangesNothing) {
    Problem shown = opened("Val1.fem");
    shown.resultsOutOfDate = true;
    const Problem before = shown.copyWithRowsInUse();

    Problem copy = shown.copyWithRowsInUse();
    Cancelling cancel;
    SolveReport report;
    const Applied cancelled = solve(copy, SolveMethod::Plain, &cancel, report);
    EXPECT_EQ(cancelled.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(takeWorkedCopy(shown, copy, cancelled).changed, Change::None);
    expectSameProblem(shown, before);

    // No prescribed head anywhere: refused.
    for (int32_t i = 0; i < shown.NN; ++i)
        shown.nodes[static_cast<std::size_t>(i)].Type = 0;
    const Problem unfixed = shown.copyWithRowsInUse();
    copy = shown.copyWithRowsInUse();
    const Applied refused = solve(copy, SolveMethod::Plain, nullptr, report);
    EXPECT_EQ(refused.result.outcome, Outcome::BadInput);
    EXPECT_EQ(takeWorkedCopy(shown, copy, refused).changed, Change::None);
    expectSameProblem(shown, unfixed);
}

TEST(TakeWorkedCopy, SplitOnACopyIsTheSplitInPlace) {
    for (const SplitKind kind : {SplitKind::IntoFour, SplitKind::IntoTwo}) {
        Problem inPlace = opened("Val3.fem");
        Problem shown = opened("Val3.fem");
        const Applied split = splitMesh(inPlace, kind);
        ASSERT_TRUE(split.ok());
        Problem copy = shown.copyWithRowsInUse();
        const Applied worked = splitMesh(copy, kind);
        takeWorkedCopy(shown, copy, worked);
        expectSameProblem(shown, inPlace);
    }

    // Rows beyond the counts that hold an earlier mesh (a Split taken back): the same file, and
    // the same rows but for the solver's bookkeeping of the new nodes.
    Problem inPlace = opened("Val3.fem");
    const ProblemSnapshot unsplit = ProblemSnapshot::take(inPlace, Footprint::whole());
    ASSERT_TRUE(splitMesh(inPlace, SplitKind::IntoFour).ok());
    SolveReport report;
    ASSERT_TRUE(solve(inPlace, SolveMethod::Plain, nullptr, report).ok());
    unsplit.restore(inPlace);
    Problem shown = inPlace.copyWithRowsInUse();
    const int32_t before = inPlace.NN;
    ASSERT_TRUE(splitMesh(inPlace, SplitKind::IntoFour).ok());
    Problem copy = shown.copyWithRowsInUse();
    takeWorkedCopy(shown, copy, splitMesh(copy, SplitKind::IntoFour));
    EXPECT_EQ(datafileText(shown), datafileText(inPlace));
    for (int32_t i = before; i < inPlace.NN; ++i) {
        Node a = shown.nodes[static_cast<std::size_t>(i)], b = inPlace.nodes[static_cast<std::size_t>(i)];
        EXPECT_EQ(a.supply, 0);
        a.supply = b.supply = 0;
        a.rowEnd = b.rowEnd = 0;
        ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "node " << i;
    }
}

// A pass asked to stop part-way leaves the mesh as it found it, on the problem or on a copy.
TEST(SplitMesh, CancelledPartWayLeavesTheMeshAsItWas) {
    Limits large;
    large.NMAX = large.MMAX = 50'000;
    Problem p = defaultProblem(large);
    ASSERT_TRUE(openDatafile(p, std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem").ok());
    ASSERT_TRUE(splitMesh(p, SplitKind::IntoFour).ok()); // 8192 elements: asked after 4096
    for (const SplitKind kind : {SplitKind::IntoFour, SplitKind::IntoTwo}) {
        const Problem before = p.copyWithRowsInUse();
        CancellingLater cancel(0);
        const Applied cancelled = splitMesh(p, kind, &cancel);
        EXPECT_EQ(cancelled.result.outcome, Outcome::Cancelled);
        EXPECT_EQ(cancelled.changed, Change::None);
        expectSameProblem(p, before);
    }
}

TEST(TakeParticleHeights, TakesTheClampedHeightsOfARunOnTheProblemItHolds) {
    Problem p = opened("Val1.fem");
    ASSERT_GE(p.NP, 2);
    std::vector<double> heights(static_cast<std::size_t>(p.NP));
    for (int32_t k = 0; k < p.NP; ++k)
        heights[static_cast<std::size_t>(k)] = p.particles[static_cast<std::size_t>(k)].Z;
    EXPECT_EQ(takeParticleHeights(p, heights).changed, Change::None);
    heights[1] = -3.5;
    EXPECT_EQ(takeParticleHeights(p, heights).changed, Change::Particles);
    EXPECT_EQ(p.particles[1].Z, -3.5);
    heights.pop_back(); // the heights of another particle table
    heights[0] = 99;
    EXPECT_EQ(takeParticleHeights(p, heights).changed, Change::None);
    EXPECT_NE(p.particles[0].Z, 99);
}
