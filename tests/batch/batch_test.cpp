// velkor-batch as a user runs it: what it refuses, with which message and exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "model/problem.h"

namespace {

class Batch : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("velkor_batch_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs velkor-batch with the arguments in the test's folder; returns the exit status.
    int run(const std::string& arguments) {
        const std::string command = "cd " + folder_.string() + " && " + VELKOR_BATCH_PROGRAM + " " +
                                    arguments + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string text(const std::string& name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    std::filesystem::path folder_;
};

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
