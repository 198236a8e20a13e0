// What velkor-batch's exit status promises a script: 0 done, 1 not loaded, 2 a usage error, 3 an
// operation refused by the program or an output not written (after every output was tried), 4
// solved but the results invalid.
#include <filesystem>
#include <fstream>
#include <string>

#include "batch_run.h"

namespace {

class BatchExitStatus : public velkor::test::BatchRun {
  protected:
    bool written(const char* name) const { return std::filesystem::exists(folder_ / name); }
};

TEST_F(BatchExitStatus, UsageErrorsAreTwo) {
    EXPECT_EQ(run("- --3d-svg p.svg --angle 0"), 2);
    EXPECT_EQ(run("- --3d-svg p.svg --angle 89.5"), 2);
    EXPECT_EQ(run("- addwell:1,2,3"), 2);
    EXPECT_EQ(run("- split4:2"), 2);
    EXPECT_EQ(run("- newline:1,2"), 2);
    EXPECT_EQ(run("- nothing"), 2);
    EXPECT_FALSE(written("p.svg"));
    EXPECT_EQ(run("- --3d-svg p.svg --angle 1"), 0);
    EXPECT_TRUE(written("p.svg"));
}

TEST_F(BatchExitStatus, HelpAndVersionPrintAndAreZero) {
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out(), std::string("velkor-batch ") + VELKOR_VERSION + "\n");
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(out().find("velkor-batch --help | --version"), std::string::npos);
    EXPECT_EQ(run("--versions"), 2);
}

TEST_F(BatchExitStatus, RefusalsAreThreeAfterEveryOutput) {
    // The default triangle holds (250, 250) on its long side: the new node is refused, the well
    // lies outside the mesh, and the datafile is written all the same.
    EXPECT_EQ(run("- newnode:250,250 -o a.fem"), 3);
    EXPECT_NE(err().find("Node inside block"), std::string::npos);
    EXPECT_TRUE(written("a.fem"));
    EXPECT_EQ(run("- addwell:1900,900 --summary -o b.fem"), 3);
    EXPECT_NE(err().find("Well outside mesh"), std::string::npos);
    EXPECT_NE(out().find("NN 3"), std::string::npos);
    EXPECT_TRUE(written("b.fem"));
    // A line from a node to itself adds nothing and refuses nothing.
    EXPECT_EQ(run("- newline:0,0,0,0"), 0);
    // Splitting past the node capacity.
    EXPECT_EQ(run("- --limits 20,101,101,0 split4 split4 split4 split4"), 3);
    EXPECT_NE(err().find("Capacity exceeded"), std::string::npos);
}

TEST_F(BatchExitStatus, RefusedSolveIsThreeAndLoadFailureOne) {
    // Two nodes on one spot: the element has no area.
    std::ofstream file(folder_ / "flat.fem", std::ios::binary);
    file << "# flat\r\nflat.fem,\r\nFlat,\r\n100,100,\r\n3,1,3,1,0,0,365,\r\n"
            "1,0,0,0,10,20,0,1,\r\n2,0,0,0,10,20,0,1,\r\n3,50,0,0,10,10,0,0,\r\n"
            "1,1,2,3,1,\r\n1,1,0.4,1,0,\r\n1,1,2,3,1,\r\n";
    file.close();
    EXPECT_EQ(run("flat.fem solve --summary"), 3);
    EXPECT_NE(err().find("has no area"), std::string::npos);
    EXPECT_EQ(run("missing.fem"), 1);
}

// Regression: a solve that pumped the aquifer dry exited 0 and said nothing; the window shows
// "Results invalid", and a script must be able to tell.
TEST_F(BatchExitStatus, InvalidResultsAreFourWithTheWarningOnStandardError) {
    const std::string pumped = std::string(VELKOR_TEST_DATA_DIR) + "/ui_pumped.fem";
    EXPECT_EQ(run(pumped + " solve --summary -o solved.fem"), 4);
    EXPECT_NE(err().find("Warning : Water level locally below bottom of aquifer. Results invalid.\n"),
              std::string::npos);
    EXPECT_NE(out().find("warning 1\n"), std::string::npos);
    EXPECT_TRUE(written("solved.fem"));
    // Loaded with the flag but not solved: nothing was solved, nothing is invalid.
    EXPECT_EQ(run("solved.fem"), 0);
    // A failure outweighs the invalid results.
    EXPECT_EQ(run(pumped + " solve -o no/such/folder/x.fem"), 3);
    EXPECT_NE(err().find("Writing datafile failed.  Disk full ?\nNo such file or directory"),
              std::string::npos)
        << err();
}

TEST_F(BatchExitStatus, SummaryCycleLinesSayWhetherTheCycleConverged) {
    EXPECT_EQ(run("- solve --summary"), 0);
    const std::string summary = out();
    EXPECT_NE(summary.find("cycle 1 iterations 1 log10rho"), std::string::npos) << summary;
    EXPECT_NE(summary.find("converged 1\ncycle 2"), std::string::npos) << summary;
    EXPECT_NE(summary.find("cycle 6 iterations"), std::string::npos);
    EXPECT_NE(summary.find("warning 0"), std::string::npos);
}

} // namespace
