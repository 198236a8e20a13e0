#include "gis/results_export.h"

#include <cmath>

#include "gis/geopackage_export.h"
#include "results/contour_plot.h"
#include "results/csv_export.h"
#include "results/water_budget.h"

namespace velkor {

namespace {

// "dir/Val3.csv" -> "dir/Val3"; a name without an extension stays as it is.
std::string stemOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path;
    return path.substr(0, dot);
}

// The pathlines table: the file is replaced only when the run came to its end (or to its bound).
Result writePathlines(const Problem& problem, const std::string& path, Feedback* feedback,
                      const ElementLocator* locator, std::vector<double>& heights) {
    TrackReport track;
    const Result written = writeCsvFile(path, [&](TextSink& sink) {
        track = writePathlinesCsv(problem, planTrackingLength(problem), sink, feedback, locator);
        heights = track.heights;
        if (track.result.outcome == Outcome::NothingToDo)
            return Result{Outcome::Done,
                          "There are no particles: the pathlines table holds its header only."};
        return track.result;
    });
    return written;
}

Result writeTable(const Problem& problem, const ExportFile& file, Feedback* feedback,
                  const ElementLocator* locator, std::vector<double>& heights) {
    if (file.table == "nodes")
        return writeCsvFile(file.path, [&](TextSink& sink) { return writeNodesCsv(problem, sink); });
    if (file.table == "elements")
        return writeCsvFile(file.path, [&](TextSink& sink) { return writeElementsCsv(problem, sink); });
    if (file.table == "budget")
        return writeCsvFile(
            file.path, [&](TextSink& sink) { return writeBudgetCsv(computeWaterBudget(problem), sink); });
    return writePathlines(problem, file.path, feedback, locator, heights);
}

void addLine(std::string& text, const std::string& line) {
    if (line.empty()) return;
    if (!text.empty()) text += "\n";
    text += line;
}

} // namespace

std::vector<ExportFile> exportFiles(const std::string& chosenPath, const ExportChoice& choice) {
    std::vector<ExportFile> files;
    if (choice.format == ExportFormat::GeoPackage) {
        files.push_back({"geopackage", chosenPath});
        return files;
    }
    const std::string stem = stemOf(chosenPath);
    const struct {
        bool chosen;
        const char* table;
    } tables[] = {{choice.nodes, "nodes"},
                  {choice.elements, "elements"},
                  {choice.pathlines, "pathlines"},
                  {choice.budget, "budget"}};
    for (const auto& table : tables)
        if (table.chosen) files.push_back({table.table, stem + "-" + table.table + ".csv"});
    return files;
}

ExportReport exportResults(const Problem& problem, const ExportChoice& choice, const std::string& chosenPath,
                           Feedback* feedback, const ElementLocator* locator) {
    ExportReport report;
    if (choice.format == ExportFormat::GeoPackage) {
        // The reference is checked before anything is tracked or written.
        if (choice.epsg) {
            const Result known = checkEpsgCode(*choice.epsg);
            if (!known.ok()) {
                report.result = known;
                return report;
            }
        }
        GeoPackageOptions options;
        options.epsg = choice.epsg;
        options.originX = choice.originX;
        options.originY = choice.originY;
        const GeoPackageReport written = writeGeoPackage(problem, chosenPath, options, feedback, locator);
        report.heights = written.track.heights;
        report.result = written.result;
        if (written.result.outcome == Outcome::Done || written.result.outcome == Outcome::LimitReached) {
            report.written.push_back(chosenPath);
            std::string message = "Written: " + chosenPath;
            addLine(message, written.result.message);
            report.result = {Outcome::Done, message};
        }
        return report;
    }

    const std::vector<ExportFile> files = exportFiles(chosenPath, choice);
    if (files.empty()) {
        report.result = Result::failed(Outcome::NothingToDo, "No table was chosen. Nothing was written.");
        return report;
    }
    // A table that cannot be written does not keep the others from being written; a cancel ends
    // the export where it is.
    std::string done, failed;
    Outcome outcome = Outcome::Done;
    for (const ExportFile& file : files) {
        const Result written = writeTable(problem, file, feedback, locator, report.heights);
        if (written.outcome == Outcome::Done || written.outcome == Outcome::LimitReached) {
            report.written.push_back(file.path);
            addLine(done, "Written: " + file.path);
            addLine(done, written.message);
            continue;
        }
        if (outcome == Outcome::Done) outcome = written.outcome;
        addLine(failed,
                "Not written: " + file.path + (written.message.empty() ? "" : " - " + written.message));
        if (written.outcome == Outcome::Cancelled) break;
    }
    std::string message = failed;
    addLine(message, done);
    report.result = {outcome, message};
    return report;
}

} // namespace velkor
