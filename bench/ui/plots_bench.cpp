// Costs of the contour and 3D-graph windows at a million elements: the drawing on a 1600 x 1000
// image through QtCanvas (against the core alone on a canvas that only counts, and against
// QtCanvas with every shape left to QPainter), the windows' own drawing and their cached repaint,
// a run of resizes, and a 100-particle tracking run through the window with the longest time the
// event loop had to wait.
//
// Usage: plots_bench [cells-per-side]   (default 708: about 10^6 elements)
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "paint/qt_canvas.h"
#include "results/contour_plot.h"
#include "results/recording_canvas.h"
#include "results/three_d_graph.h"
#include "solved_square.h"
#include "timing.h"
#include "ui/application.h"
#include "ui/bench_dialogs.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

constexpr int kWidth = 1600, kHeight = 1000;
const GraphChoices kAllSurfaces{true, true, true, true, 45};

using Drawing = std::function<void(Canvas&)>;

// Seconds of one drawing on a fresh image through QtCanvas; clipped leaves every shape to QPainter.
double onImage(const Drawing& draw, bool clipped) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(toQColor(kSilver));
    const auto start = Clock::now();
    QPainter painter(&image);
    if (clipped) painter.setClipRect(image.rect());
    QtCanvas canvas(painter);
    draw(canvas);
    painter.end();
    return seconds(start);
}

double onCounter(const Drawing& draw) {
    RecordingCanvas canvas;
    canvas.record = false;
    const auto start = Clock::now();
    draw(canvas);
    return seconds(start);
}

void compare(const char* name, const Drawing& draw, double target) {
    const double core = onCounter(draw);
    const double first = onImage(draw, false);
    const double warm = onImage(draw, false);
    const double plain = onImage(draw, true);
    std::printf("%s: core on a counting canvas %.3f s; through QtCanvas %.3f s (first ever %.3f s, "
                "target < %.1f s) = %.1f x the core; every shape by QPainter %.3f s = %.1f x the stamped\n",
                name, core, warm, first, target, warm / core, plain, plain / warm);
}

// Processes events until the window's picture is complete; seconds taken.
double untilDrawn(PlotWindow& window) {
    const auto start = Clock::now();
    while (!window.pictureCurrent()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (seconds(start) > 600) {
            std::fprintf(stderr, "the window did not finish its picture\n");
            std::exit(1);
        }
    }
    return seconds(start);
}

void windowFigures(const char* name, Application& app, PlotWindow& window, WindowId id, double target) {
    window.setFixedSize(kWidth, kHeight);
    app.showWindow(id);
    const double shown = untilDrawn(window);
    app.document.notify(Change::NodeValues);
    const double redrawn = untilDrawn(window);
    const auto start = Clock::now();
    window.repaint();
    const double cached = seconds(start);
    std::printf("%s window: shown and drawn %.3f s, redrawn after a change %.3f s (target < %.1f s), "
                "repaint of the kept picture %.4f s\n",
                name, shown, redrawn, target, cached);

    const int before = window.drawingsStarted();
    for (int k = 1; k <= 5; ++k) {
        window.setFixedSize(kWidth - 40 * k, kHeight - 20 * k);
        QCoreApplication::processEvents();
    }
    untilDrawn(window);
    std::printf("%s window: 5 resizes in a row drawn %d time(s)\n", name, window.drawingsStarted() - before);
    window.setFixedSize(kWidth, kHeight);
    untilDrawn(window);
    app.closeWindow(id);
}

// The longest wait of the event loop during a drawing with pathlines.
void trackingFigures(Application& app, PlotWindow& window, WindowId id) {
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.elapsed() / 1000.0);
        sinceTick.restart();
    });
    const auto runOnce = [&](const char* what) {
        longest = 0;
        // From here on: the mesh, the contours and the locator are drawn and built before the
        // first sweep lets the event loop in, and that wait counts too.
        sinceTick.start();
        const int locators = PlotWindow::locatorsBuilt();
        ticker.start();
        const double elapsed = untilDrawn(window);
        ticker.stop();
        std::printf("tracking 100 particles in the window, %s: %.2f s, longest wait of the event loop "
                    "%.3f s, locators built %d\n",
                    what, elapsed, longest, PlotWindow::locatorsBuilt() - locators);
    };
    window.setFixedSize(kWidth, kHeight);
    app.showWindow(id);
    runOnce("first run (builds the locator)");
    app.document.notify(Change::Particles);
    runOnce("after a change of the particles");
    app.closeWindow(id);
}

} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const int cells = argc > 1 ? std::atoi(argv[1]) : 708;

    BenchDialogs dialogs;
    Application app(dialogs);
    app.endProgram = [] {};
    Problem& problem = app.document.problemForRules();
    velkor::bench::makeSolvedSquare(problem, cells, 0);
    app.document.notify(Change::Problem);
    std::printf("mesh NN %d, NM %d, image %d x %d\n", problem.NN, problem.NM, kWidth, kHeight);

    compare(
        "contour plot", [&](Canvas& canvas) { drawContourPlot(problem, canvas, kWidth, kHeight); }, 0.5);
    compare(
        "3D graph, three surfaces and contours",
        [&](Canvas& canvas) { draw3DGraph(problem, canvas, kWidth, kHeight, kAllSurfaces); }, 1.0);

    auto& contours = static_cast<TFormContours&>(app.window(WindowId::Contours));
    auto& graph = static_cast<TForm3D&>(app.window(WindowId::Graph3D));
    windowFigures("contour", app, contours, WindowId::Contours, 0.5);
    app.options.CheckTop = true;
    app.document.notify(Change::Options);
    windowFigures("3D-graph (three surfaces and contours)", app, graph, WindowId::Graph3D, 1.0);

    velkor::bench::makeSolvedSquare(problem, cells, 100);
    app.document.notify(Change::Problem);
    trackingFigures(app, contours, WindowId::Contours);
    return 0;
}
