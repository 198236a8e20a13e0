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

namespace {

TEST_F(Batch, ViewLabelsAndScaleBarReachTheContourPicture) {
    const std::string val1 = std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem";
    // The window from x = 400 m to 600 m of the 1000 m strip: the contours of 12.1 to 12.7 m lie in
    // it (heads fall from 15 m to 10 m), 14.8 m does not.
    ASSERT_EQ(
        run(val1 + " --contours-svg z.svg --size 900x500 --view 400,0,600,100 --label-contours --scale-bar"),
        0);
    const std::string zoomed = text("z.svg");
    for (const char* label : {">12.1</text>", ">12.4</text>", ">12.7</text>"})
        EXPECT_NE(zoomed.find(std::string("fill=\"rgb(255,0,0)\" xml:space=\"preserve\"") + label),
                  std::string::npos)
            << label;
    EXPECT_EQ(zoomed.find(">14.8</text>"), std::string::npos);
    EXPECT_NE(zoomed.find(">20 m</text>"), std::string::npos); // the bar: 20 m of about 180 pixels

    // Without the options the picture is the plain one; a window larger than the plan is the whole plan.
    ASSERT_EQ(run(val1 + " --contours-svg plain.svg --size 900x500"), 0);
    ASSERT_EQ(run(val1 + " --contours-svg whole.svg --size 900x500 --view -5000,-5000,5000,5000"), 0);
    EXPECT_EQ(text("whole.svg"), text("plain.svg"));
    EXPECT_EQ(text("plain.svg").find("rgb(255,0,0)\" xml:space"), std::string::npos);

    for (const char* bad : {"1,2,3", "1,1,1,5", "0,0,10,x", "0,0,1e999,5"}) {
        EXPECT_EQ(run(val1 + " --contours-svg bad.svg --view " + bad), 2) << bad;
        EXPECT_NE(err().find("--view needs X0,Y0,X1,Y1"), std::string::npos);
    }
}

} // namespace
