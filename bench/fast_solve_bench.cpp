// Fast solve benchmark: the six cycles of the solve command by the fast solve (sparse Cholesky)
// against the conjugate gradients, plain and preconditioned, on refinements of Val1 and Val3 (Split 4
// passes as the mesh editor runs them) and on a generated square with a pumping well, at about
// 1e5 and 1e6 nodes; with VELKOR_BENCH_4M=1 also at about 4e6 nodes (several minutes more).
//
// Every solve runs in a child process of its own, started from the same problem, so that each
// peak of memory is its own: "peak" is the child's high-water resident size (the problem tables
// included), "added" what the solve added to the tables it started from. The conjugate gradients
// run whole at 1e5 nodes. Above that a whole run takes longer than five minutes (758 s for Val1 at
// 1,050,625 nodes), so they run 100 iterations of the first cycle for the time of one iteration,
// and the six cycles are estimated as the iterations each cycle took at 1e5 nodes, times the
// square root of the ratio of the node counts (the iterations grow as the element size falls),
// times that time, plus the structure and six assemblies as measured.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "operations/mesh_edits.h"
#include "io/datafile.h"
#include "model/problem.h"
#include "solver/assembly.h"
#include "solver/conjugate_gradient.h"
#include "solver/element_velocities.h"
#include "solver/solve_command.h"
#include "solver/system_matrix.h"
#include "square_grid.h"
#include "timing.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;
using bench::statusKb;

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// ---- problems -----------------------------------------------------------------------------------

// An example refined by Split 4 passes; each pass quadruples the elements (2048 at the start).
Problem refinedExample(const char* name, int passes) {
    Limits limits;
    const int32_t side = 32 << passes;     // cells per side of the 33 x 33 node examples
    limits.NMAX = (side + 2) * (side + 2); // a pass wants four times the nodes it starts from
    limits.MMAX = 2 * side * side + 16;
    Problem p;
    bench::allocateOrExit(p, limits);
    const Result read = readDatafile(p, std::string(VELKOR_EXAMPLES_DIR) + "/" + name);
    if (!read.ok()) {
        std::fprintf(stderr, "%s: %s\n", name, read.message.c_str());
        std::exit(1);
    }
    for (int k = 0; k < passes; ++k)
        if (const Applied split = splitMesh(p, SplitKind::IntoFour); !split.ok()) {
            std::fprintf(stderr, "%s: %s\n", name, split.result.message.c_str());
            std::exit(1);
        }
    return p;
}

// A square of 2000 m with side x side cells, bottom 0 and top 12 m, K = 10 m/d, a little
// infiltration, heads of 10 m and 9 m held on the left and right edges, and a well pumping
// 300 m3/d at the centre: unconfined from the second cycle on, with a deep cone at the well.
Problem pumpedSquare(int32_t side) {
    Problem p = bench::squareGrid(
        side, 2000,
        [side](Node& n, int32_t i, int32_t) {
            n.B = 0;
            n.T = 12;
            n.F = i == side ? 9 : 10;
            n.Type = (i == 0 || i == side) ? 1 : 0;
        },
        {side / 2, side / 2}, -300);
    p.soils[0].K = 10;
    p.soils[0].I = 0.0002;
    return p;
}

// ---- one solve in a child process ---------------------------------------------------------------

struct Figures {
    bool ok = false;
    bool estimated = false;
    double seconds = 0;
    long peakKb = 0, addedKb = 0;
    int32_t iterations[6] = {};
    double log10Measure = 0;
    double perIteration = 0; // estimated runs: seconds of one iteration
    double fixed = 0;        // estimated runs: structure and six assemblies
    int outcome = 0;
};

// Runs work in a child process started from the problem as it is; the child sends its figures
// and the heads it computed.
Figures inChild(const Problem& problem, std::vector<double>* heads,
                const std::function<Figures(Problem&, std::vector<double>&)>& work) {
    int channel[2];
    if (pipe(channel) != 0) std::exit(1);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        Problem p = problem; // the child's own copy, written by the solve
        std::vector<double> F;
        Figures figures = work(p, F);
        const auto count = static_cast<int64_t>(F.size());
        auto send = [&](const void* data, std::size_t bytes) {
            const char* at = static_cast<const char*>(data);
            while (bytes > 0) {
                const ssize_t sent = write(channel[1], at, bytes);
                if (sent <= 0) _exit(1);
                at += sent;
                bytes -= static_cast<std::size_t>(sent);
            }
        };
        send(&figures, sizeof figures);
        send(&count, sizeof count);
        send(F.data(), F.size() * sizeof(double));
        close(channel[1]);
        _exit(0);
    }
    close(channel[1]);
    auto receive = [&](void* data, std::size_t bytes) {
        char* at = static_cast<char*>(data);
        while (bytes > 0) {
            const ssize_t got = read(channel[0], at, bytes);
            if (got <= 0) return false;
            at += got;
            bytes -= static_cast<std::size_t>(got);
        }
        return true;
    };
    Figures figures;
    int64_t count = 0;
    std::vector<double> F;
    if (receive(&figures, sizeof figures) && receive(&count, sizeof count)) {
        F.resize(static_cast<std::size_t>(count));
        if (!receive(F.data(), F.size() * sizeof(double))) figures.ok = false;
    } else {
        figures.ok = false;
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (heads) *heads = std::move(F);
    return figures;
}

