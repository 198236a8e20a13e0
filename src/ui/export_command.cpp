#include "ui/export_command.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "gis/geopackage_export.h"
#include "operations/work_copies.h"
#include "results/element_locator.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/table_grid.h"

namespace velkor {

namespace {

// "Val1.fem" -> "Val1"
std::string datafileStem(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    const std::string stem = dot != std::string::npos && dot > 0 ? fileName.substr(0, dot) : fileName;
    return stem.empty() ? std::string("Data1") : stem;
}

// What the export's run works with and leaves.
struct ExportWork {
    ExportChoice choice;
    std::string path;
    std::shared_ptr<const ElementLocator> locator; // kept, or built by the run
    bool locatorBuilt = false;
    ExportReport report;
};

} // namespace

void exportCommand(Application& app, QWidget& waitPanel, ExportChoice& choice,
                   const std::function<void()>& afterProgress) {
    for (;;) {
        const std::optional<ExportChoice> chosen = app.dialogs.exportChoice(choice);
        if (!chosen) return;
        choice = *chosen;
        if (choice.format != ExportFormat::GeoPackage || !choice.epsg) break;
        const Result known = checkEpsgCode(*choice.epsg);
        if (known.ok()) break;
        app.dialogs.message(known.message);
    }
    const bool geoPackage = choice.format == ExportFormat::GeoPackage;
    const std::optional<std::string> path = app.dialogs.saveFileName(
        {geoPackage ? kGeoPackageFilter : kCsvFilter, geoPackage ? kGeoPackageExtension : kCsvExtension,
         app.state.paths.initialDirectory,
         datafileStem(app.problem.fileName) + (geoPackage ? ".gpkg" : ".csv")});
    if (!path) return;

    const Problem& problem = app.problem;
    auto work = std::make_shared<ExportWork>();
    work->choice = choice;
    work->path = *path;
    const bool tracks = problem.NP > 0 && (geoPackage || choice.pathlines);
    MeshCaches& caches = MeshCaches::of(app.document);
    if (tracks && caches.hasLocator(problem)) work->locator = caches.locator(problem);
    showPanelNow(&waitPanel);
    // The files are written beside the windows; the run holds the problem, which it only reads,
    // and Cancel or Escape stops a tracking run (the file it feeds stays as it was).
    const bool started = app.startLongRun(
        "export",
        [work, &problem, tracks](RunFeedback& feedback) {
            if (tracks && !work->locator) {
                work->locator = std::make_shared<const ElementLocator>(problem);
                work->locatorBuilt = true;
            }
            work->report = exportResults(problem, work->choice, work->path, &feedback, work->locator.get());
        },
        [afterProgress](const Progress&) {
            if (afterProgress) afterProgress();
        },
        [&app, &waitPanel, work] {
            waitPanel.hide();
            if (app.quitRequested() || !app.problem.tablesAllocated) return;
            if (work->locatorBuilt) MeshCaches::of(app.document).keep(app.problem, work->locator);
            // The tracking run placed particles that start above the water table in the saturated
            // zone: the particle table shows it, as after a drawing.
            const Applied taken = takeParticleHeights(app.document.problemForRules(), work->report.heights);
            if (taken.changedAnything()) app.document.changedWithoutStep(taken.changed);
            if (!work->report.result.message.empty()) app.dialogs.message(work->report.result.message);
            app.releaseLater(work);
        });
    if (!started) waitPanel.hide();
}

} // namespace velkor
