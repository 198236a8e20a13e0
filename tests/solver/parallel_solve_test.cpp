// The fast solve on two processes under mpirun: the heads of one process within 1e-6 m, the same
// bytes run after run, and velkor-batch whose output and exit status are those of one process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "batch_run.h"

namespace {

// mpirun as a test may run it: as root only with Open MPI's consent, on however many cores there
// are, over shared memory (no network), with the leak reports of a sanitizer build told about the
// MPI library's own allocations.
std::string mpirun(int processes) {
    return std::string("OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 "
                       "LSAN_OPTIONS=print_suppressions=0:fast_unwind_on_malloc=0:suppressions=") +
           VELKOR_MPI_SUPPRESSIONS + " " + VELKOR_MPIRUN + " --oversubscribe --mca btl self,vader -np " +
           std::to_string(processes) + " ";
}

class ParallelFastSolve : public velkor::test::BatchRun {
  protected:
    // Val3 after one Split 4 pass: 4225 nodes, unconfined over half of its length.
    int probe(const std::string& launcher, const std::string& out) {
        const std::string command = "cd " + folder_.string() + " && " + launcher + VELKOR_FAST_SOLVE_PROBE +
                                    " " + VELKOR_EXAMPLES_DIR + "/Val3.fem 1 " + out + " >>probe.txt 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<double> heads(const std::string& name) {
        std::istringstream lines(text(name));
        std::vector<double> values;
        for (std::string line; std::getline(lines, line) && line.rfind("cycle", 0) != 0;)
            values.push_back(std::stod(line));
        return values;
    }
};

TEST_F(ParallelFastSolve, TwoProcessesAgreeWithOneAndRepeatThemselves) {
    ASSERT_EQ(probe("", "one.txt"), 0) << text("probe.txt");
    ASSERT_EQ(probe(mpirun(2), "two.txt"), 0) << text("probe.txt");
    ASSERT_EQ(probe(mpirun(2), "again.txt"), 0) << text("probe.txt");
    const std::vector<double> one = heads("one.txt"), two = heads("two.txt");
    ASSERT_EQ(one.size(), 4225u);
    ASSERT_EQ(two.size(), one.size());
    double largest = 0;
    for (std::size_t i = 0; i < one.size(); ++i)
        largest = std::max(largest, std::fabs(one[i] - two[i]));
    EXPECT_LE(largest, 1e-6);
    EXPECT_GT(largest, 0); // two processes smooth differently: a real second process took part
    EXPECT_EQ(text("two.txt"), text("again.txt"));
    EXPECT_EQ(text("probe.txt"), ""); // nothing said by either process
}

TEST_F(ParallelFastSolve, BatchUnderMpirunWritesOnceAndKeepsItsExitStatus) {
    const std::string batch = mpirun(2) + VELKOR_BATCH_PROGRAM + " ";
    const std::string command = "cd " + folder_.string() + " && " + batch + VELKOR_EXAMPLES_DIR +
                                "/Val3.fem split4 solve:fast --summary -o out.fem >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << err();
    const std::string summary = out();
    EXPECT_EQ(summary.find("NN 4225\n"), 0u) << summary;
    EXPECT_EQ(summary.find("NN ", 1), std::string::npos) << summary; // written by process 0 alone
    EXPECT_NE(summary.find("cycle 6 iterations"), std::string::npos);
    EXPECT_EQ(summary.find("converged 0"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "out.fem"));

    status =
        std::system(("cd " + folder_.string() + " && " + batch + "- nothing >out.txt 2>err.txt").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(err().find("unknown operation nothing"), std::string::npos) << err();
}

} // namespace
