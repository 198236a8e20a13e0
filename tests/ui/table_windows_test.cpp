// The five table windows as the user sees them: where each stands and how large its frame is, its
// colours by pixel, the cell it opens on, every editable column held at both of its ends and stored
// into its own field, and the cells drawn again when the problem changes elsewhere (Undo).
#include <QAction>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

#include "editors_support.h"
#include "forms/mesh_tables.h"
#include "forms/property_tables.h"
#include "model/number_text.h"
#include "plots_support.h"
#include "tables_support.h"
#include "ui/budget_window.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

constexpr QRgb kLime = 0x00FF00, kYellow = 0xFFFF00, kWhite = 0xFFFFFF;

class TableLook : public TableWindows {
  protected:
    // The colour of a pixel of the window as it is drawn, at a point of one of its widgets.
    static QRgb pixel(QWidget& window, QWidget* widget, QPoint at) {
        const QImage image = window.grab().toImage();
        return image.pixel(widget->mapTo(&window, at)) & 0xFFFFFFu;
    }
    // A point inside a cell, away from its text (which stands right-aligned) and its lines.
    static QPoint inCell(TableGrid& grid, int col, int row) {
        const QRect cell = grid.view()->visualRect(grid.view()->model()->index(grid.viewRow(row), col));
        return cell.topLeft() + QPoint(3, 3);
    }

    // One table window as it opens: its frame where the desktop draws it, at the same place at every
    // showing; lime around a grid with yellow fixed cells; the cursor with its editor on the first
    // editable cell of the first record.
    void expectWindowAsWritten(QToolButton* button, WindowId id, QSize frame, QPoint place, int firstCol) {
        const std::string name = app->window(id).windowTitle().toStdString();
        for (int showing = 0; showing < 2; ++showing) {
            TableWindow& window = open(button, id);
            QCoreApplication::processEvents();
            EXPECT_EQ(window.frameGeometry(), QRect(place, frame)) << name << " showing " << showing;
            // The grid below the strip of buttons, as large as its rows; Help at its right end.
            const int rows = std::min(window.form().recordCount(), 20) + 1;
            EXPECT_EQ(window.grid().geometry(), QRect(0, 25, frame.width() - 4, 17 * rows + 2)) << name;
            EXPECT_EQ(window.SpeedButtonHelp->geometry(), QRect(frame.width() - 4 - 26, 0, 25, 25)) << name;
            EXPECT_EQ(window.grid().visibleRows(), rows - 1) << name;
            TableGrid& grid = window.grid();
            EXPECT_EQ(grid.col(), firstCol) << name;
            EXPECT_EQ(grid.row(), 1) << name;
            EXPECT_EQ(app->state.cursor.col, firstCol) << name;
            EXPECT_EQ(app->state.cursor.row, 1) << name;
            ASSERT_NE(grid.cellEditor(), nullptr) << name;
            EXPECT_TRUE(grid.cellEditor()->isVisible()) << name;
            EXPECT_EQ(editorText(grid), grid.cellText(firstCol, 1)) << name;

            EXPECT_EQ(pixel(window, &window, QPoint(window.width() / 2 + 10, 3)), kLime) << name;
            EXPECT_EQ(pixel(window, grid.view()->viewport(), inCell(grid, 0, 0)), kYellow) << name;
            EXPECT_EQ(pixel(window, grid.view()->viewport(), inCell(grid, 0, 1)), kYellow) << name;
            EXPECT_EQ(pixel(window, grid.view()->viewport(), inCell(grid, firstCol, 0)), kYellow) << name;
            if (grid.form()->rowCount() > 2)
                EXPECT_EQ(pixel(window, grid.view()->viewport(), inCell(grid, firstCol, 2)), kWhite) << name;
            // Shown again by its button, hidden by it now.
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_FALSE(window.isVisible()) << name;
        }
    }

