// Costs of the results core on generated solved meshes: element searches (the locator against
// the plain outward walk), particle tracking, contour levels and segments, and whole drawings on
// a canvas that only counts calls.
//
// Usage: results_bench [cells-per-side-of-the-large-mesh]   (default 708: about 10^6 elements)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "results/contour_levels.h"
#include "results/contour_plot.h"
#include "results/element_locator.h"
#include "results/particle_tracker.h"
#include "results/recording_canvas.h"
#include "results/three_d_graph.h"
#include "solved_square.h"
#include "timing.h"

using namespace velkor;
using velkor::bench::makeSolvedSquare;

namespace {

using bench::Clock;
using bench::seconds;

struct SearchCosts {
    double buildSeconds = 0;
    double failingNs = 0;  // point just outside the mesh, start at the boundary
    double jumpingNs = 0;  // point anywhere, start element 0
    double crossingNs = 0; // next point one column on: a neighbour far away in index
    double cachedNs = 0;   // the same crossings, 64 of them over and over: the search without memory stalls
    double walkFailingNs = 0; // the plain walk for the failing case
};

SearchCosts measureSearches(const Problem& problem, int walkQueries) {
    SearchCosts costs;
    auto start = Clock::now();
    const ElementLocator locator(problem);
    costs.buildSeconds = seconds(start);

    std::mt19937 random(1);
    std::uniform_real_distribution<double> along(1, 999);
    const int queries = 200000;
    std::vector<double> ys(queries), xs(queries);
    for (int k = 0; k < queries; ++k)
        ys[static_cast<std::size_t>(k)] = along(random);
    for (int k = 0; k < queries; ++k)
        xs[static_cast<std::size_t>(k)] = along(random);
    int64_t found = 0;
    start = Clock::now();
    for (int k = 0; k < queries; ++k)
        found += locator.elementAround(-0.01, ys[static_cast<std::size_t>(k)], 0);
    costs.failingNs = seconds(start) / queries * 1e9;
    start = Clock::now();
    for (int k = 0; k < queries; ++k)
        found += locator.elementAround(xs[static_cast<std::size_t>(k)], ys[static_cast<std::size_t>(k)], 0);
    costs.jumpingNs = seconds(start) / queries * 1e9;
    // A particle stepping along a row into the next column of cells: the element it reaches is a
    // spatial neighbour about 2n away in index, which the plain walk finds only after 4n tests.
    std::vector<int32_t> starts(queries);
    std::vector<double> px(queries), py(queries);
    const double cell =
        problem.nodes[static_cast<std::size_t>(problem.NN - 1)].X / std::sqrt(problem.NM / 2.0);
    for (int k = 0; k < queries; ++k) {
        const auto i = static_cast<std::size_t>(k);
        px[i] = 1 + std::fmod(0.37 * cell * k, 990.0);
        py[i] = 1 + std::fmod(0.011 * k, 990.0);
        starts[i] = locator.elementAround(px[i] - cell, py[i], 0);
    }
    start = Clock::now();
    for (int k = 0; k < queries; ++k) {
        const auto i = static_cast<std::size_t>(k);
        found += locator.elementAround(px[i], py[i], starts[i]);
    }
    costs.crossingNs = seconds(start) / queries * 1e9;
    start = Clock::now();
    for (int k = 0; k < queries; ++k) {
        const auto i = static_cast<std::size_t>(k % 64) * 1000;
        found += locator.elementAround(px[i], py[i], starts[i]);
    }
    costs.cachedNs = seconds(start) / queries * 1e9;
    start = Clock::now();
    for (int k = 0; k < walkQueries; ++k)
        found += walkElementAround(problem, -0.01, ys[static_cast<std::size_t>(k)], 0);
    costs.walkFailingNs = seconds(start) / walkQueries * 1e9;
    if (found == 42) std::puts("");
    return costs;
}

class CountingConsumer : public TrackConsumer {
  public:
    int64_t segments = 0, marks = 0;
    void segment(int32_t, const TrackPoint&, const TrackPoint&) override { ++segments; }
    void mark(int32_t, const TrackPoint&) override { ++marks; }
};

} // namespace

