// Datafile benchmark: writing and reading the datafile of Val3 refined to 1,050,625 nodes and
// 2,097,152 elements (about 175 MB), against cat (reading the same file to /dev/null) and dd
// (copying it to a new file, synced to disk as the writer syncs its file) in the same run. Each
// figure is the best of three; the machine is shared, so the ratios matter more than the rates.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "io/datafile.h"
#include "model/problem.h"
#include "operations/mesh_edits.h"
#include "timing.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

constexpr int kRepeats = 3;

template <typename Run> double fastest(Run&& run) {
    double best = 1e30;
    for (int k = 0; k < kRepeats; ++k) {
        const auto start = Clock::now();
        run();
        best = std::min(best, seconds(start));
    }
    return best;
}

Limits millionLimits() {
    Limits limits;
    limits.NMAX = 1100000;
    limits.MMAX = 2100000;
    return limits;
}

// Val3 after five Split 4 passes, with heads and discharges of every kind of size, as a solve
// leaves them.
Problem solvedLooking() {
    Problem p;
    if (!p.allocateTables(millionLimits())) std::exit(1);
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    if (!readDatafile(p, std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem").ok()) std::exit(1);
    for (int pass = 0; pass < 5; ++pass)
        if (!splitMesh(p, SplitKind::IntoFour).ok()) std::exit(1);
    for (int32_t i = 0; i < p.NN; ++i) {
        Node& n = p.nodes[static_cast<std::size_t>(i)];
        n.F = std::sqrt(225 - 200 * n.X / 700) + 1e-4 * std::sin(n.Y);
        n.Q = n.Type > 0 ? 12.5 * std::cos(n.Y) : 1e-9 * std::sin(n.X * n.Y);
    }
    return p;
}

double commandSeconds(const std::string& command) {
    return fastest([&] {
        if (std::system(command.c_str()) != 0) std::exit(1);
    });
}

} // namespace

int main() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velkor_datafile_bench";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "big.fem").string();
    const std::string copy = (folder / "copy.fem").string();

    Problem problem = solvedLooking();
    const double write = fastest([&] {
        if (!writeDatafile(problem, file).ok()) std::exit(1);
    });
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    Problem loaded;
    if (!loaded.allocateTables(millionLimits())) return 1;
    const double read = fastest([&] {
        if (!readDatafile(loaded, file).ok()) std::exit(1);
    });
    const double cat = commandSeconds("cat '" + file + "' >/dev/null");
    const double dd = commandSeconds("dd if='" + file + "' of='" + copy + "' bs=1M conv=fsync status=none");

    std::printf("Datafile of %d nodes and %d elements, %.1f MB (best of %d; 2 cores shared)\n", problem.NN,
                problem.NM, megabytes, kRepeats);
    std::printf("%-28s %8s %8s %12s\n", "", "seconds", "MB/s", "vs reference");
    std::printf("%-28s %8.3f %8.0f %11.2fx\n", "read (Open)", read, megabytes / read, read / cat);
    std::printf("%-28s %8.3f %8.0f\n", "cat to /dev/null", cat, megabytes / cat);
    std::printf("%-28s %8.3f %8.0f %11.2fx\n", "write (Save, synced)", write, megabytes / write, write / dd);
    std::printf("%-28s %8.3f %8.0f\n", "dd copy, synced", dd, megabytes / dd);
    std::printf("targets: read >= 400 MB/s, write >= 300 MB/s\n");
    std::filesystem::remove_all(folder);
    return 0;
}
