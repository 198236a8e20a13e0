// The printed report of velkor-batch, as PDF: the same pages the Print command draws, on a page
// of the size asked for (A4 portrait at 600 dpi unless --page says otherwise).
#include <chrono>

#include "batch/batch.h"
#include "model/number_text.h"
#include "operations/work_copies.h"
#include "pdf/report_pdf.h"

namespace velkor::batch {

bool produceReport(State& state) {
    const Options& options = state.options;
    if (options.reportPdf.empty()) return true;
    const auto start = std::chrono::steady_clock::now();
    OptionSettings report = options.report;
    if (options.reportSurfaces) {
        GraphChoices surfaces;
        if (!parseSurfaces(options.surfaces, surfaces)) return false;
        report.CheckWater = surfaces.CheckWater;
        report.CheckCont = surfaces.CheckCont;
        report.CheckBottom = surfaces.CheckBottom;
        report.CheckTop = surfaces.CheckTop;
    }
    const PrintReport written =
        writeReportPdf(state.problem, report, options.reportPdf,
                       PdfPage{options.pageWidth, options.pageHeight, options.pageDpi});
    if (!written.result.ok()) {
        reportMessage(written.result.message);
        return false;
    }
    reportUnfinishedRun(written.contourTracking);
    reportUnfinishedRun(written.graphTracking);
    takeParticleHeights(state.problem, written.contourTracking.heights);
    takeParticleHeights(state.problem, written.graphTracking.heights);
    state.times.emplace_back("report-pdf",
                             std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return true;
}

} // namespace velkor::batch
