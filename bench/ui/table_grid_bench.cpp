// The grid widget over a table of 10^6 rows and 8 columns (the node table after ten Split 4
// passes): showing it, scrolling to its end and paging back, and the memory it takes beyond the
// model. The grid keeps no text per cell, so none of these may grow with the rows.
//
// Usage: QT_QPA_PLATFORM=offscreen table_grid_bench [rows]   (default 1000000)
#include <QApplication>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "forms/table_form.h"
#include "model/number_text.h"
#include "model/problem.h"
#include "timing.h"
#include "ui/table_grid.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

// Node rows as the node table shows them: number, X, Y, B, T, F, Q, Type.
class NodeRows : public TableForm {
  public:
    explicit NodeRows(const std::vector<Node>& nodes) : nodes_(nodes) {}
    int columnCount() const override { return 8; }
    int rowCount() const override { return static_cast<int>(nodes_.size()) + 1; }
    int fixedColumns() const override { return 1; }
    int fixedRows() const override { return 1; }
    int columnWidth(int col) const override { return col == 0 ? 50 : col < 3 ? 90 : col == 7 ? 40 : 75; }
    std::string cellText(int col, int row) const override {
        if (row == 0) return format("col %d", col);
        const Node& n = nodes_[static_cast<std::size_t>(row - 1)];
        switch (col) {
        case 0:
            return format("%6d", row);
        case 1:
            return format("%11.3f", n.X);
        case 2:
            return format("%11.3f", n.Y);
        case 3:
            return format("%8.3f", n.B);
        case 4:
            return format("%8.3f", n.T);
        case 5:
            return format("%8.3f", n.F);
        case 6:
            return format("%8.3f", n.Q);
        default:
            return format("%4d", n.Type);
        }
    }
    CellCommit commit(int col, int row, std::string_view) override {
        return {cellText(col, row), {}, true, Change::None};
    }

  private:
    const std::vector<Node>& nodes_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

    // The model comes first; what the grid takes is measured beyond it.
    std::vector<Node> nodes(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        nodes[static_cast<std::size_t>(i)].X = i * 0.5;
        nodes[static_cast<std::size_t>(i)].Y = i * 0.25;
        nodes[static_cast<std::size_t>(i)].F = 10 + i * 1e-6;
    }
    NodeRows form(nodes);
    // A small table first, so that the toolkit's own start-up memory is not counted.
    std::vector<Node> few(20);
    NodeRows small(few);
    TableGrid warmUp;
    warmUp.setRowHeight(17);
    warmUp.resize(631 + 18, 359);
    warmUp.setForm(&small);
    warmUp.show();
    application.processEvents();
    warmUp.hide();

    const long before = residentKilobytes();
    auto start = Clock::now();
    TableGrid grid;
    grid.setRowHeight(17);
    grid.resize(631 + 18, 359); // 20 rows and the heading, room for the scroll bar
    grid.setForm(&form);
    grid.setCurrentCell(1, 1);
    grid.show();
    application.processEvents();
    grid.repaint();
    const double shown = seconds(start);

    start = Clock::now();
    grid.scrollBar()->setValue(grid.scrollBar()->maximum());
    grid.repaint();
    const double toEnd = seconds(start);

    start = Clock::now();
    for (int page = 0; page < 10; ++page) {
        grid.setTopRow(grid.topRow() - grid.visibleRows());
        grid.repaint();
    }
    grid.setTopRow(1);
    grid.repaint();
    const double back = seconds(start);
    application.processEvents();
    const long grown = residentKilobytes() - before;

    std::printf("table grid, %d rows x 8 columns\n", rows);
    std::printf("  shown with its first rows   %8.4f s   (target 0.1 s)\n", shown);
    std::printf("  scrolled to the end         %8.4f s   (target 0.1 s)\n", toEnd);
    std::printf("  ten pages back and the top  %8.4f s   (target 0.1 s)\n", back);
    std::printf("  memory beyond the model     %8.1f MB  (target 10 MB)\n", grown / 1024.0);
    const bool ok = shown < 0.1 && toEnd < 0.1 && back < 0.1 && grown < 10 * 1024;
    std::printf("  %s\n", ok ? "within the targets" : "OUTSIDE THE TARGETS");
    return 0;
}
