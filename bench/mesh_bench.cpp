// Refinement benchmark: Split 4 and Split 2 passes from four blocks up to a million elements and
// more, renumbering alone, and Add Well on a mesh of a million elements.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "mesh/refinement.h"
#include "model/problem.h"

using namespace velkor;

namespace {

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Four blocks over the default area: a jittered centre node joined to the corners.
Problem fourBlocks(const Limits& limits) {
    Problem p;
    if (!p.allocateTables(limits)) {
        std::fprintf(stderr, "cannot allocate the tables\n");
        std::exit(1);
    }
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    const double xy[5][2] = {{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}, {1130.7, 487.3}};
    for (int i = 0; i < 5; ++i) {
        Node& n = p.nodes[static_cast<std::size_t>(i)];
        n = Node{};
        n.X = xy[i][0];
        n.Y = xy[i][1];
        n.T = 10;
        n.F = i < 2 ? 20 : 10;
        n.Type = i < 4 ? 1 : 0;
    }
    p.NA = p.NN = 5;
    for (int32_t b = 0; b < 4; ++b)
        p.blocks[static_cast<std::size_t>(b)] = Block{{b, (b + 1) % 4, 4}, b};
    p.NB = 4;
    resetMesh(p);
    return p;
}

double renumberSeconds(Problem& p) {
    const auto start = std::chrono::steady_clock::now();
    renumberNodes(p);
    renumberElements(p);
    return seconds(start);
}

void splitFourSeries(const Limits& limits) {
    std::printf(
        "\nSplit 4 passes (pass = whole operation; renumber = both renumberings alone on the result)\n");
    std::printf("%10s %10s %12s %12s %12s %10s\n", "elements", "nodes", "pass s", "renumber s", "split s",
                "ratio");
    Problem p = fourBlocks(limits);
    double previous = 0;
    while (4 * int64_t{p.NM} <= limits.MMAX && 4 * int64_t{p.NN} <= limits.NMAX) {
        const auto start = std::chrono::steady_clock::now();
        const MeshResult result = splitAllInFour(p);
        const double pass = seconds(start);
        if (!result.message.empty()) break;
        const double renumber = renumberSeconds(p);
        if (previous > 0)
            std::printf("%10d %10d %12.4f %12.4f %12.4f %10.2f\n", p.NM, p.NN, pass, renumber,
                        pass - renumber, pass / previous);
        else
            std::printf("%10d %10d %12.4f %12.4f %12.4f %10s\n", p.NM, p.NN, pass, renumber, pass - renumber,
                        "-");
        previous = pass;
    }
}

void splitTwoSeries(const Limits& limits) {
    std::printf("\nSplit 2 passes\n");
    std::printf("%10s %10s %12s %10s\n", "elements", "nodes", "pass s", "ratio");
    Problem p = fourBlocks(limits);
    double previous = 0;
    while (p.NM < 1'000'000) {
        const auto start = std::chrono::steady_clock::now();
        const MeshResult result = splitAllInTwo(p);
        const double pass = seconds(start);
        if (!result.message.empty()) break;
        if (p.NM >= 1000) {
            if (previous > 0)
                std::printf("%10d %10d %12.4f %10.2f\n", p.NM, p.NN, pass, pass / previous);
            else
                std::printf("%10d %10d %12.4f %10s\n", p.NM, p.NN, pass, "-");
            previous = pass;
        }
    }
}

void addWellOnAMillion(const Limits& limits) {
    std::printf("\nAdd Well on a mesh of a million elements\n");
    Problem p = fourBlocks(limits);
    while (p.NM < 1'000'000)
        if (!splitAllInFour(p).message.empty()) return;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, p.LX), y(0, p.LY);
    double total = 0, renumber = 0;
    const int wells = 10;
    for (int w = 0; w < wells; ++w) {
        const auto start = std::chrono::steady_clock::now();
        addWell(p, x(random), y(random));
        total += seconds(start);
    }
    for (int w = 0; w < wells; ++w)
        renumber += renumberSeconds(p);
    std::printf("%10s %10s %14s %14s %14s\n", "elements", "wells", "add well s", "renumber s", "insertion s");
    std::printf("%10d %10d %14.4f %14.4f %14.4f\n", p.NM, p.NW, total / wells, renumber / wells,
                (total - renumber) / wells);
}

} // namespace

int main() {
    Limits limits;
    limits.BMAX = 48;
    limits.NMAX = 2'200'000;
    limits.MMAX = 4'200'000;
    limits.PMAX = 0;
    splitFourSeries(limits);
    splitTwoSeries(limits);
    addWellOnAMillion(limits);
    return 0;
}
