// The node list of a million nodes written as PDF by velkor-batch (about 13 000 A4 pages), against
// the same pages laid out on a canvas that only counts calls, measured in the same run. The peak
// memory of the run that writes the PDF is set beside that of a run that only loads the problem:
// the pages stream to the file, so the two differ by little.
//
// Usage: report_pdf_bench [cells-per-side]   (default 1000: 1 002 001 nodes)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "io/datafile.h"
#include "print/report_pages.h"
#include "results/recording_canvas.h"
#include "timing.h"

extern char** environ;

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

// A square of 1000 m with n x n cells of two triangles.
void makeSquare(Problem& problem, int n) {
    Limits limits;
    limits.NMAX = (n + 1) * (n + 1);
    limits.MMAX = 2 * n * n;
    if (!problem.allocateTables(limits)) {
        std::fprintf(stderr, "not enough memory for %d cells per side\n", n);
        std::exit(1);
    }
    problem.buildColoursAndDefaultSoils();
    problem.problemName = "Square of a million nodes";
    problem.NA = 4;
    problem.NB = 1;
    problem.NN = limits.NMAX;
    problem.NM = limits.MMAX;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(i * (n + 1) + j)];
            node.X = 1000.0 * i / n;
            node.Y = 1000.0 * j / n;
            node.T = 30;
            node.F = 20 - 10 * node.X / 1000;
            node.Type = i == 0 || i == n ? 1 : 0;
        }
    std::size_t m = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const int32_t a = i * (n + 1) + j, b = a + n + 1;
            problem.elements[m++] = Element{{a, b, b + 1}, 0};
            problem.elements[m++] = Element{{a, b + 1, a + 1}, 0};
        }
    problem.blocks[0] = Block{{0, 1, 2}, 0};
}

// A4 at 600 dpi, with text metrics of the size Liberation Mono 8 pt has there (76 units a line).
class CountingSink : public PageSink {
  public:
    CountingSink() {
        canvas_.record = false;
        canvas_.heightPerPoint = 95;
    }
    bool beginDocument() override { return true; }
    void newPage() override { ++pages; }
    void endDocument() override {}
    int pageWidth() const override { return 4958; }
    int pageHeight() const override { return 7017; }
    Canvas& canvas() override { return canvas_; }
    int pages = 1;

  private:
    RecordingCanvas canvas_;
};

struct ChildRun {
    int status = -1;
    double wall = 0, cpu = 0;
    long maxResidentKb = 0;
};

ChildRun runBatch(const std::string& arguments) {
    const std::string command = std::string(VELKOR_BATCH_PROGRAM) + " " + arguments;
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    ChildRun run;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wall = seconds(start);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    run.maxResidentKb = usage.ru_maxrss;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
    Problem problem;
    auto start = Clock::now();
    makeSquare(problem, n);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velkor_report_pdf_bench";
    std::filesystem::create_directories(folder);
    const std::string datafile = (folder / "square.fem").string();
    const std::string pdf = (folder / "nodes.pdf").string();
    if (!writeDatafile(problem, datafile).ok()) {
        std::fprintf(stderr, "cannot write %s\n", datafile.c_str());
        return 1;
    }
    std::printf("square of %d nodes, %d elements (made and written in %.2f s)\n", problem.NN, problem.NM,
                seconds(start));

    // Baseline: the page logic and row formatting alone.
    start = Clock::now();
    CountingSink counting;
    OptionSettings nodesOnly;
    nodesOnly.CheckGeneral = false;
    nodesOnly.CheckNodes = true;
    const PrintReport laidOut = printReport(problem, counting, nodesOnly);
    const double layoutSeconds = seconds(start);
    std::printf("node list laid out on a counting canvas: %d pages in %.2f s\n", laidOut.pages,
                layoutSeconds);

    const std::string limits = "--limits 48," + std::to_string(problem.limits.NMAX) + "," +
                               std::to_string(problem.limits.MMAX) + ",100";
    const ChildRun loadOnly = runBatch(datafile + " " + limits + " >/dev/null 2>&1");
    const ChildRun written =
        runBatch(datafile + " " + limits + " --report-pdf " + pdf + " --print nodes >/dev/null 2>&1");
    if (loadOnly.status != 0 || written.status != 0) {
        std::fprintf(stderr, "velkor-batch failed (%d, %d)\n", loadOnly.status, written.status);
        return 1;
    }
    const auto bytes = std::filesystem::file_size(pdf);
    const double reportWall = written.wall - loadOnly.wall, reportCpu = written.cpu - loadOnly.cpu;
    std::printf("velkor-batch load only: %.2f s wall, %.2f s cpu, peak %ld MB\n", loadOnly.wall, loadOnly.cpu,
                loadOnly.maxResidentKb / 1024);
    std::printf("velkor-batch load + node list PDF: %.2f s wall, %.2f s cpu, peak %ld MB, %.1f MB of PDF\n",
                written.wall, written.cpu, written.maxResidentKb / 1024, bytes / 1048576.0);
    std::printf(
        "PDF of %d pages: %.2f s wall, %.2f s cpu (target < 60 s); %.0f us cpu a row; %.1fx the layout "
        "alone\n",
        laidOut.pages, reportWall, reportCpu, 1e6 * reportCpu / problem.NN, reportCpu / layoutSeconds);
    std::printf("peak memory of the PDF run over the load-only run: %+ld MB (pages are not held)\n",
                (written.maxResidentKb - loadOnly.maxResidentKb) / 1024);
    std::filesystem::remove_all(folder);
    return 0;
}
