// Helpers shared by the io tests: a scratch directory per test, file contents, model problems.
#pragma once

#include "default_problem.h"
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/problem.h"

namespace velkor::testing {

using test::defaultProblem;

// A fresh directory under the system temporary directory, removed with everything in it.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("velkor-io-" + std::string(info ? info->name() : "test") + "-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    // Names of everything in the directory, to see that no temporary file was left behind.
    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }

  private:
    std::filesystem::path path_;
};

inline std::string fileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// Runs check in a child process and returns whether it held there. With unprivileged the child
// has no right to write every file (it runs as nobody when the tests run as root); with
// fileSizeLimit > 0 no file may grow beyond that many bytes, as on a full disk.
struct ChildLimits {
    bool unprivileged = false;
    long fileSizeLimit = 0;
};

inline bool holdsInChild(const std::function<bool()>& check, ChildLimits limits) {
    const pid_t child = ::fork();
    if (child == 0) {
        bool ready = true;
        if (limits.unprivileged && ::geteuid() == 0)
            ready = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        if (limits.fileSizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the process
            const rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit),
                               static_cast<rlim_t>(limits.fileSizeLimit)};
            ready = ready && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        }
        std::_Exit(ready && check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The problem the program starts with, under the names the main window gives it.

} // namespace velkor::testing
