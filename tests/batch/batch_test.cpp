// velkor-batch as a user runs it: what it refuses, with which message and exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "batch_run.h"
#include "model/problem.h"

namespace {

using Batch = velkor::test::BatchRun;

TEST_F(Batch, EndlessInputEndsWithAMessage) {
    // Regression: the whole input was read into memory, and /dev/zero ran until the system killed
    // the program.
    EXPECT_EQ(run("/dev/zero"), 1);
    EXPECT_EQ(text("err.txt"),
              "Reading datafile failed.\n\nLine 1 : the line is longer than 65536 characters; "
              "this is not a datafile.\n");
}

TEST_F(Batch, LimitsTheMemoryCannotHoldGiveWayToTheDefaults) {
    const velkor::Limits huge{2'000'000'000, 2'000'000'000, 2'000'000'000, 2'000'000'000};
    const auto physical = static_cast<uint64_t>(::sysconf(_SC_PHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
    if (velkor::tableBytes(velkor::sanitizedLimits(huge)) <= physical)
        GTEST_SKIP() << "this machine could hold the largest tables";
    EXPECT_EQ(run("- --limits 2000000000,2000000000,2000000000,2000000000 --summary"), 3);
    EXPECT_EQ(text("err.txt"), std::string(velkor::kNoMemoryForTablesMessage) + "\n");
    EXPECT_EQ(text("out.txt").rfind("NN 3\nNM 1\n", 0), 0u);
}

} // namespace