    // Types each value into its column of one row, leaving each cell with Enter.
    void enterRow(TableGrid& grid, int row, std::initializer_list<std::pair<int, const char*>> values) {
        for (const auto& [col, text] : values)
            enter(grid, col, row, text);
    }

    // Types a value into a cell, leaves it with Enter, and gives back what the cell then shows.
    std::string typed(TableGrid& grid, int col, int row, const char* text) {
        enter(grid, col, row, text);
        return grid.cellText(col, row);
    }
};

using TableWindowLook = TableLook;

// The windows once stood 10 pixels shorter than written (their client area was sized to the whole
// window) and moved by the height of the title bar between their first and later showings. The
// offscreen desktop draws a frame of 2 pixels on every side.
TEST_F(TableWindowLook, EveryWindowAtItsSizeAndPlaceInItsColoursOpeningOnItsFirstCell) {
    const QSize screen = main().screen()->geometry().size();
    const int w = screen.width(), h = screen.height();
    auto height = [](int rows) { return 17 * (std::min(rows, 20) + 1) + 2 + 56; };

    openFile(testData("io_wells_particles.fem")); // 5 nodes, 4 elements, 2 blocks, wells, particles
    expectWindowAsWritten(main().SpeedButtonNode, WindowId::Nodes, QSize(584, height(5)),
                          QPoint(w - 584 - 30, static_cast<int>(0.4 * h)), NodeX);
    expectWindowAsWritten(main().SpeedButtonElement, WindowId::Elements, QSize(311, height(4)),
                          QPoint(20, static_cast<int>(0.45 * h)), 1);
    expectWindowAsWritten(main().SpeedButtonSoils, WindowId::Properties, QSize(471, height(2)),
                          QPoint(w - 471 - 60, 80), SoilK);
    expectWindowAsWritten(main().SpeedButtonWells, WindowId::Wells, QSize(462, height(2)),
                          QPoint(w - 462 - 40, 300), WellF);
    expectWindowAsWritten(main().SpeedButtonParticles, WindowId::Particles, QSize(330, height(2)),
                          QPoint(w - 330 - 60, static_cast<int>(0.3 * h)), ParticleX);

    // More than twenty rows: twenty shown and a scroll bar, 18 pixels more; the nodes window is
    // the 602 x 415 of a long list.
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem");
    expectWindowAsWritten(main().SpeedButtonNode, WindowId::Nodes, QSize(602, 415),
                          QPoint(w - 602 - 30, static_cast<int>(0.4 * h)), NodeX);
    expectWindowAsWritten(main().SpeedButtonElement, WindowId::Elements, QSize(329, 415),
                          QPoint(20, static_cast<int>(0.45 * h)), 1);
    TableWindow& nodes = open(main().SpeedButtonNode, WindowId::Nodes);
    EXPECT_TRUE(nodes.grid().scrollBar()->isVisible());
    // The paging buttons from the left, each at its place with its hint.
    const std::pair<QToolButton*, const char*> paging[] = {{nodes.SpeedButtonEnd, "End of List"},
                                                           {nodes.SpeedButtonDown, "Down"},
                                                           {nodes.SpeedButtonUp, "Up"},
                                                           {nodes.SpeedButtonBegin, "Begin of List"}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(nodes.childAt(QPoint(25 * k + 12, 12)), paging[k].first) << paging[k].second;
        EXPECT_EQ(paging[k].first->toolTip(), QString::fromLatin1(paging[k].second));
    }

    // The text of a cell starts at its left side: its last dark pixel is where the text, laid out
    // from the left margin, ends.
    TableGrid& grid = nodes.grid();
    const QImage image = grid.view()->viewport()->grab().toImage();
    const QFontMetrics metrics(grid.view()->font());
    const int margin =
        grid.view()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid.view()) + 1;
    for (int col = 0; col < grid.form()->columnCount(); ++col) {
        const QRect cell = grid.view()->visualRect(grid.view()->model()->index(grid.viewRow(2), col));
        const QString text = QString::fromStdString(grid.cellText(col, 2));
        int lastDark = -1;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100) lastDark = std::max(lastDark, x);
        EXPECT_NEAR(lastDark, cell.left() + margin + metrics.horizontalAdvance(text), 3)
            << "column " << col << " '" << text.toStdString() << "'";
    }
}

