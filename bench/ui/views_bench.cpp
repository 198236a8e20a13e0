// Zoom, pan and the cursor position of the plan windows at a million elements, on the offscreen
// platform, in windows of 1600 x 1000: the time of one zoom step (a wheel notch) and one pan step
// from the event to the finished picture, at the full view and zoomed in step by step towards a
// point of the plan; the longest time the event loop had to wait while the wheel turned without a
// pause for three seconds; and the cursor position (the element and head under the mouse in the
// contour window) per mouse move.
//
// Usage: views_bench [cells-per-side]   (default 708: about 10^6 elements)
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "solved_square.h"
#include "timing.h"
#include "ui/application.h"
#include "ui/bench_dialogs.h"
#include "ui/contours_window.h"
#include "ui/mesh_caches.h"
#include "ui/mesh_window.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

constexpr int kWidth = 1600, kHeight = 1000;

void wheel(QWidget& window, QPoint at, int notches) {
    QWheelEvent event(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &event);
}

void mouse(QWidget& window, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(window.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

// Runs the event loop until the window shows the picture of its present view.
using Settled = std::function<bool()>;
double untilSettled(const Settled& settled) {
    const auto start = Clock::now();
    QCoreApplication::processEvents();
    while (!settled()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (seconds(start) > 120) {
            std::fprintf(stderr, "the window did not finish its picture\n");
            std::exit(1);
        }
    }
    return seconds(start);
}

struct Steps {
    double worst = 0, total = 0;
    int count = 0;
    void add(double t) {
        worst = std::max(worst, t);
        total += t;
        ++count;
    }
};

// Zoom steps towards `at`, notch by notch, and pan steps at the deepest zoom.
void zoomAndPan(const char* name, QWidget& window, QPoint at, int notches,
                const std::function<void()>& redraw, const Settled& settled,
                const std::function<double()> zoom) {
    Steps zoomSteps, panSteps;
    for (int k = 0; k < notches; ++k) {
        const auto start = Clock::now();
        wheel(window, at, 1);
        redraw();
        untilSettled(settled);
        const double t = seconds(start);
        zoomSteps.add(t);
        if (k % 6 == 5 || k == notches - 1 || t > 0.08)
            std::printf("  %s: zoom %.0f x, the step %.4f s\n", name, zoom(), t);
    }
    for (int k = 0; k < 10; ++k) {
        const QPoint from(800, 500), to(800 + 37, 500 - 23);
        const auto start = Clock::now();
        mouse(window, QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
        mouse(window, QEvent::MouseMove, to, Qt::NoButton, Qt::MiddleButton);
        mouse(window, QEvent::MouseButtonRelease, to, Qt::MiddleButton, Qt::NoButton);
        redraw();
        untilSettled(settled);
        panSteps.add(seconds(start));
    }
    std::printf(
        "%s: %d zoom steps, worst %.4f s, mean %.4f s (target < 0.1 s); %d pan steps at %.0f x, worst "
        "%.4f s, mean %.4f s\n",
        name, zoomSteps.count, zoomSteps.worst, zoomSteps.total / zoomSteps.count, panSteps.count, zoom(),
        panSteps.worst, panSteps.total / panSteps.count);
}

// The wheel turned without a pause (a notch every 16 ms, in and out) for three seconds: the
// longest time the event loop had to wait, as a 5 ms ticker sees it.
void continuousWheel(const char* name, QWidget& window, QPoint at, const std::function<void()>& redraw) {
    QElapsedTimer sinceTick;
    double longest = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.elapsed() / 1000.0);
        sinceTick.restart();
        ++ticks;
    });
    int notch = 0;
    QTimer turner;
    turner.setInterval(16);
    QObject::connect(&turner, &QTimer::timeout, [&] {
        // In for 40 notches, out for 40, and again.
        wheel(window, at, (notch++ / 40) % 2 == 0 ? 1 : -1);
        redraw();
    });
    sinceTick.start();
    ticker.start();
    turner.start();
    const auto start = Clock::now();
    while (seconds(start) < 3)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    turner.stop();
    std::printf(
        "%s: wheel turned for 3 s (%d notches): longest wait of the event loop %.3f s (target < 0.1 s), "
        "%d ticks of 5 ms\n",
        name, notch, longest, ticks);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::error_code error;
    const std::filesystem::path scratch = std::filesystem::temp_directory_path(error) / "velkor-views-bench";
    std::filesystem::create_directories(scratch, error);
    std::filesystem::current_path(scratch, error);
    QApplication qapp(argc, argv);
    const int cells = argc > 1 ? std::atoi(argv[1]) : 708;

    BenchDialogs dialogs;
    Application app(dialogs);
    app.endProgram = [] {};
    Problem& problem = app.document.problemForRules();
    bench::makeSolvedSquare(problem, cells, 0);
    problem.LX = problem.LY = 1000;
    app.document.notify(Change::Problem);
    std::printf("views: mesh NN %d, NM %d, windows %d x %d (the machine is shared: compare within a run)\n",
                problem.NN, problem.NM, kWidth, kHeight);
    const QPoint target(1000, 400);

    // ---- the mesh editor ----
    auto& mesh = static_cast<TFormMesh&>(app.window(WindowId::Mesh));
    app.showWindow(WindowId::Mesh);
    mesh.resize(kWidth, kHeight);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    auto start = Clock::now();
    mesh.render(&image);
    std::printf("mesh editor: the full view drawn in %.3f s\n", seconds(start));
    // The window paints itself (into the desktop's buffer) when the event loop lets it.
    int drawn = mesh.meshDrawings();
    zoomAndPan(
        "mesh editor", mesh, target, 30, [] {},
        [&] { return mesh.meshDrawings() > drawn ? (drawn = mesh.meshDrawings(), true) : false; },
        [&] { return mesh.zoomView().zoom(); });
    const int before = mesh.meshDrawings();
    continuousWheel("mesh editor", mesh, target, [] {});
    std::printf("mesh editor: %d drawings of the mesh while the wheel turned\n",
                mesh.meshDrawings() - before);
    app.closeWindow(WindowId::Mesh);

    // ---- the contour window ----
    auto& contours = static_cast<TFormContours&>(app.window(WindowId::Contours));
    contours.setFixedSize(kWidth, kHeight);
    // The first drawing builds the element locator for the cursor position on its worker thread.
    const int locators = MeshCaches::locatorsBuilt();
    app.showWindow(WindowId::Contours);
    start = Clock::now();
    untilSettled([&] { return contours.pictureCurrent(); });
    std::printf("contour window: the full view drawn in %.3f s\n", seconds(start));
    while (MeshCaches::locatorsBuilt() == locators && seconds(start) < 30)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("contour window: the element locator built %s, %.3f s after the window was shown\n",
                MeshCaches::locatorsBuilt() > locators ? "with the first picture" : "NOT", seconds(start));
    zoomAndPan(
        "contour window", contours, target, 30, [] {}, [&] { return contours.pictureCurrent(); },
        [&] { return contours.zoomView().zoom(); });
    const int drawingsBefore = contours.drawingsStarted();
    continuousWheel("contour window", contours, target, [] {});
    std::printf("contour window: %d drawings while the wheel turned\n",
                contours.drawingsStarted() - drawingsBefore);
    untilSettled([&] { return contours.pictureCurrent(); });

    // The cursor position.
    start = Clock::now();
    mouse(contours, QEvent::MouseMove, QPoint(700, 500), Qt::NoButton, Qt::NoButton);
    const double first = seconds(start);
    constexpr int kMoves = 20000;
    start = Clock::now();
    for (int i = 0; i < kMoves; ++i)
        mouse(contours, QEvent::MouseMove, QPoint(200 + (i * 7) % 1300, 100 + (i * 13) % 850), Qt::NoButton,
              Qt::NoButton);
    const double moves = seconds(start);
    std::printf(
        "contour window: cursor position (x, y, head, element) %.1f us per move over %d moves (target < "
        "1 ms); the first move %.4f s; last text \"%s\"\n",
        moves / kMoves * 1e6, kMoves, first, contours.LabelCursor->text().toStdString().c_str());
    app.quit();
    return 0;
}