std::vector<double> headsOf(const Problem& p) {
    std::vector<double> F(static_cast<std::size_t>(p.NN));
    for (int32_t i = 0; i < p.NN; ++i)
        F[static_cast<std::size_t>(i)] = p.nodes[static_cast<std::size_t>(i)].F;
    return F;
}

Figures wholeSolve(const Problem& problem, SolveMethod method, std::vector<double>* heads) {
    return inChild(problem, heads, [method](Problem& p, std::vector<double>& F) {
        Figures figures;
        const long startKb = statusKb("VmRSS");
        const auto start = Clock::now();
        const SolveReport report = solveProblem(p, method);
        figures.seconds = seconds(start);
        figures.peakKb = statusKb("VmHWM");
        figures.addedKb = figures.peakKb - startKb;
        figures.outcome = static_cast<int>(report.outcome);
        figures.ok = report.outcome == Outcome::Done || report.outcome == Outcome::NotConverged;
        for (std::size_t c = 0; c < report.cycles.size() && c < 6; ++c)
            figures.iterations[c] = report.cycles[c].iterations;
        if (!report.cycles.empty()) figures.log10Measure = report.cycles.back().log10Measure;
        F = headsOf(p);
        return figures;
    });
}

// The structure, one assembly (counted six times) and a short iteration of the first cycle.
Figures sampledIteration(const Problem& problem, bool preconditioned) {
    return inChild(problem, nullptr, [preconditioned](Problem& p, std::vector<double>&) {
        Figures figures;
        const long startKb = statusKb("VmRSS");
        auto start = Clock::now();
        SystemMatrix matrix;
        buildStructure(p, matrix);
        auto [heads, bottom, roles] = nodeVectors(p);
        std::vector<double> supply;
        const double structure = seconds(start);
        start = Clock::now();
        assembleSystem(p, 0, heads.data(), matrix, supply);
        figures.fixed = structure + 6 * seconds(start);
        ConjugateGradientWork work;
        ConjugateGradientInput input;
        input.matrix = &matrix;
        input.supply = supply.data();
        input.roles = roles.data();
        input.bottom = bottom.data();
        input.preconditioned = preconditioned;
        constexpr int kIterations = 100;
        input.iterationLimit = kIterations - 1;
        start = Clock::now();
        const ConjugateGradientResult result = solveConjugateGradient(input, heads.data(), work);
        figures.perIteration = seconds(start) / std::max(1, result.iterations);
        figures.peakKb = statusKb("VmHWM");
        figures.addedKb = figures.peakKb - startKb;
        figures.ok = result.outcome == Outcome::Done;
        figures.estimated = true;
        return figures;
    });
}

double largestDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double largest = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        largest = std::max(largest, std::fabs(a[i] - b[i]));
    return a.size() == b.size() ? largest : -1;
}

// ---- the table ----------------------------------------------------------------------------------

struct Row {
    std::string problem;
    int32_t nodes = 0;
    Figures fast, plain, preconditioned;
};

void printRow(const Row& row) {
    auto cell = [](const Figures& f) {
        char text[64];
        if (!f.ok)
            std::snprintf(text, sizeof text, "%10s %7s", "failed", "");
        else
            std::snprintf(text, sizeof text, "%9.1f%s %6.2f", f.seconds, f.estimated ? "*" : " ",
                          f.peakKb / 1048576.0);
        return std::string(text);
    };
    std::printf("%-8s %9d | %s %6.2f | %s | %s | %7.1f %7.1f\n", row.problem.c_str(), row.nodes,
                cell(row.fast).c_str(), row.fast.addedKb / 1048576.0, cell(row.plain).c_str(),
                cell(row.preconditioned).c_str(),
                row.fast.ok && row.plain.ok ? row.plain.seconds / row.fast.seconds : 0.0,
                row.fast.ok && row.preconditioned.ok ? row.preconditioned.seconds / row.fast.seconds : 0.0);
    std::fflush(stdout);
}