using TableColumns = TableLook;

// Each column alone, at both of its ends, and set to values unlike those of the other columns so
// that a column stored into another's field shows.
TEST_F(TableColumns, EveryEditableColumnHeldAtBothEndsIntoItsOwnField) {
    openFile(testData("io_wells_particles.fem")); // LX 1000, LY 500, NN 5, NB 2
    Problem& p = problem();

    TableGrid& nodes = open(main().SpeedButtonNode, WindowId::Nodes).grid();
    EXPECT_EQ(typed(nodes, NodeX, 4, "1234"), "   1000.000");
    EXPECT_EQ(typed(nodes, NodeX, 4, "-3"), "      0.000");
    EXPECT_EQ(typed(nodes, NodeY, 4, "777"), "    500.000");
    EXPECT_EQ(typed(nodes, NodeY, 4, "-3"), "      0.000");
    EXPECT_EQ(typed(nodes, NodeB, 4, "-2"), "   0.000");
    EXPECT_EQ(typed(nodes, NodeType, 4, "-4"), "   0");
    EXPECT_EQ(typed(nodes, NodeType, 4, "7"), "   1");
    enterRow(nodes, 4,
             {{NodeX, "111"},
              {NodeY, "222"},
              {NodeB, "3"},
              {NodeT, "44"},
              {NodeF, "55"},
              {NodeQ, "66"},
              {NodeType, "0"}});
    const Node& n = p.nodes[3];
    EXPECT_EQ(n.X, 111);
    EXPECT_EQ(n.Y, 222);
    EXPECT_EQ(n.B, 3);
    EXPECT_EQ(n.T, 44);
    EXPECT_EQ(n.F, 55);
    EXPECT_EQ(n.Q, 66);
    EXPECT_EQ(n.Type, 0);
    EXPECT_EQ(typed(nodes, NodeT, 4, "1"), "   3.000"); // held to the bottom
    EXPECT_EQ(typed(nodes, NodeF, 4, "2"), "   3.000");
    EXPECT_EQ(p.nodes[2].X, 1000); // the row above and below keep theirs
    EXPECT_EQ(p.nodes[4].X, 500);

    TableGrid& elements = open(main().SpeedButtonElement, WindowId::Elements).grid();
    EXPECT_EQ(typed(elements, 1, 2, "9"), "       5"); // above NN
    EXPECT_EQ(typed(elements, 1, 2, "0"), "       1");
    EXPECT_EQ(typed(elements, 4, 2, "7"), "       2"); // above NB
    EXPECT_EQ(typed(elements, 4, 2, "-1"), "       1");
    enterRow(elements, 2, {{1, "2"}, {2, "3"}, {3, "4"}, {4, "2"}});
    EXPECT_EQ(p.elements[1].node[0], 1);
    EXPECT_EQ(p.elements[1].node[1], 2);
    EXPECT_EQ(p.elements[1].node[2], 3);
    EXPECT_EQ(p.elements[1].soil, 1);

    TableGrid& soils = open(main().SpeedButtonSoils, WindowId::Properties).grid();
    EXPECT_EQ(typed(soils, SoilK, 2, "-3"), "    0.000000");
    EXPECT_EQ(typed(soils, SoilN, 2, "0"), "    0.000001");
    EXPECT_EQ(typed(soils, SoilN, 2, "1.5"), "    1.000000");
    EXPECT_EQ(typed(soils, SoilR, 2, "0.5"), "    1.000000");
    EXPECT_EQ(typed(soils, SoilI, 2, "2"), "    2.000000"); // no bound either way
    EXPECT_EQ(typed(soils, SoilI, 2, "-0.25"), "   -0.250000");
    enterRow(soils, 2, {{SoilK, "7.5"}, {SoilN, "0.35"}, {SoilR, "2.5"}, {SoilI, "0.002"}});
    const Soil& soil = p.soils[1];
    EXPECT_EQ(soil.K, 7.5);
    EXPECT_EQ(soil.n, 0.35);
    EXPECT_EQ(soil.R, 2.5);
    EXPECT_EQ(soil.I, 0.002);
    EXPECT_EQ(p.soils[0].K, 2); // the other soil keeps its values

    TableGrid& wells = open(main().SpeedButtonWells, WindowId::Wells).grid();
    EXPECT_EQ(typed(wells, WellF, 1, "-10"), "     -1.250"); // held to the bottom of node 5
    EXPECT_EQ(typed(wells, WellType, 1, "5"), "   1");
    EXPECT_EQ(typed(wells, WellType, 1, "-2"), "   0");
    enterRow(wells, 1, {{WellF, "17"}, {WellQ, "-250.5"}, {WellType, "1"}});
    EXPECT_EQ(p.nodes[4].F, 17);
    EXPECT_EQ(p.wellQ[0], -250.5);
    EXPECT_EQ(p.nodes[4].Type, 1);
    // The columns of the well's node show that node's own values.
    ASSERT_NE(p.nodes[4].X, p.nodes[4].Y);
    EXPECT_EQ(wells.cellText(WellNode, 1), "     5");
    EXPECT_EQ(wells.cellText(WellX, 1), format("%11.3f", p.nodes[4].X));
    EXPECT_EQ(wells.cellText(WellY, 1), format("%11.3f", p.nodes[4].Y));
    EXPECT_EQ(p.wellQ[1], 50.5);
    EXPECT_EQ(p.nodes[2].F, 10); // the node of the other well

    TableGrid& particles = open(main().SpeedButtonParticles, WindowId::Particles).grid();
    EXPECT_EQ(typed(particles, ParticleX, 2, "5000"), "   1000.000");
    EXPECT_EQ(typed(particles, ParticleX, 2, "-1"), "      0.000");
    EXPECT_EQ(typed(particles, ParticleY, 2, "5000"), "    500.000");
    EXPECT_EQ(typed(particles, ParticleY, 2, "-1"), "      0.000");
    EXPECT_EQ(typed(particles, ParticleZ, 2, "-5"), "      0.000");
    EXPECT_EQ(typed(particles, ParticleZ, 2, "99"), "     99.000"); // above the top: kept
    enterRow(particles, 2, {{ParticleX, "101"}, {ParticleY, "202"}, {ParticleZ, "3"}});
    EXPECT_EQ(p.particles[1].X, 101);
    EXPECT_EQ(p.particles[1].Y, 202);
    EXPECT_EQ(p.particles[1].Z, 3);
}

