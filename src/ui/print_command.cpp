#include "ui/print_command.h"

#include <QFile>
#include <QLabel>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>

#include <atomic>
#include <memory>
#include <new>
#include <string>

#include "io/text_file.h"
#include "model/number_text.h"
#include "operations/work_copies.h"
#include "paint/text_codec.h"
#include "pdf/paged_sink.h"
#include "pdf/replacement_device.h"
#include "print/report_pages.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/table_grid.h"

namespace velkor {

namespace {

// The run's feedback, and a stop as soon as the printer has refused a page.
class PrintFeedback : public Feedback {
  public:
    PrintFeedback(Feedback& run, const PagedDeviceSink& sink) : run_(run), sink_(sink) {}
    void progress(const Progress& progress) override { run_.progress(progress); }
    bool cancelRequested() override { return sink_.failed() || run_.cancelRequested(); }

  private:
    Feedback& run_;
    const PagedDeviceSink& sink_;
};

// A report printed on a worker thread, and how it ended.
struct PrintWork {
    std::unique_ptr<QPrinter> printer;
    std::string pdfPath; // the PDF file the chosen printer writes, if it is one
    std::string title;
    OptionSettings options;
    PrintReport report;
    bool failed = false;
    std::string reason; // the system's, when a file could not be written
    // The job went to its end (the pages printed, a PDF file in place): set last, after everything
    // above, so that a Cancel that came too late still finds the job's outcome.
    std::atomic<bool> complete{false};
};

// Prints the chosen items on the sink, whose document the caller has begun. True when the job is to
// be ended; false when it was given up: the document is thrown away.
bool printItems(const Problem& problem, PrintWork& work, PagedDeviceSink& sink, RunFeedback& feedback) {
    PrintFeedback stop(feedback, sink);
    PlotCallbacks callbacks;
    callbacks.feedback = &stop;
    work.report = printReportItems(problem, sink, work.options, callbacks);
    const bool givenUp = work.report.result.outcome == Outcome::Cancelled && !sink.failed();
    return !givenUp && !feedback.cancelRequested();
}

// The chosen items on the printer. Runs on the worker thread.
void printOnPrinter(const Problem& problem, PrintWork& work, RunFeedback& feedback) {
    QPrinter& printer = *work.printer;
    PagedDeviceSink sink(printer);
    if (!sink.beginDocument()) {
        work.failed = true;
        return;
    }
    if (!printItems(problem, work, sink, feedback)) {
        // Cancelled, or the program is ending: the job goes.
        printer.abort();
        return;
    }
    sink.endDocument();
    work.failed = sink.failed() || printer.printerState() == QPrinter::Error;
    work.complete.store(true);
}

// The chosen items into the PDF file the printer names, with the printer's page and resolution. The
// file is written beside its name and replaces it only when the whole report is in it: a failure
// or a Cancel leaves the file that was there. Runs on the worker thread.
void printIntoPdf(const Problem& problem, PrintWork& work, RunFeedback& feedback) {
    ReplacementDevice file(work.pdfPath);
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("VELKOR"));
    writer.setTitle(fromWindows1252(work.title));
    writer.setResolution(work.printer->resolution());
    writer.setPageLayout(work.printer->pageLayout());
    PagedDeviceSink sink(writer);
    if (!file.isOpen() || !sink.beginDocument()) {
        work.failed = true;
        work.reason = file.error();
        return;
    }
    if (!printItems(problem, work, sink, feedback)) return; // the file that was there stays
    sink.endDocument();
    if (feedback.cancelRequested()) return;
    if (sink.failed() || !file.commit()) {
        work.failed = true;
        work.reason = file.error();
    }
    work.complete.store(true);
}

void showPage(TFormFem& window, const Progress& progress) {
    if (progress.stage != Stage::Printing) return;
    if (progress.percent >= 0)
        window.PrintProgress->setText(fromWindows1252(
            format("Page %d of %d : %d %%", progress.page, progress.pages, progress.percent)));
    else
        window.PrintProgress->setText(fromWindows1252(format("Page %d", progress.page)));
    if (const std::function<void()> hook = window.onPrintProgress) hook(); // a copy: it may replace itself
}

void printEnded(Application& app, TFormFem& window, PrintWork& work) {
    window.PanelWait->hide();
    if (app.quitRequested()) return;
    // Cancelled, the job may still be throwing its document away: nothing of its work is read, unless
    // the Cancel came when the job had gone to its end.
    if (app.longRunCancelled() && !work.complete.load()) {
        app.document.tell("Printing cancelled.");
        return;
    }
    // The graph pages clamped the particles into the saturated zone: the particle table shows it.
    for (const TrackReport* track : {&work.report.contourTracking, &work.report.graphTracking}) {
        const Applied taken = takeParticleHeights(app.document.problemForRules(), track->heights);
        if (taken.changedAnything()) app.document.changedWithoutStep(taken.changed);
    }
    if (work.failed) {
        app.dialogs.message(withReason(kReportNotPrinted, work.reason));
    } else if (!work.pdfPath.empty()) {
        app.document.tell("The report was written to " +
                          toWindows1252(QFile::decodeName(work.pdfPath.c_str())) + ".");
    }
}

} // namespace

void printReportCommand(Application& app, TFormFem& window) {
    auto work = std::make_shared<PrintWork>();
    work->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!app.dialogs.printSetup(*work->printer)) return;
    QPrinter& printer = *work->printer;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const QByteArray path = QFile::encodeName(printer.outputFileName());
        work->pdfPath = path.toStdString();
    }
    const Problem& problem = app.problem;
    work->title = "VELKOR : " + problem.problemName;
    work->options = app.options;

    window.PrintProgress->clear();
    window.ButtonCancelPrint->setEnabled(true);
    showPanelNow(window.PanelWait);
    const bool started = app.startLongRun(
        "printing",
        [work, &problem](RunFeedback& feedback) {
            // The report is drawn from a copy: a page of a million triangles goes to the printer
            // when the next one starts, which takes a second and cannot stop part-way; on its copy
            // the job lets the windows go at once when it is cancelled, and ends on its own.
            Problem copy;
            try {
                copy = problem.copyWithRowsInUse();
            } catch (const std::bad_alloc&) {
                work->failed = true;
                work->reason = "Not enough memory";
                return;
            }
            feedback.onItsOwn();
            if (work->pdfPath.empty())
                printOnPrinter(copy, *work, feedback);
            else
                printIntoPdf(copy, *work, feedback);
        },
        [&window](const Progress& progress) { showPage(window, progress); },
        [&app, &window, work] { printEnded(app, window, *work); });
    if (!started) window.PanelWait->hide();
}

void printPreviewCommand(Application& app, TFormFem& window) {
    QPrinter printer(QPrinter::HighResolution);
    bool limitShown = false;
    app.dialogs.printPreview(printer, [&](QPrinter& target) {
        // The preview asks for its pages and shows them when it has them: they are drawn here.
        PagedDeviceSink sink(target);
        if (!sink.beginDocument()) {
            app.dialogs.message(kReportNotPrinted);
            return;
        }
        window.PrintProgress->clear();
        window.ButtonCancelPrint->setEnabled(false);
        showPanelNow(window.PanelWait);
        const PrintReport preview = printReportItems(app.problem, sink, app.options, {}, kPreviewPageLimit);
        sink.endDocument();
        window.PanelWait->hide();
        if (preview.result.outcome == Outcome::LimitReached && !limitShown) {
            limitShown = true;
            app.dialogs.message(
                format("The preview shows the first %d pages of the report.", kPreviewPageLimit));
        }
    });
}

} // namespace velkor
