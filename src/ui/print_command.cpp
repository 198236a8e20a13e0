#include "ui/print_command.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QWidget>

#include "model/number_text.h"
#include "pdf/paged_sink.h"
#include "print/report_pages.h"
#include "ui/application.h"
#include "ui/table_grid.h"
#include "ui/window_feedback.h"

namespace velkor {

namespace {

constexpr int kRepaintMilliseconds = 30;

// Between pages the windows repaint (at most every 30 ms; clicks and keys wait for the end) and
// a quit is heard; the tracking runs of the graph pages report their sweeps here as in a window.
class PrintFeedback : public Feedback {
  public:
    PrintFeedback(Application& app, const PagedDeviceSink& sink) : windows_(app, {}, false), sink_(sink) {}

    void progress(const Progress& progress) override { windows_.progress(progress); }
    bool cancelRequested() override {
        if (!clock_.isValid() || clock_.elapsed() >= kRepaintMilliseconds) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            clock_.restart();
        }
        return sink_.failed() || windows_.cancelRequested();
    }

  private:
    WindowFeedback windows_;
    const PagedDeviceSink& sink_;
    QElapsedTimer clock_;
};

class HiddenAtEnd {
  public:
    explicit HiddenAtEnd(QWidget& panel) : panel_(panel) {}
    ~HiddenAtEnd() { panel_.hide(); }
    HiddenAtEnd(const HiddenAtEnd&) = delete;
    HiddenAtEnd& operator=(const HiddenAtEnd&) = delete;

  private:
    QWidget& panel_;
};

// The chosen items on a printer whose settings are made. pageLimit 0: no limit.
ReportOutcome printOn(Application& app, QPrinter& printer, QWidget& waitPanel, int pageLimit) {
    const Application::WorkScope work(app, false);
    PagedDeviceSink sink(printer);
    if (!sink.beginDocument()) {
        app.dialogs.message(kReportNotPrinted);
        return ReportOutcome{Outcome::FileError, 0, {}, {}};
    }
    const HiddenAtEnd hidden(waitPanel);
    showPanelNow(&waitPanel);

    PrintFeedback feedback(app, sink);
    PlotCallbacks callbacks;
    callbacks.feedback = &feedback;
    const ReportOutcome outcome = printReportItems(app.document.problemForRules(), sink, app.options, callbacks, pageLimit);
    if (outcome.outcome == Outcome::Cancelled && !sink.failed()) {
        // The program is ending: the job goes with it.
        printer.abort();
        return outcome;
    }
    sink.endDocument();
    if (sink.failed() || printer.printerState() == QPrinter::Error) {
        waitPanel.hide();
        app.dialogs.message(kReportNotPrinted);
        return ReportOutcome{Outcome::FileError, outcome.pages, {}, {}};
    }
    return outcome;
}

} // namespace

void printReportCommand(Application& app, QWidget& waitPanel) {
    QPrinter printer(QPrinter::HighResolution);
    if (!app.dialogs.printSetup(printer)) return;
    printOn(app, printer, waitPanel, 0);
}

void printPreviewCommand(Application& app, QWidget& waitPanel) {
    QPrinter printer(QPrinter::HighResolution);
    bool limitShown = false;
    app.dialogs.printPreview(printer, [&](QPrinter& target) {
        const ReportOutcome outcome = printOn(app, target, waitPanel, kPreviewPageLimit);
        if (outcome.outcome == Outcome::LimitReached && !limitShown) {
            limitShown = true;
            app.dialogs.message(
                format("The preview shows the first %d pages of the report.", kPreviewPageLimit));
        }
    });
}

} // namespace velkor
