// Pictures of the five table windows on the first example, for a person to look at (make
// screenshots).
#include <QToolButton>

#include "screenshot_support.h"
#include "ui/table_grid.h"
#include "ui/table_window.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class ScreenshotsTables : public ScreenshotTest {
  protected:
    void SetUp() override {
        ScreenshotTest::SetUp();
        if (IsSkipped()) return;
        openFile(exampleOrTestFile("Val1.fem", "io_wells_particles.fem"));
    }

    TableWindow& table(WindowId id) { return static_cast<TableWindow&>(app->window(id)); }

    // Shows the window from its button, lets it become active and saves its picture.
    void picture(QToolButton* button, WindowId id, const char* name,
                 const std::function<void()>& before = {}) {
        QTest::mouseClick(button, Qt::LeftButton);
        TableWindow& window = table(id);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        if (before) before();
        save(name, &window);
        window.FormClose();
    }
};

} // namespace

TEST_F(ScreenshotsTables, NodesScrolledToTheMiddle) {
    picture(main().SpeedButtonNode, WindowId::Nodes, "tables_nodes_middle.png", [&] {
        TableWindow& window = table(WindowId::Nodes);
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(window.SpeedButtonDown, Qt::LeftButton);
        typeIntoCell(window.grid(), QStringLiteral("12.5"));
    });
}

TEST_F(ScreenshotsTables, Elements) {
    picture(main().SpeedButtonElement, WindowId::Elements, "tables_elements.png");
}

TEST_F(ScreenshotsTables, SoilsWithOneAndWith25Blocks) {
    problem().NB = 1;
    app->document.notify(Change::Counts);
    picture(main().SpeedButtonSoils, WindowId::Properties, "tables_soils_1.png");

    problem().NB = 25;
    for (int b = 0; b < 25; ++b) {
        Soil& soil = problem().soils[static_cast<std::size_t>(b)];
        soil.K = 0.5 + b;
        soil.n = 0.3;
        soil.I = b % 3 == 0 ? 0.0002 : 0.0;
    }
    app->document.notify(Change::Counts | Change::Soils);
    picture(main().SpeedButtonSoils, WindowId::Properties, "tables_soils_25.png");
}

TEST_F(ScreenshotsTables, WellsWithTwoWells) {
    problem().NW = 2;
    problem().wellNodes[0] = 40;
    problem().wellQ[0] = -125.5;
    problem().wellNodes[1] = 600;
    problem().wellQ[1] = 40.25;
    app->document.notify(Change::Counts | Change::Wells);
    picture(main().SpeedButtonWells, WindowId::Wells, "tables_wells.png");
}

TEST_F(ScreenshotsTables, Particles) {
    picture(main().SpeedButtonParticles, WindowId::Particles, "tables_particles.png");
}

// The end of a node table of a million rows: seven-digit numbers in the number column.
TEST_F(ScreenshotsTables, NodesOfAMillionAtTheEnd) {
    app->installation.limits.NMAX = 1'100'000;
    app->allocateTablesForInstallation();
    problem().resetToDefaultProblem();
    problem().NN = 1'050'625;
    for (int i = 0; i < problem().NN; ++i) {
        Node& node = problem().nodes[static_cast<std::size_t>(i)];
        node.X = (i / 1025) * 0.9765625;
        node.Y = (i % 1025) * 0.09765625;
        node.T = 10;
        node.F = 15 - node.X / 200;
    }
    app->document.notify(Change::Problem);
    picture(main().SpeedButtonNode, WindowId::Nodes, "tables_nodes_million_end.png",
            [&] { QTest::mouseClick(table(WindowId::Nodes).SpeedButtonEnd, Qt::LeftButton); });
}
