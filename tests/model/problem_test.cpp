#include "default_problem.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/problem.h"
#include "model/system_memory.h"

using namespace velkor;

namespace {

using test::defaultProblem;

} // namespace

TEST(DefaultProblem, ThreeMainNodesOneBlockOneElement) {
    const Problem p = defaultProblem();
    EXPECT_EQ(p.NA, 3);
    EXPECT_EQ(p.NB, 1);
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.NM, 1);
    EXPECT_EQ(p.NW, 0);
    EXPECT_EQ(p.NP, 0);
    EXPECT_EQ(p.LX, 2000);
    EXPECT_EQ(p.LY, 1000);
    EXPECT_EQ(p.TM, 365);
    // Node 2 sits at half of LY, node 3 at a quarter of LX; only node 3 has an unknown head.
    EXPECT_EQ(p.nodes[1].Y, 500);
    EXPECT_EQ(p.nodes[2].X, 500);
    EXPECT_EQ(p.nodes[0].F, 20);
    EXPECT_EQ(p.nodes[1].F, 20);
    EXPECT_EQ(p.nodes[2].F, 10);
    EXPECT_EQ(p.nodes[0].Type, 1);
    EXPECT_EQ(p.nodes[2].Type, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.nodes[i].B, 0);
        EXPECT_EQ(p.nodes[i].T, 10);
        EXPECT_EQ(p.elements[0].node[i], i);
        EXPECT_EQ(p.blocks[0].node[i], i);
    }
    EXPECT_EQ(p.elements[0].soil, 0);
    // The restore point equals the default counts.
    EXPECT_EQ(p.saved.NN, 3);
    EXPECT_EQ(p.saved.NM, 1);
    EXPECT_EQ(p.saved.LX, 2000);
}

TEST(DefaultProblem, SoilsOfEveryBlockSlotAreReset) {
    Problem p = defaultProblem();
    p.soils[7].K = 55;
    p.buildColoursAndDefaultSoils();
    ASSERT_EQ(p.soils.size(), 48u);
    for (const Soil& s : p.soils) {
        EXPECT_EQ(s.K, 1.0);
        EXPECT_EQ(s.n, 0.4);
        EXPECT_EQ(s.R, 1.0);
        EXPECT_EQ(s.I, 0.0);
    }
}

TEST(ColourTable, EntriesFollowTheRotatingUnits) {
    const auto table = buildColourTable();
    // a = 1, b = 1, c = 30: 8a blue, 8b green, 8c red, and (a+b+c) times the palette flag unit.
    EXPECT_EQ(table[0], 1074268400u);
    EXPECT_EQ(table[0] & 0xFFFFFFu, (8u << 16) | (8u << 8) | 240u);
    EXPECT_EQ(table[1], 1074327560u);
    EXPECT_EQ(table[2], 1089472520u);
    // Second round: a = 6, b = 3, c = 23.
    EXPECT_EQ(table[3], 6u * 34078720u + 3u * 33556480u + 23u * 33554440u);
    EXPECT_EQ(table[254], 0x42089070u);
}

TEST(ColourTable, BlockColoursRepeatEvery255Blocks) {
    Problem p;
    ASSERT_TRUE(p.allocateTables(Limits{300, 1000, 1000, 10}));
    p.buildColoursAndDefaultSoils();
    EXPECT_EQ(p.blockColourIndex[0], 0);
    EXPECT_EQ(p.blockColourIndex[254], 254);
    EXPECT_EQ(p.blockColourIndex[255], 0); // block 256
    EXPECT_EQ(p.blockColour(255), p.blockColour(0));
}

TEST(PointInElement, EdgesAndCornersCountAsInside) {
    const Problem p = defaultProblem(); // triangle (0,0), (0,500), (500,0)
    EXPECT_EQ(pointInElement(p, 100, 100, 0), 0);
    EXPECT_EQ(pointInElement(p, 0, 250, 0), 0);   // on the side along x = 0
    EXPECT_EQ(pointInElement(p, 250, 250, 0), 0); // on the hypotenuse
    EXPECT_EQ(pointInElement(p, 500, 0, 0), 0);   // a corner
    EXPECT_EQ(pointInElement(p, 250.001, 250, 0), -1);
    EXPECT_EQ(pointInElement(p, -0.001, 10, 0), -1);
}

TEST(PointInElement, IndependentOfCornerOrientation) {
    EXPECT_TRUE(pointInTriangle(1, 1, 0, 0, 4, 0, 0, 4));
    EXPECT_TRUE(pointInTriangle(1, 1, 0, 0, 0, 4, 4, 0));
    EXPECT_FALSE(pointInTriangle(3, 3, 0, 0, 0, 4, 4, 0));
}

TEST(PointInElement, DegenerateElementHoldsOnlyItsLine) {
    // Three collinear corners: every point of the line through them is inside, nothing else.
    EXPECT_TRUE(pointInTriangle(5, 5, 0, 0, 1, 1, 2, 2));
    EXPECT_TRUE(pointInTriangle(-3, -3, 0, 0, 1, 1, 2, 2));
    EXPECT_FALSE(pointInTriangle(5, 5.001, 0, 0, 1, 1, 2, 2));
}