// A change made elsewhere (here Undo from the main window's menu) is drawn in the open window at
// once, not at its next activation.
TEST_F(TableColumns, OpenWindowsShowAChangeMadeElsewhereAtOnce) {
    openFile(testData("io_wells_particles.fem"));
    struct Case {
        QToolButton* button;
        WindowId id;
        int col;
        const char* value;
    };
    const Case cases[] = {{main().SpeedButtonNode, WindowId::Nodes, NodeQ, "42"},
                          {main().SpeedButtonElement, WindowId::Elements, 4, "2"},
                          {main().SpeedButtonSoils, WindowId::Properties, SoilR, "3"},
                          {main().SpeedButtonWells, WindowId::Wells, WellQ, "42"},
                          {main().SpeedButtonParticles, WindowId::Particles, ParticleZ, "42"}};
    for (const Case& c : cases) {
        TableGrid& grid = open(c.button, c.id).grid();
        const std::string before = grid.cellText(c.col, 1);
        enter(grid, c.col, 1, c.value);
        const std::string after = grid.cellText(c.col, 1);
        ASSERT_NE(after, before) << static_cast<int>(c.id);
        QCoreApplication::processEvents();
        PaintCounter drawn(grid.view()->viewport());
        main().Undo1->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(grid.cellText(c.col, 1), before) << static_cast<int>(c.id);
        EXPECT_GT(drawn.paints, 0) << static_cast<int>(c.id); // drawn again, not only stored
        main().Redo1->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(grid.cellText(c.col, 1), after) << static_cast<int>(c.id);
    }
}

