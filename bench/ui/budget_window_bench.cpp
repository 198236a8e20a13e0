// Benchmark of the window side of Set Nodes and the water budget at a million nodes, on the
// offscreen platform: the Water Budget window shown and following a change, against the budget
// worked out by the core alone; Set Nodes in the mesh editor from mouse down to the nodes set
// (a side caught by a rectangle, a line across the whole mesh), with its Undo, against the
// selection and the setting alone. Times are the fastest of three (the machine is shared).
//
// Usage: budget_window_bench [cells-per-side]  (999: 10^6 nodes, 2 x 10^6 elements)
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "operations/set_nodes.h"
#include "results/water_budget.h"
#include "solved_square.h"
#include "timing.h"
#include "ui/application.h"
#include "ui/bench_dialogs.h"
#include "ui/budget_window.h"
#include "ui/main_window.h"
#include "ui/mesh_window.h"

using namespace velkor;

namespace {

using bench::seconds;

constexpr int kRepeats = 3;
constexpr double kTarget = 0.2;

template <typename Run> double fastest(Run&& run) {
    return bench::fastestOf(kRepeats, run);
}

// The Set Nodes dialog answered at once: the caught nodes take the water they are given.
class SupplyGiven : public BenchDialogs {
  public:
    std::optional<NodeSettings> nodeSettings(const NodeSettingsRequest&) override {
        NodeSettings settings;
        settings.Type = 0;
        return settings;
    }
};

void sendMouse(QWidget& window, QEvent::Type type, QPoint at, bool held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(window.mapToGlobal(at)), button,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::error_code error;
    const std::filesystem::path scratch = std::filesystem::temp_directory_path(error) / "velkor-budget-bench";
    std::filesystem::create_directories(scratch, error);
    std::filesystem::current_path(scratch, error);
    const int cells = argc > 1 ? std::atoi(argv[1]) : 999;

    QApplication application(argc, argv);
    SupplyGiven dialogs;
    Application app(dialogs);
    app.endProgram = [] {};
    Problem& problem = app.document.problemForRules();
    bench::makeSolvedSquare(problem, cells, 0);
    bench::prescribeEnds(problem, cells);
    problem.buildColoursAndDefaultSoils();
    problem.NB = 1;
    app.document.notify(Change::Problem);
    std::printf("budget window: square of %d nodes, %d elements (machine shared with other builds)\n",
                problem.NN, problem.NM);

    // The budget window: shown, then following a change of a node value.
    const double core = fastest([&] { computeWaterBudget(problem); });
    auto& budget = static_cast<TFormBudget&>(app.window(WindowId::WaterBudget));
    auto start = std::chrono::steady_clock::now();
    app.showWindow(WindowId::WaterBudget);
    const double shown = seconds(start);
    const double follow = fastest([&] {
        app.document.notify(Change::NodeValues);
        QApplication::processEvents();
    });
    const bool budgetRight = budget.BudgetText->toPlainText().contains(QStringLiteral("All flows")) &&
                             budget.computations() == 1 + kRepeats;
    std::printf(
        "water budget: core %.4f s; window shown %.4f s, following a change %.4f s (target < %.1f s), "
        "ratio %.2f\n",
        core, shown, follow, kTarget, follow / core);
    app.closeWindow(WindowId::WaterBudget);

    // Set Nodes in the mesh editor. The mesh picture is drawn once before: it is not part of the
    // step.
    auto& mesh = static_cast<TFormMesh&>(app.window(WindowId::Mesh));
    app.showWindow(WindowId::Mesh);
    mesh.resize(1600, 1000);
    QImage image(1600, 1000, QImage::Format_RGB32);
    mesh.render(&image);
    const ViewMapping view = mesh.viewMapping();
    auto at = [&](double x, double y) { return QPoint(view.screenX(x), view.screenY(y)); };
    auto rectangle = [&] {
        mesh.SpeedButtonSetNodes->click();
        sendMouse(mesh, QEvent::MouseButtonPress, at(990, -5), true);
        sendMouse(mesh, QEvent::MouseMove, at(1010, 500), true);
        sendMouse(mesh, QEvent::MouseButtonRelease, at(1010, 1005), false);
    };
    auto line = [&] {
        mesh.SpeedButtonSetNodes->click();
        sendMouse(mesh, QEvent::MouseButtonPress, at(0, 500.2), true);
        sendMouse(mesh, QEvent::MouseButtonRelease, at(0, 500.2), false);
        sendMouse(mesh, QEvent::MouseButtonPress, at(1000, 500.2), true);
        sendMouse(mesh, QEvent::MouseButtonRelease, at(1000, 500.2), false);
        sendMouse(mesh, QEvent::MouseButtonDblClick, at(1000, 500.2), true);
        sendMouse(mesh, QEvent::MouseButtonRelease, at(1000, 500.2), false);
    };
    auto undo = [&] { app.mainWindow().Undo1->trigger(); };

    const double side = fastest([&] {
        rectangle();
        undo();
    });
    start = std::chrono::steady_clock::now();
    rectangle();
    const double sideSet = seconds(start);
    start = std::chrono::steady_clock::now();
    undo();
    const double sideUndo = seconds(start);
    int32_t sideNodes = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        sideNodes += problem.nodes[static_cast<std::size_t>(i)].X == 1000 ? 1 : 0;

    start = std::chrono::steady_clock::now();
    line();
    const double across = seconds(start);
    int32_t given = 0;
    for (int32_t i = 0; i < problem.NN; ++i)
        given += problem.nodes[static_cast<std::size_t>(i)].Type == 0 ? 1 : 0;
    start = std::chrono::steady_clock::now();
    undo();
    const double acrossUndo = seconds(start);

    // The core alone: the selection and the setting of the same line.
    const std::vector<PlanPoint> points{{0, 500.2}, {1000, 500.2}};
    NodeSettings settings;
    settings.Type = 0;
    Problem copy = problem;
    const double coreLine = fastest([&] {
        const NodeSelection caught =
            nodesNearPolyline(copy, points, 1.0 / view.scale * SetNodesTool::kTolerancePixels);
        setNodes(copy, caught, settings);
    });
    std::printf(
        "set nodes: a side (%d nodes) by a rectangle %.4f s with its undo, set %.4f s, undo %.4f s; a line "
        "across the mesh %.4f s (undo %.4f s), the core alone %.4f s (target < %.1f s)\n",
        sideNodes, side, sideSet, sideUndo, across, acrossUndo, coreLine, kTarget);
    const bool setRight = given > problem.NN - 2 * sideNodes; // the line's nodes were given a supply
    if (!budgetRight || !setRight) std::printf("budget window: wrong budget text or nodes not set\n");
    app.quit();
    return budgetRight && setRight ? 0 : 1;
}