// Six-cycle estimate of an iteration sampled at this size from the iterations each cycle took on
// the smaller problem of the same kind.
void estimate(Figures& sampled, const Figures& small, int32_t smallNodes, int32_t nodes) {
    const double growth = std::sqrt(static_cast<double>(nodes) / smallNodes);
    double iterations = 0;
    for (int c = 0; c < 6; ++c)
        iterations += small.iterations[c] * growth;
    sampled.seconds = sampled.fixed + iterations * sampled.perIteration;
    sampled.ok = sampled.ok && small.ok;
}

} // namespace

int main() {
    const bool largest =
        std::getenv("VELKOR_BENCH_4M") && std::strcmp(std::getenv("VELKOR_BENCH_4M"), "1") == 0;
    std::printf("Fast solve: six cycles by sparse Cholesky against the conjugate gradients (plain, "
                "diagonal preconditioner)\n");
    std::printf("load average at start: %s (2 cores shared)\n", loadAverage().c_str());
    std::printf("seconds for six cycles; peak and added memory in GB; * estimated from 100 iterations "
                "(see the head of bench/fast_solve_bench.cpp)\n\n");
    std::printf("%-8s %9s | %10s %6s %6s | %10s %6s | %10s %6s | %7s %7s\n", "problem", "nodes", "fast s",
                "peak", "added", "plain s", "peak", "precond s", "peak", "pl/fast", "pr/fast");

    struct Kind {
        const char* name;
        std::function<Problem(int)> make; // by level 0, 1, 2
    };
    const std::vector<Kind> kinds{
        {"Val1", [](int level) { return refinedExample("Val1.fem", level == 0   ? 3
                                                                   : level == 1 ? 5
                                                                                : 6); }},
        {"Val3", [](int level) { return refinedExample("Val3.fem", level == 0   ? 3
                                                                   : level == 1 ? 5
                                                                                : 6); }},
        {"pumped", [](int level) { return pumpedSquare(level == 0   ? 316
                                                       : level == 1 ? 1024
                                                                    : 2048); }},
    };
    std::vector<Row> small;
    std::vector<std::string> agreement;
    for (int level = 0; level < (largest ? 3 : 2); ++level) {
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            const Problem problem = kinds[k].make(level);
            Row row;
            row.problem = kinds[k].name;
            row.nodes = problem.NN;
            std::vector<double> fastHeads, plainHeads, preconditionedHeads;
            row.fast = wholeSolve(problem, SolveMethod::Fast, &fastHeads);
            if (level == 0) {
                row.plain = wholeSolve(problem, SolveMethod::Plain, &plainHeads);
                row.preconditioned = wholeSolve(problem, SolveMethod::Preconditioned, &preconditionedHeads);
                small.push_back(row);
                char text[160];
                std::snprintf(text, sizeof text,
                              "%-8s %9d: largest |F fast - F plain| %.1e m, |F fast - F precond| %.1e m, "
                              "log10 r.r fast %.2f plain %.2f precond %.2f",
                              row.problem.c_str(), row.nodes, largestDifference(fastHeads, plainHeads),
                              largestDifference(fastHeads, preconditionedHeads), row.fast.log10Measure,
                              row.plain.log10Measure, row.preconditioned.log10Measure);
                agreement.emplace_back(text);
            } else {
                row.plain = sampledIteration(problem, false);
                row.preconditioned = sampledIteration(problem, true);
                estimate(row.plain, small[k].plain, small[k].nodes, row.nodes);
                estimate(row.preconditioned, small[k].preconditioned, small[k].nodes, row.nodes);
            }
            printRow(row);
        }
    }
    std::printf("\nAgreement at the smallest size (all nodes, after six cycles):\n");
    for (const std::string& line : agreement)
        std::printf("%s\n", line.c_str());
    std::printf(
        "\nIterations per cycle of the conjugate gradients at the smallest size (plain / precond):\n");
    for (const Row& row : small) {
        std::printf("%-8s", row.problem.c_str());
        for (int c = 0; c < 6; ++c)
            std::printf(" %6d/%-6d", row.plain.iterations[c], row.preconditioned.iterations[c]);
        std::printf("\n");
    }
    if (!largest) std::printf("\n(set VELKOR_BENCH_4M=1 for the problems of about 4e6 nodes)\n");
    std::printf("load average at end: %s\n", loadAverage().c_str());
    return 0;
}
