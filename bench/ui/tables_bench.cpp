// Table windows at a million rows: the node table opened from its button and painted, End of List
// and back, "C" in the F column (every node's F set), the activation after a Split pass that
// changed the row count, and the memory the windows take beyond the model. Every figure is also
// measured on a mesh of about four thousand nodes in the same run; the ratio big / small shows that
// the cost does not grow with the table. Times are the fastest of three (the machine is shared),
// except the activation after a Split pass, which happens once per pass.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "forms/mesh_tables.h"
#include "io/datafile.h"
#include "mesh/refinement.h"
#include "ui/application.h"
#include "ui/bench_dialogs.h"
#include "ui/main_window.h"
#include "ui/table_grid.h"
#include "ui/table_window.h"

using namespace velkor;

namespace {

constexpr int kRepeats = 3;

double seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double fastest(const std::function<void()>& prepare, const std::function<void()>& run) {
    double best = 1e300;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        if (prepare) prepare();
        best = std::min(best, seconds(run));
    }
    return best;
}

// The tables take their pages when rows are first used; the Split pass run under the windows
// would count the pages of its new rows as the windows' memory. Every page of the node and
// element tables is made resident first, so the model stands in full in the baseline.
template <class Record> void makeResident(Record* records, std::size_t count) {
    auto* bytes = reinterpret_cast<volatile unsigned char*>(records);
    const std::size_t total = count * sizeof(Record);
    for (std::size_t at = 0; at < total; at += 4096)
        bytes[at] = bytes[at];
}

// Resident memory in MB, after freed memory has gone back to the system.
double residentMegabytes() {
    malloc_trim(0);
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The first example (1089 nodes, 2048 elements), split in four `passes` times.
void example(Problem& p, int passes) {
    const std::string path = std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem";
    if (!readDatafile(p, path).ok()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    for (int k = 0; k < passes; ++k)
        splitAllInFour(p);
}

struct Figures {
    int rows = 0;
    double open = 0, endAndBack = 0, copyColumn = 0, activation = 0, elements = 0;
};

class Bench {
  public:
    Bench() : app_(dialogs_) {
        app_.endProgram = [] {};
        app_.mainWindow().show();
        QCoreApplication::processEvents();
        Limits limits = app_.installation.limits;
        limits.NMAX = 1'200'000;
        limits.MMAX = 2'200'000;
        app_.installation.limits = limits;
        app_.allocateTablesForInstallation();
    }

    Problem& problem() { return app_.document.problemForRules(); }
    TableWindow& nodes() { return static_cast<TableWindow&>(app_.window(WindowId::Nodes)); }
    TableWindow& elements() { return static_cast<TableWindow&>(app_.window(WindowId::Elements)); }

    // The example after `passes` Split 4 passes; the node window is shown, then one more Split 4
    // pass changes the row count under it and the window is activated.
    Figures run(int passes) {
        example(problem(), passes);
        app_.document.notify(Change::Problem);
        show(nodes(), app_.mainWindow().SpeedButtonNode);

        Figures figures;
        splitAllInFour(problem());
        app_.document.notify(Change::Counts | Change::Mesh | Change::Wells);
        figures.activation = seconds([&] { activate(nodes()); });
        figures.rows = problem().NN;

        figures.open =
            fastest([&] { nodes().FormClose(); }, [&] { show(nodes(), app_.mainWindow().SpeedButtonNode); });
        figures.endAndBack = fastest({}, [&] {
            nodes().SpeedButtonEnd->click();
            nodes().repaint();
            nodes().SpeedButtonBegin->click();
            nodes().repaint();
        });
        figures.copyColumn = fastest([&] { nodes().grid().setCurrentCell(NodeF, 7); },
                                     [&] {
                                         typeKey(nodes().grid(), 'C');
                                         nodes().repaint();
                                     });
        if (problem().nodes[static_cast<std::size_t>(problem().NN - 1)].F != problem().nodes[6].F)
            std::fprintf(stderr, "C did not reach the last node\n");
        nodes().FormClose();
        figures.elements = fastest([&] { elements().FormClose(); },
                                   [&] { show(elements(), app_.mainWindow().SpeedButtonElement); });
        elements().FormClose();
        return figures;
    }

  private:
    static void show(TableWindow& window, QToolButton* button) {
        button->click();
        QCoreApplication::processEvents();
        window.repaint();
    }
    static void activate(TableWindow& window) {
        QEvent activation(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&window, &activation);
        window.repaint();
    }
    static void typeKey(TableGrid& grid, char key) {
        QWidget* target = grid.cellEditor() ? static_cast<QWidget*>(grid.cellEditor()) : grid.view();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ShiftModifier, QString(QLatin1Char(key)));
        QCoreApplication::sendEvent(target, &press);
    }

    BenchDialogs dialogs_;
    Application app_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Bench bench;

    example(bench.problem(), 0);
    makeResident(bench.problem().nodes.data(), bench.problem().nodes.size());
    makeResident(bench.problem().elements.data(), bench.problem().elements.size());
    const double beforeWindows = residentMegabytes();
    const Figures small = bench.run(0);
    const double afterSmall = residentMegabytes();
    const Figures big = bench.run(4);
    const double afterBig = residentMegabytes();

    std::printf("Table windows (seconds; ratio = a million rows over four thousand)\n");
    std::printf("%-44s %12s %12s %8s %8s\n", "", "small", "big", "ratio", "limit");
    std::printf("%-44s %12d %12d\n", "node rows", small.rows, big.rows);
    const auto line = [](const char* what, double a, double b, double limit) {
        std::printf("%-44s %12.5f %12.5f %8.2f %8.3f%s\n", what, a, b, b / a, limit,
                    b < limit ? "" : "  OVER");
    };
    line("open the node window, first rows painted", small.open, big.open, 0.1);
    line("End of List and back, painted", small.endAndBack, big.endAndBack, 0.05);
    line("C in the F column (every node), painted", small.copyColumn, big.copyColumn, 0.2);
    line("activation after a Split pass, painted", small.activation, big.activation, 0.1);
    line("open the element window (2x the rows)", small.elements, big.elements, 0.1);
    std::printf("%-44s %12.1f %12.1f %8s %8.1f%s\n", "memory beyond the model, MB (statm)",
                afterSmall - beforeWindows, afterBig - beforeWindows, "", 10.0,
                afterBig - beforeWindows < 10 ? "" : "  OVER");
    return 0;
}
