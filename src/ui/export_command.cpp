#include "ui/export_command.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "gis/geopackage_export.h"
#include "results/element_locator.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/plot_window.h"
#include "ui/table_grid.h"
#include "ui/window_feedback.h"

namespace velkor {

namespace {

// "Val1.fem" -> "Val1"
std::string datafileStem(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    const std::string stem = dot != std::string::npos && dot > 0 ? fileName.substr(0, dot) : fileName;
    return stem.empty() ? std::string("Data1") : stem;
}

// While the export runs the windows repaint, but keys and clicks wait for its end: only Escape
// is heard, and it stops the run.
class EscapeStops : public QObject {
  public:
    explicit EscapeStops(WindowFeedback& feedback) : feedback_(feedback) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~EscapeStops() override { QCoreApplication::instance()->removeEventFilter(this); }
    EscapeStops(const EscapeStops&) = delete;
    EscapeStops& operator=(const EscapeStops&) = delete;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) feedback_.requestCancel();
            return true;
        case QEvent::ShortcutOverride:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }

  private:
    WindowFeedback& feedback_;
};

std::vector<double> particleHeights(const Problem& problem) {
    std::vector<double> heights(static_cast<std::size_t>(problem.usedParticleCount()));
    for (std::size_t p = 0; p < heights.size(); ++p)
        heights[p] = problem.particles[p].Z;
    return heights;
}

ExportReport writeExport(Application& app, QWidget& waitPanel, const ExportChoice& choice,
                         const std::string& path, const std::function<void()>& afterProgress) {
    Problem& problem = app.document.problemForRules();
    // The panel first: the locator of a large mesh takes a while to build.
    showPanelNow(&waitPanel);
    const bool tracks = choice.format == ExportFormat::GeoPackage || choice.pathlines;
    std::shared_ptr<const ElementLocator> locator;
    if (tracks && problem.NP > 0) locator = MeshCaches::of(app.document).locator(problem);
    WindowFeedback feedback(
        app, [&waitPanel](const Progress&) { waitPanel.repaint(); }, true);
    feedback.afterShow = afterProgress;
    const std::vector<double> heightsBefore = particleHeights(problem);
    ExportReport report;
    {
        const EscapeStops escape(feedback);
        report = exportResults(problem, choice, path, &feedback, locator.get());
    }
    waitPanel.hide();
    // The tracking run lowered particles into the saturated zone: the particle table shows it.
    if (!app.quitRequested() && particleHeights(problem) != heightsBefore)
        app.document.changedWithoutStep(Change::Particles);
    return report;
}

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
    const ExportReport report = writeExport(app, waitPanel, choice, *path, afterProgress);
    if (!report.result.message.empty() && !app.quitRequested()) app.dialogs.message(report.result.message);
}

} // namespace velkor
