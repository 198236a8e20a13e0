// Exports of velkor-batch: the node, element and budget tables as CSV, and the results as a
// GeoPackage. They run after the pictures, in this order: nodes, elements, budget, GeoPackage.
#include <chrono>
#include <string>
#include <string_view>

#include "batch/batch.h"
#include "gis/geopackage_export.h"
#include "model/number_text.h"
#include "operations/work_copies.h"
#include "results/csv_export.h"
#include "results/water_budget.h"

namespace velkor::batch {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool parseOrigin(std::string_view text, double& x, double& y) {
    const ScannedNumber first = scanReal(text);
    if (!first.found || first.overflow || first.length >= text.size() || text[first.length] != ',')
        return false;
    const std::string_view rest = text.substr(first.length + 1);
    const ScannedNumber second = scanReal(rest);
    if (!second.found || second.overflow || second.length != rest.size()) return false;
    x = first.value;
    y = second.value;
    return true;
}

// A table written, timed and its message reported; false when it failed.
bool exportTable(State& state, const std::string& path, const char* phase,
                 const std::function<Result(TextSink&)>& writer) {
    if (path.empty()) return true;
    const auto start = std::chrono::steady_clock::now();
    const Result written = writeCsvFile(path, writer);
    if (!written.message.empty()) reportMessage(written.message);
    if (written.outcome != Outcome::Done) return false;
    state.times.emplace_back(phase, secondsSince(start));
    return true;
}

} // namespace

ArgumentUse parseExportOption(std::string_view option, const char* value, Options& options) {
    std::string* file = option == "--nodes-csv"      ? &options.nodesCsv
                        : option == "--elements-csv" ? &options.elementsCsv
                        : option == "--budget"       ? &options.budgetCsv
                        : option == "--gpkg"         ? &options.geoPackage
                                                     : nullptr;
    if (file == nullptr && option != "--epsg" && option != "--origin") return ArgumentUse::NotMine;
    const std::string_view text = value != nullptr ? std::string_view(value) : std::string_view();
    if (file != nullptr) {
        if (text.empty()) {
            reportMessage("velkor-batch: " + std::string(option) + " needs a file name");
            return ArgumentUse::Bad;
        }
        *file = text;
    } else if (option == "--epsg") {
        const ScannedNumber code = scanInteger(text);
        if (!code.found || code.length != text.size() || code.value < 1) {
            reportMessage(
                "velkor-batch: --epsg needs the number of a coordinate reference, for example 25832");
            return ArgumentUse::Bad;
        }
        options.epsg = static_cast<int>(code.value);
    } else if (!parseOrigin(text, options.originX, options.originY)) {
        reportMessage("velkor-batch: --origin needs X0,Y0, the world position of the model's (0, 0)");
        return ArgumentUse::Bad;
    }
    return ArgumentUse::Used;
}

bool exportsPossible(const Options& options) {
    if (options.geoPackage.empty() || !options.epsg) return true;
    const Result known = checkEpsgCode(*options.epsg);
    if (!known.ok()) reportMessage(known.message);
    return known.ok();
}

bool produceExports(State& state) {
    const Options& options = state.options;
    Problem& problem = state.problem;
    // A table that fails does not keep the others from being written.
    bool written = exportTable(state, options.nodesCsv, "nodes-csv",
                               [&](TextSink& sink) { return writeNodesCsv(problem, sink); });
    written = exportTable(state, options.elementsCsv, "elements-csv",
                          [&](TextSink& sink) { return writeElementsCsv(problem, sink); }) &&
              written;
    written =
        exportTable(state, options.budgetCsv, "budget",
                    [&](TextSink& sink) { return writeBudgetCsv(computeWaterBudget(problem), sink); }) &&
        written;
    if (!options.geoPackage.empty()) {
        const auto start = std::chrono::steady_clock::now();
        GeoPackageOptions gis;
        gis.epsg = options.epsg;
        gis.originX = options.originX;
        gis.originY = options.originY;
        if (options.trackH) gis.trackingLength = *options.trackH;
        const GeoPackageReport report = writeGeoPackage(problem, options.geoPackage, gis);
        takeParticleHeights(problem, report.track.heights);
        if (!report.result.message.empty()) reportMessage(report.result.message);
        if (report.result.outcome == Outcome::Done || report.result.outcome == Outcome::LimitReached)
            state.times.emplace_back("gpkg", secondsSince(start));
        else
            written = false;
    }
    return written;
}

} // namespace velkor::batch