TEST(Results, ClearingZeroesUsedElementsAndTheStaleFlag) {
    Problem p = defaultProblem();
    p.elements[0].qx = 1;
    p.elements[0].qy = 2;
    p.elements[0].spare = 3;
    p.elements[0].bottomSlopeFlow = 4;
    p.elements[0].topSlopeFlow = 5;
    p.elements[1].qx = 9; // beyond NM: untouched
    p.resultsStale = true;
    p.clearResults();
    EXPECT_EQ(p.elements[0].qx, 0);
    EXPECT_EQ(p.elements[0].qy, 0);
    EXPECT_EQ(p.elements[0].spare, 0);
    EXPECT_EQ(p.elements[0].bottomSlopeFlow, 0);
    EXPECT_EQ(p.elements[0].topSlopeFlow, 0);
    EXPECT_EQ(p.elements[1].qx, 9);
    EXPECT_FALSE(p.resultsStale);
}

TEST(Counts, RestoreBringsBackTheSavedCounts) {
    Problem p = defaultProblem();
    p.NN = 77;
    p.NP = 5;
    p.LX = 12;
    p.restoreCountsFromSaved();
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.NP, 0);
    EXPECT_EQ(p.LX, 2000);
}

TEST(Tables, AllocationFollowsTheLimitsAndSanitizesImpossibleOnes) {
    Problem p;
    ASSERT_TRUE(p.allocateTables(Limits{20, 101, 102, 0}));
    EXPECT_EQ(p.nodes.size(), 101u);
    EXPECT_EQ(p.elements.size(), 102u);
    EXPECT_EQ(p.blocks.size(), 20u);
    EXPECT_EQ(p.wellNodes.size(), 20u);
    EXPECT_EQ(p.particles.size(), 0u);
    EXPECT_EQ(p.matrixEntryCapacity(), 505);
    // Limits read from a hand-edited file may be absurd: the default problem must still fit.
    ASSERT_TRUE(p.allocateTables(Limits{-4, 1, 0, -9}));
    EXPECT_GE(p.nodes.size(), 3u);
    EXPECT_GE(p.elements.size(), 1u);
    EXPECT_GE(p.blocks.size(), 1u);
    EXPECT_EQ(p.particles.size(), 0u);
    p.resetToDefaultProblem();
    EXPECT_EQ(p.NN, 3);
}

TEST(Tables, ThoseTheMemoryCannotHoldAreRefusedAndTheOldOnesKept) {
    Problem p = defaultProblem();
    const Limits large{48, 2'000'000, 3'000'000, 100};
    EXPECT_FALSE(p.allocateTables(large, tableBytes(large) - 1));
    EXPECT_EQ(p.limits.NMAX, Limits{}.NMAX);
    EXPECT_EQ(p.nodes.size(), static_cast<std::size_t>(Limits{}.NMAX));
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.nodes[2].X, 500);
    EXPECT_TRUE(p.allocateTables(large, tableBytes(large)));
    EXPECT_EQ(p.elements.size(), 3'000'000u);
}

TEST(Tables, AvailableMemoryHonoursPhysicalMemoryAndProcessLimits) {
    // Regression: limits of 2e9 (clamped to 2e8) allocated some 43 GB, and the system killed the
    // program without a message.
    const uint64_t physical = static_cast<uint64_t>(::sysconf(_SC_PHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
    EXPECT_GT(availableMemory(), 0u);
    EXPECT_LE(availableMemory(), physical);
    const Limits huge{200'000'000, 200'000'000, 200'000'000, 200'000'000};
    if (tableBytes(huge) <= physical) GTEST_SKIP() << "this machine could hold the largest tables";
    Problem p = defaultProblem();
    EXPECT_FALSE(p.allocateTables(huge));
    EXPECT_EQ(p.nodes.size(), static_cast<std::size_t>(Limits{}.NMAX));

    // A data-size limit of the process counts as well: in a child, 64 MB more than it uses now.
    const pid_t child = ::fork();
    if (child == 0) {
        uint64_t pages[6] = {};
        std::ifstream statm("/proc/self/statm");
        for (uint64_t& value : pages)
            statm >> value;
        const auto cap = static_cast<rlim_t>(pages[5] * ::sysconf(_SC_PAGESIZE) + (64u << 20));
        const rlimit limit{cap, cap};
        Problem q;
        const bool held = ::setrlimit(RLIMIT_DATA, &limit) == 0 && availableMemory() <= (64u << 20) &&
                          !q.allocateTables(Limits{48, 1'000'000, 1'000'000, 100});
        std::_Exit(held ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Tables, UntouchedCapacityCostsNoMemory) {
    // Regression: every start with NMAX = MMAX = 2e7 wrote 2.3 GB of zeros into the tables.
    const auto resident = [] {
        uint64_t size = 0, pages = 0;
        std::ifstream("/proc/self/statm") >> size >> pages;
        return pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    };
    Problem p;
    const uint64_t before = resident();
    ASSERT_TRUE(p.allocateTables(Limits{48, 4'000'000, 4'000'000, 100}));
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    EXPECT_LT(resident() - before, tableBytes(p.limits) / 20);
    EXPECT_EQ(p.nodes[3'999'999].X, 0.0); // unused rows read as defaults
    EXPECT_EQ(p.elements[3'999'999].node[2], 0);
}

TEST(BaseName, TakesTheTextAfterTheLastSeparator) {
    EXPECT_EQ(baseName("C:\\work\\Data1.fem"), "Data1.fem");
    EXPECT_EQ(baseName("/home/user/flow/Val1.fem"), "Val1.fem");
    EXPECT_EQ(baseName("mixed\\dir/Val2.fem"), "Val2.fem");
    EXPECT_EQ(baseName("Data1.fem"), "Data1.fem");
    EXPECT_EQ(baseName("dir/"), "");
}
