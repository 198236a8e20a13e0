// The long runs on their worker thread at a million elements, as the program runs them: a solve
// (the fast solve to its end, the conjugate gradients cancelled), a Split 4 pass (to its end and
// cancelled half-way), a drawing with 100 pathlines (to its end and cancelled), the graph pages of
// the report and a 1,000-page PDF (to their end and cancelled). For each: the time it took, the
// longest time the event loop waited between two turns (a timer asks every 5 ms; the target is
// 50 ms), and for a cancelled one the time from Cancel to the windows being free again (target
// 0.5 s). For the fast solve, how long its multigrid setups take: they cannot stop
// part-way.
//
// Usage: long_runs_bench [cells-per-side]   (default 708: 1 002 528 elements, 502 681 nodes)
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "editors/editor_drawing.h"
#include "editors/view_mapping.h"
#include "operations/problem_operations.h"
#include "paint/qt_canvas.h"
#include "solved_square.h"
#include "timing.h"
#include "ui/application.h"
#include "ui/bench_dialogs.h"
#include "ui/contours_window.h"
#include "ui/main_window.h"
#include "ui/mesh_window.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

// Print dialogs answered with a PDF file.
class PdfDialogs : public BenchDialogs {
  public:
    std::string pdf;
    bool printSetup(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(pdf.c_str()));
        return true;
    }
};

// The longest wait of the event loop while `busy` holds, measured by a timer of 5 ms.
class LoopWatch {
  public:
    LoopWatch() {
        ticker_.setInterval(5);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, sinceTick_.elapsed() / 1000.0);
            sinceTick_.restart();
        });
    }
    // Starts the clock, runs `start` (the click that starts the run), and lets the event loop turn
    // until `busy` no longer holds; `during` is asked at every turn (to press Cancel). Seconds.
    double run(const std::function<void()>& start, const std::function<bool()>& busy,
               const std::function<void()>& during = {}) {
        longest_ = 0;
        sinceTick_.start();
        ticker_.start();
        const auto begin = Clock::now();
        start();
        while (busy()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (during) during();
            if (seconds(begin) > 3600) {
                std::fprintf(stderr, "a run did not end\n");
                std::exit(1);
            }
        }
        // A turn of the loop after the run: what its end left to do (taking the results) counts.
        sinceTick_.restart();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longest_ = std::max(longest_, sinceTick_.elapsed() / 1000.0);
        ticker_.stop();
        return seconds(begin);
    }
    double longest() const { return longest_; }

  private:
    QTimer ticker_;
    QElapsedTimer sinceTick_;
    double longest_ = 0;
};

// Presses Cancel once `when` holds; the time from then to the end of the run is the latency.
class CancelAt {
  public:
    explicit CancelAt(std::function<bool()> when, std::function<void()> press)
        : when_(std::move(when)), press_(std::move(press)) {}
    void operator()() {
        if (pressed_ || !when_()) return;
        pressed_ = true;
        at_ = Clock::now();
        press_();
    }
    double latency() const { return pressed_ ? seconds(at_) : -1; }

  private:
    std::function<bool()> when_;
    std::function<void()> press_;
    bool pressed_ = false;
    Clock::time_point at_;
};