int main(int argc, char** argv) {
    const int largeCells = argc > 1 ? std::atoi(argv[1]) : 708;
    const int smallCells = 71;

    Problem small, large;
    makeSolvedSquare(small, smallCells, 100);
    auto start = Clock::now();
    makeSolvedSquare(large, largeCells, 100);
    std::printf("mesh small NM %d, large NM %d (built in %.2f s)\n", small.NM, large.NM, seconds(start));

    const SearchCosts smallCosts = measureSearches(small, 2000);
    const SearchCosts largeCosts = measureSearches(large, 20);
    std::printf("locator build: small %.4f s, large %.3f s\n", smallCosts.buildSeconds,
                largeCosts.buildSeconds);
    std::printf("failing search: small %.0f ns, large %.0f ns, ratio large/small %.2f (target <= 2)\n",
                smallCosts.failingNs, largeCosts.failingNs, largeCosts.failingNs / smallCosts.failingNs);
    std::printf(
        "jumping search along a path (next column): small %.0f ns, large %.0f ns, ratio large/small %.2f "
        "(target <= 2)\n",
        smallCosts.crossingNs, largeCosts.crossingNs, largeCosts.crossingNs / smallCosts.crossingNs);
    std::printf(
        "jumping search, data in cache: small %.0f ns, large %.0f ns, ratio large/small %.2f (target <= 2)\n",
        smallCosts.cachedNs, largeCosts.cachedNs, largeCosts.cachedNs / smallCosts.cachedNs);
    std::printf(
        "jumping search to random points (memory bound at large): small %.0f ns, large %.0f ns, ratio "
        "%.2f\n",
        smallCosts.jumpingNs, largeCosts.jumpingNs, largeCosts.jumpingNs / smallCosts.jumpingNs);
    std::printf("plain walk, failing: small %.0f ns, large %.0f ns; locator is %.0fx faster at large\n",
                smallCosts.walkFailingNs, largeCosts.walkFailingNs,
                largeCosts.walkFailingNs / largeCosts.failingNs);

    // 100 particles through the large mesh, with the plan's tracking length.
    {
        CountingConsumer consumer;
        const double h = planTrackingLength(large);
        start = Clock::now();
        const TrackReport report = trackParticles(large, h, consumer);
        const double elapsed = seconds(start);
        std::printf(
            "tracking 100 particles, h %.4f m: %lld sweeps, %lld steps, %lld marks in %.2f s: %.2e steps/s\n",
            h, static_cast<long long>(report.sweeps), static_cast<long long>(report.steps),
            static_cast<long long>(consumer.marks), elapsed, report.steps / elapsed);
        CountingConsumer coarse;
        start = Clock::now();
        const TrackReport longSteps = trackParticles(large, 100 * h, coarse);
        const double coarseElapsed = seconds(start);
        std::printf("tracking with 100 h (a new element every step): %lld steps in %.3f s: %.2e steps/s\n",
                    static_cast<long long>(longSteps.steps), coarseElapsed, longSteps.steps / coarseElapsed);
    }

    // Contour levels and segments, element by element as the plan draws them.
    {
        start = Clock::now();
        const ContourLevels levels = computeContourLevels(large);
        int64_t segments = 0;
        double checksum = 0;
        for (int32_t m = 0; m < large.NM; ++m) {
            const Element& e = large.elements[static_cast<std::size_t>(m)];
            double x[3], y[3], f[3];
            for (int k = 0; k < 3; ++k) {
                const Node& node = large.nodes[static_cast<std::size_t>(e.node[k])];
                x[k] = node.X, y[k] = node.Y, f[k] = node.F;
            }
            std::size_t first = 0, last = 0;
            crossingLevelRange(levels.levels, f, first, last);
            for (std::size_t k = first; k < last; ++k) {
                ContourSegment s;
                if (contourSegment(x, y, f, levels.levels[k], s)) ++segments, checksum += s.x1;
            }
        }
        const double fast = seconds(start);
        start = Clock::now();
        int64_t plainSegments = 0;
        for (int32_t m = 0; m < large.NM; ++m) {
            const Element& e = large.elements[static_cast<std::size_t>(m)];
            double x[3], y[3], f[3];
            for (int k = 0; k < 3; ++k) {
                const Node& node = large.nodes[static_cast<std::size_t>(e.node[k])];
                x[k] = node.X, y[k] = node.Y, f[k] = node.F;
            }
            for (const double level : levels.levels) {
                ContourSegment s;
                if (contourSegment(x, y, f, level, s)) ++plainSegments, checksum -= s.x1;
            }
        }
        const double plain = seconds(start);
        std::printf(
            "contours: %zu levels, %lld segments in %.3f s (target < 0.5 s); every level tested: %lld in "
            "%.3f s (checksum %g)\n",
            levels.levels.size(), static_cast<long long>(segments), fast,
            static_cast<long long>(plainSegments), plain, checksum);
    }

    // Whole drawings on a canvas that counts calls, without and with pathlines.
    for (const int32_t particles : {0, 100}) {
        large.NP = particles;
        RecordingCanvas canvas;
        canvas.record = false;
        start = Clock::now();
        drawContourPlot(large, canvas, 1600, 1000);
        const double plan = seconds(start);
        const int64_t planCalls = canvas.callCount;
        canvas.callCount = 0;
        start = Clock::now();
        draw3DGraph(large, canvas, 1600, 1000, GraphChoices{});
        const double graph = seconds(start);
        std::printf("drawings with NP %d: contour plot %.2f s (%lld calls), 3D graph %.2f s (%lld calls)\n",
                    particles, plan, static_cast<long long>(planCalls), graph,
                    static_cast<long long>(canvas.callCount));
    }
    return 0;
}
