// velkor-batch run as a user runs it, for tests of every folder: a scratch folder per test, the
// program started there with its standard output and error in out.txt and err.txt.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace velkor::test {

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class BatchRun : public ::testing::Test {
  protected:
    void SetUp() override {
        const ::testing::UnitTest& tests = *::testing::UnitTest::GetInstance();
        folder_ = std::filesystem::temp_directory_path() /
                  ("velkor_batch_" + std::to_string(tests.random_seed()) + "_" +
                   tests.current_test_info()->test_suite_name() + "_" + tests.current_test_info()->name());
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
    // A file of the test's folder.
    std::string text(const std::string& name) const { return readText(folder_ / name); }
    std::string out() const { return text("out.txt"); }
    std::string err() const { return text("err.txt"); }

    std::filesystem::path folder_;
};

} // namespace velkor::test