void line(const char* what, double total, double longest, double cancel = -1) {
    std::printf("%-58s %8.2f s   longest wait of the event loop %6.3f s%s", what, total, longest,
                longest <= 0.05 ? "" : "  (over 50 ms)");
    if (cancel >= 0) std::printf("   Cancel to free %.3f s%s", cancel, cancel <= 0.5 ? "" : "  (over 0.5 s)");
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const int cells = argc > 1 ? std::atoi(argv[1]) : 708;
    std::printf("long runs on their worker thread; the machine may be shared, so the figures vary\n");
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "velkor_long_runs_bench";
    std::filesystem::create_directories(scratch);
    {

        PdfDialogs dialogs;
        Application app(dialogs);
        app.endProgram = [] {};
        TFormFem& main = app.mainWindow();
        main.show();
        Problem& problem = app.document.problemForRules();
        const auto load = [&](int side, int particles, int growth) {
            bench::makeSolvedSquare(problem, side, particles);
            // Room for a Split 4 pass.
            Limits limits = problem.limits;
            limits.NMAX *= growth;
            limits.MMAX *= growth;
            applyLimits(problem, limits);
            problem.nodes[0].Type = problem.nodes[static_cast<std::size_t>(problem.NN - 1)].Type = 1;
            for (int j = 0; j <= side; ++j) {
                problem.nodes[static_cast<std::size_t>(j)].Type = 1;
                problem.nodes[static_cast<std::size_t>(side * (side + 1) + j)].Type = 1;
            }
            problem.saved.NN = problem.NN;
            problem.saved.NM = problem.NM;
            app.document.forgetHistory();
            app.document.notify(Change::Problem);
        };
        load(cells, 0, 4);
        std::printf("mesh NN %d, NM %d\n\n", problem.NN, problem.NM);
        LoopWatch watch;
        const auto running = [&] { return app.longRunActive(); };

        // ---- solve -------------------------------------------------------------------------------
        // The fast solve: its multigrid setups, which cannot stop part-way, timed from the
        // progress it shows.
        app.options.CheckFastSolver = true;
        std::string phase;
        Clock::time_point phaseStart = Clock::now();
        std::vector<std::pair<std::string, double>> phases;
        main.onSolveProgress = [&] {
            const std::string stage = main.ProgressStage->text().toStdString();
            const bool settingUp = stage.find("multigrid setup") != std::string::npos;
            if (settingUp && phase.empty()) {
                phase = stage;
                phaseStart = Clock::now();
            } else if (!settingUp && !phase.empty()) {
                phases.emplace_back(phase, seconds(phaseStart));
                phase.clear();
            }
        };
        double total = watch.run([&] { main.SpeedButtonCalcClick(); }, running);
        line("solve, fast, six cycles to the end", total, watch.longest());
        for (const auto& [name, duration] : phases)
            std::printf("    %-60s %6.2f s (cannot be stopped part-way)\n", name.c_str(), duration);

        // Cancelled in its first multigrid setup: it ends when the setup has.
        phase.clear();
        {
            CancelAt cancel([&] { return !phase.empty(); }, [&] { main.ButtonCancelClick(); });
            total = watch.run([&] { main.SpeedButtonCalcClick(); }, running, std::ref(cancel));
            line("solve, fast, cancelled in the multigrid setup", total, watch.longest(), cancel.latency());
        }
        main.onSolveProgress = nullptr;
        // Cancelled at once: the worker is still copying the problem, which it reads while it is held.
        {
            CancelAt cancel([] { return true; }, [&] { main.ButtonCancelClick(); });
            total = watch.run([&] { main.SpeedButtonCalcClick(); }, running, std::ref(cancel));
            line("solve, fast, cancelled at once (while the problem is copied)", total, watch.longest(),
                 cancel.latency());
        }
        app.options.CheckFastSolver = false;
        {
            const auto begin = Clock::now();
            CancelAt cancel([&] { return seconds(begin) > 5; }, [&] { main.ButtonCancelClick(); });
            total = watch.run([&] { main.SpeedButtonCalcClick(); }, running, std::ref(cancel));
            line("solve, conjugate gradients, cancelled after 5 s", total, watch.longest(), cancel.latency());
        }

        // ---- Split 4 ---------------------------------------------------------------------------------
        // The pass from the mesh editor (kept hidden: its picture of four million elements is drawn on
        // the GUI thread once the pass is taken, which is painting, not the pass).
        auto& mesh = static_cast<TFormMesh&>(app.window(WindowId::Mesh));
        {
            int percent = 0;
            mesh.onSplitProgress = [&] {
                const QString text = mesh.LabelOperation->text();
                const qsizetype at = text.lastIndexOf(QLatin1Char(' '), text.size() - 3);
                if (text.endsWith(QLatin1Char('%'))) percent = text.mid(at + 1, text.size() - at - 3).toInt();
            };
            CancelAt cancel([&] { return percent >= 50; }, [&] { mesh.ButtonCancelClick(); });
            total = watch.run([&] { mesh.SpeedButtonSplit4Click(); }, running, std::ref(cancel));
            line("Split 4 pass, cancelled half-way", total, watch.longest(), cancel.latency());
            mesh.onSplitProgress = nullptr;
        }
        total = watch.run([&] { mesh.SpeedButtonSplit4Click(); }, running);
        line("Split 4 pass to its end", total, watch.longest());
        std::printf("    mesh after the pass: NN %d, NM %d\n", problem.NN, problem.NM);
        {
            // What the mesh editor then draws on the GUI thread when it is on the screen: painting of
            // the editor, which keeps its picture until the mesh changes.
            QImage picture(1560, 920, QImage::Format_RGB32);
            picture.fill(Qt::gray);
            const auto begin = Clock::now();
            QPainter painter(&picture);
            QtCanvas canvas(painter);
            drawMeshEditor(canvas, problem, ViewMapping::compute(1560, 920, problem.LX, problem.LY));
            std::printf("    the mesh editor's picture of it, drawn on the GUI thread: %.2f s\n",
                        seconds(begin));
        }

        // ---- drawing with pathlines -----------------------------------------------------------------
        load(cells, 100, 1);
        auto& contours = static_cast<TFormContours&>(app.window(WindowId::Contours));
        contours.setFixedSize(1600, 1000);
        const auto drawing = [&] { return !contours.pictureCurrent() && contours.isVisible(); };
        total = watch.run([&] { app.showWindow(WindowId::Contours); }, drawing);
        line("contours with 100 pathlines (locator built)", total, watch.longest());
        app.document.notify(Change::Particles);
        total = watch.run([] {}, drawing);
        line("contours with 100 pathlines (locator kept)", total, watch.longest());
        {
            app.document.notify(Change::Particles);
            const auto begin = Clock::now();
            CancelAt cancel([&] { return seconds(begin) > 1.0; }, [&] { contours.ButtonCancelClick(); });
            total =
                watch.run([] {}, [&] { return contours.pictureState() != PlotWindow::PictureState::Stopped; },
                          std::ref(cancel));
            line("contours with 100 pathlines, cancelled after 1 s", total, watch.longest(),
                 cancel.latency());
        }
        app.closeWindow(WindowId::Contours);

        // ---- printing -------------------------------------------------------------------------------
        // The graph pages without particles: a PDF page holds every pathline step as a path of its own.
        load(cells, 0, 1);
        app.options.CheckGeneral = false;
        app.options.CheckMesh = app.options.CheckContours = app.options.Check3D = true;
        dialogs.pdf = (scratch / "graphs.pdf").string();
        total = watch.run([&] { main.SpeedButtonPrintClick(); }, running);
        line("PDF of the mesh, contour and 3D pages", total, watch.longest());
        {
            const auto begin = Clock::now();
            CancelAt cancel([&] { return seconds(begin) > 1.0; }, [&] { main.ButtonCancelClick(); });
            total = watch.run([&] { main.SpeedButtonPrintClick(); }, running, std::ref(cancel));
            line("PDF of the graph pages, cancelled after 1 s", total, watch.longest(), cancel.latency());
        }

        // A node list of about a thousand pages (77 rows a page at 1200 dpi).
        load(276, 0, 1);
        app.options.CheckMesh = app.options.CheckContours = app.options.Check3D = false;
        app.options.CheckGeneral = app.options.CheckNodes = true;
        dialogs.pdf = (scratch / "nodes.pdf").string();
        int pages = 0;
        main.onPrintProgress = [&] {
            const QString text = main.PrintProgress->text();
            pages = text.section(QLatin1Char(' '), 3, 3).toInt();
        };
        total = watch.run([&] { main.SpeedButtonPrintClick(); }, running);
        line("PDF of the node list", total, watch.longest());
        std::printf("    pages: %d, file %.1f MB\n", pages,
                    static_cast<double>(std::filesystem::file_size(dialogs.pdf)) / 1e6);
        {
            const auto begin = Clock::now();
            CancelAt cancel([&] { return seconds(begin) > 1.0; }, [&] { main.ButtonCancelClick(); });
            total = watch.run([&] { main.SpeedButtonPrintClick(); }, running, std::ref(cancel));
            line("PDF of the node list, cancelled after 1 s", total, watch.longest(), cancel.latency());
        }
        main.onPrintProgress = nullptr;
    } // the program ends: jobs still throwing their work away are waited for
    std::filesystem::remove_all(scratch);
    return 0;
}
