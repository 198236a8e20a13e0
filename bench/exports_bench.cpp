// Costs of Set Nodes, the water budget, the CSV tables and the GeoPackage on generated solved
// squares: 10^6 nodes for the selection, the budget and the CSV of nodes, 10^6 elements with 21
// contour levels and 100 pathlines for the GeoPackage. Each figure is set against a baseline of
// the same run: one plain pass over the node table, or the tracking run the GeoPackage contains.
//
// Usage: exports_bench [cells-per-side-for-nodes] [cells-per-side-for-elements]  (999 and 708)
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include "gis/geopackage_export.h"
#include "io/text_file.h"
#include "operations/set_nodes.h"
#include "results/contour_levels.h"
#include "results/contour_plot.h"
#include "results/csv_export.h"
#include "results/water_budget.h"
#include "solved_square.h"
#include "timing.h"

using namespace velkor;
using velkor::bench::Clock;
using velkor::bench::seconds;

namespace {

class NoTrack : public TrackConsumer {
  public:
    void segment(int32_t, const TrackPoint&, const TrackPoint&) override {}
    void mark(int32_t, const TrackPoint&) override {}
};

// A sink that only counts, for the cost of formatting without the disk.
class CountingSink : public TextSink {
  public:
    void write(std::string_view text) override { bytes += static_cast<int64_t>(text.size()); }
    int64_t bytes = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int nodeCells = argc > 1 ? std::atoi(argv[1]) : 999;
    const int elementCells = argc > 2 ? std::atoi(argv[2]) : 708;
    const auto folder = std::filesystem::temp_directory_path();

    {
        Problem problem;
        bench::makeSolvedSquare(problem, nodeCells, 0);
        bench::prescribeEnds(problem, nodeCells);
        std::printf("square of %d nodes, %d elements (machine shared with other builds)\n", problem.NN,
                    problem.NM);

        // Baseline: one pass reading every node's coordinates.
        auto start = Clock::now();
        double sum = 0;
        for (int32_t i = 0; i < problem.NN; ++i)
            sum += problem.nodes[static_cast<std::size_t>(i)].X;
        const double pass = seconds(start);
        std::printf("baseline: one pass over the nodes %.4f s (checksum %.0f)\n", pass, sum);

        start = Clock::now();
        const NodeSelection side = nodesInRectangle(problem, 1000, -1, 999.5, 1001);
        const double rectangle = seconds(start);
        start = Clock::now();
        std::vector<PlanPoint> zigzag;
        for (int k = 0; k <= 10; ++k)
            zigzag.push_back(PlanPoint{100.0 * k, k % 2 == 0 ? 100.0 : 900.0});
        const NodeSelection line = nodesNearPolyline(problem, zigzag, 2);
        const double polyline = seconds(start);
        NodeSettings settings;
        settings.Type = 0;
        start = Clock::now();
        setNodes(problem, line, settings);
        const double set = seconds(start);
        std::printf(
            "set nodes: rectangle %zu nodes %.4f s, polyline of 10 segments %zu nodes %.4f s, setting "
            "them %.4f s; slowest %.4f s (target < 0.2 s), %.1f passes\n",
            side.nodes.size(), rectangle, line.nodes.size(), polyline, set,
            std::max(rectangle, polyline + set), std::max(rectangle, polyline + set) / pass);

        bench::prescribeEnds(problem, nodeCells);
        start = Clock::now();
        const std::clock_t budgetCpu = std::clock();
        const WaterBudget budget = computeWaterBudget(problem);
        const double budgetSeconds = seconds(start);
        const double budgetProcessor = static_cast<double>(std::clock() - budgetCpu) / CLOCKS_PER_SEC;
        std::printf(
            "water budget: %zu groups, in %.3f out %.3f m3/d in %.4f s, %.4f s of processor time (target < "
            "0.2 s), %.1f passes\n",
            budget.groups.size(), budget.totalIn, budget.totalOut, budgetSeconds, budgetProcessor,
            budgetSeconds / pass);

        CountingSink counted;
        start = Clock::now();
        writeNodesCsv(problem, counted);
        const double formatted = seconds(start);
        const auto path = folder / "velkor_exports_bench_nodes.csv";
        start = Clock::now();
        const Result written =
            writeCsvFile(path.string(), [&](TextSink& sink) { return writeNodesCsv(problem, sink); });
        const double toFile = seconds(start);
        std::filesystem::remove(path);
        std::printf(
            "nodes CSV: %.1f MB formatted in %.3f s (%.0f MB/s), to a file in %.3f s (%.0f MB/s, target >= "
            "100) %s\n",
            counted.bytes / 1e6, formatted, counted.bytes / 1e6 / formatted, toFile,
            counted.bytes / 1e6 / toFile, written.ok() ? "" : written.message.c_str());
    }

    {
        Problem problem;
        bench::makeSolvedSquare(problem, elementCells, 100);
        bench::prescribeEnds(problem, elementCells);
        const ContourLevels levels = computeContourLevels(problem);
        std::printf("square of %d nodes, %d elements, %zu contour levels, %d particles\n", problem.NN,
                    problem.NM, levels.levels.size(), problem.NP);
        const double h = planTrackingLength(problem);
        NoTrack none;
        auto start = Clock::now();
        const TrackReport track = trackParticles(problem, h, none);
        const double tracking = seconds(start);
        std::printf("baseline: tracking run %lld steps in %.2f s\n", static_cast<long long>(track.steps),
                    tracking);

        const auto path = folder / "velkor_exports_bench.gpkg";
        start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        const GeoPackageReport report = writeGeoPackage(problem, path.string(), {});
        const double gpkg = seconds(start);
        // On a shared machine the processor time says more than the clock on the wall.
        const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const auto bytes = std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0;
        std::filesystem::remove(path);
        std::printf(
            "GeoPackage: %lld contours, %lld pathlines, %lld marks, %lld nodes, %.0f MB in %.2f s, %.2f s of "
            "processor time (target < 10 s), %.2f tracking runs %s\n",
            static_cast<long long>(report.contours), static_cast<long long>(report.pathlines),
            static_cast<long long>(report.marks), static_cast<long long>(report.nodes), bytes / 1e6, gpkg,
            cpu, gpkg / tracking, report.result.message.c_str());
    }
    return 0;
}