// The windows that show the problem follow a change typed into a table at once: the water budget
// works it out again, the contour plot and the 3D graph are drawn again (also for a particle, which
// both draw), Edit Mesh paints the wells again.
TEST_F(TableColumns, EveryWindowShowingTheProblemFollowsAChangeTypedIntoATable) {
    openFile(testData("io_wells_particles.fem"));
    dialogs.saveAnswers.push_back(std::nullopt); // solved; the results are not saved
    click(main().SpeedButtonCalc);
    TableGrid& wells = open(main().SpeedButtonWells, WindowId::Wells).grid();
    for (WindowId id : {WindowId::WaterBudget, WindowId::Contours, WindowId::Graph3D, WindowId::Mesh})
        app->showWindow(id);
    auto& budget = static_cast<TFormBudget&>(app->window(WindowId::WaterBudget));
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    auto& graph = static_cast<TForm3D&>(app->window(WindowId::Graph3D));
    TFormMesh& mesh = meshEditorOf(*app);
    const struct {
        TableGrid& grid;
        int col;
        const char* value;
        const char* what;
    } changes[] = {{wells, WellQ, "-120", "Q of a well"}, {wells, WellF, "17.5", "F of its node"}};
    for (const auto& change : changes) {
        for (QWidget* window : {static_cast<QWidget*>(&budget), static_cast<QWidget*>(&contours),
                                static_cast<QWidget*>(&graph), static_cast<QWidget*>(&mesh)})
            ASSERT_TRUE(window->isVisible()) << window->windowTitle().toStdString() << " " << change.what;
        // (Waited for with a bound: beside a table window a drawing may be started again.)
        waitUntil([&] { return !contours.drawingRunning() && !graph.drawingRunning(); });
        QCoreApplication::processEvents();
        const int computed = budget.computations(), contourDrawings = contours.drawingsStarted(),
                  graphDrawings = graph.drawingsStarted();
        PaintCounter meshPaints(&mesh);
        enter(change.grid, change.col, 1, change.value);
        waitUntil([&] {
            return contours.drawingsStarted() > contourDrawings && graph.drawingsStarted() > graphDrawings &&
                   budget.computations() > computed;
        });
        EXPECT_GT(budget.computations(), computed) << change.what;
        EXPECT_GT(contours.drawingsStarted(), contourDrawings) << change.what;
        EXPECT_GT(graph.drawingsStarted(), graphDrawings) << change.what;
        if (change.col == WellQ) EXPECT_GT(meshPaints.paints, 0) << change.what; // F is not drawn there
    }

    // A particle moves no water, but both plots draw its pathline.
    TableGrid& particles = open(main().SpeedButtonParticles, WindowId::Particles).grid();
    for (WindowId id : {WindowId::Contours, WindowId::Graph3D})
        app->showWindow(id);
    waitUntil([&] { return !contours.drawingRunning() && !graph.drawingRunning(); });
    QCoreApplication::processEvents();
    const int computed = budget.computations(), contourDrawings = contours.drawingsStarted(),
              graphDrawings = graph.drawingsStarted();
    enter(particles, ParticleX, 1, "333");
    ASSERT_EQ(problem().particles[0].X, 333);
    waitUntil([&] {
        return contours.drawingsStarted() > contourDrawings && graph.drawingsStarted() > graphDrawings;
    });
    EXPECT_GT(contours.drawingsStarted(), contourDrawings);
    EXPECT_GT(graph.drawingsStarted(), graphDrawings);
    EXPECT_EQ(budget.computations(), computed);
}

} // namespace
