// The five table windows driven as a user drives them: buttons clicked, cells clicked, keys typed
// into the grid's editor.
#include <QAction>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

#include <filesystem>

#include "forms/mesh_tables.h"
#include "forms/property_tables.h"
#include "io/datafile.h"
#include "model/general_data.h"
#include "tables_support.h"
#include "ui/table_window.h"

using namespace velkor;
using namespace velkor::testing;

// ---- the node table ---------------------------------------------------------------------------------

using NodesWindow = TableWindows;

TEST_F(NodesWindow, TypedValuesAreHeldToTheirColumnsWhenTheCellIsLeft) {
    TableGrid& grid = open(main().SpeedButtonNode, WindowId::Nodes).grid();
    EXPECT_EQ(grid.cellText(6, 0), "  Q (m\xB3/d)");
    EXPECT_EQ(grid.view()->model()->index(0, 6).data().toString(), QStringLiteral("  Q (m\u00B3/d)"));

    enter(grid, NodeB, 1, "-5");
    EXPECT_EQ(node(0).B, 0);
    EXPECT_EQ(grid.cellText(NodeB, 1), "   0.000");
    EXPECT_EQ(grid.row(), 2); // Enter moved down and the editor stands there
    EXPECT_EQ(editorText(grid), "   0.000");

    enter(grid, NodeB, 2, "4");
    enter(grid, NodeT, 2, "3.5"); // below the node's bottom
    EXPECT_EQ(node(1).T, 4);
    enter(grid, NodeF, 2, "3");
    EXPECT_EQ(node(1).F, 4); // held to the bottom
    // Text that is no number is not stored as one: the value stays and the status line says so.
    enter(grid, NodeF, 2, "nan");
    EXPECT_EQ(node(1).F, 4);
    EXPECT_EQ(main().StatusLine->text(), QStringLiteral("'nan' is not a number: F of node 2 kept at 4"));
    enter(grid, NodeType, 1, "2");
    EXPECT_EQ(node(0).Type, 1);
    enter(grid, NodeX, 3, "abc");
    EXPECT_EQ(node(2).X, 500);
    EXPECT_EQ(grid.cellText(NodeX, 3), "    500.000");
    enter(grid, NodeX, 3, "1,5"); // a decimal comma
    EXPECT_EQ(node(2).X, 500);
    EXPECT_EQ(main().StatusLine->text(), QStringLiteral("'1,5' is not a number: X of node 3 kept at 500"));
    enter(grid, NodeType, 3, "1.5");
    EXPECT_EQ(main().StatusLine->text(),
              QStringLiteral("'1.5' is not a whole number: Type of node 3 kept at 0"));
    enter(grid, NodeQ, 1, "1e400"); // too large for a number: no number
    EXPECT_EQ(node(0).Q, 0);
    enter(grid, NodeQ, 2, "-12.3456");
    EXPECT_EQ(node(1).Q, -12.3456); // kept as typed, shown to three decimals
    EXPECT_EQ(grid.cellText(NodeQ, 2), " -12.346");
}

TEST_F(NodesWindow, CopyKeysInTheValueColumns) {
    openFile(testData("io_wells_particles.fem")); // five nodes, F 20 20 10 10 15
    TableGrid& grid = open(main().SpeedButtonNode, WindowId::Nodes).grid();

    // "c" in the first row does nothing, and the letter is never typed.
    clickCell(grid, NodeF, 1);
    typeKey(grid, 'c');
    EXPECT_EQ(editorText(grid), "  20.000");
    EXPECT_EQ(grid.row(), 1);

    // "c" copies the value above as shown, without the column's limits, and moves down; a value
    // typed into the cell is replaced, not committed.
    clickCell(grid, NodeF, 3);
    typeIntoCell(grid, QStringLiteral("99"));
    typeKey(grid, 'c');
    EXPECT_EQ(node(2).F, 20);
    EXPECT_EQ(grid.cellText(NodeF, 3), "  20.000");
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Copy F from Above"));
    clickCell(grid, NodeB, 5);
    typeKey(grid, 'c'); // the last row: stored, no move
    EXPECT_EQ(node(4).B, 0);
    EXPECT_EQ(grid.row(), 5);

    // "C" puts the cell's value, typed or shown, into every node.
    clickCell(grid, NodeF, 4);
    typeIntoCell(grid, QStringLiteral("17.12345"));
    typeKey(grid, 'C');
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(node(i).F, 17.123) << i;
    EXPECT_EQ(grid.cellText(NodeF, 1), "  17.123");
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(editorText(grid), "  17.123");

    // In X, Y and Type the letters do nothing.
    clickCell(grid, NodeX, 2);
    typeKey(grid, 'c');
    typeKey(grid, 'C');
    EXPECT_EQ(editorText(grid), "      0.000");
    EXPECT_EQ(grid.row(), 2);
}

TEST_F(NodesWindow, PagingWithFewerThanTenRowsAndTheEditInProgress) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    TableGrid& grid = window.grid();
    clickCell(grid, NodeB, 2);
    QTest::mouseClick(window.SpeedButtonDown, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 2); // a tenth of three rows is no row
    QTest::mouseClick(window.SpeedButtonUp, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 2);

    // Paging leaves the cell: the value typed there is stored first.
    typeIntoCell(grid, QStringLiteral("7"));
    QTest::mouseClick(window.SpeedButtonEnd, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(node(1).B, 7);
    EXPECT_EQ(grid.cellText(NodeB, 2), "   7.000");
    QTest::mouseClick(window.SpeedButtonBegin, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), NodeB);
    EXPECT_EQ(app->state.cursor.row, 1);
}

TEST_F(NodesWindow, PagingALongListByTenths) {
    openFile(exampleOrTestFile("Val1.fem", "io_wells_particles.fem"));
    const int n = problem().NN;
    ASSERT_GT(n, 100);
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    TableGrid& grid = window.grid();
    QTest::mouseClick(window.SpeedButtonDown, Qt::LeftButton);
    QTest::mouseClick(window.SpeedButtonDown, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 1 + 2 * (n / 10));
    EXPECT_EQ(grid.topRow(), grid.row() - 19); // scrolled to show it in the last of 20 rows
    QTest::mouseClick(window.SpeedButtonEnd, Qt::LeftButton);
    QTest::mouseClick(window.SpeedButtonUp, Qt::LeftButton);
    EXPECT_EQ(grid.row(), n - n / 10);
}

TEST_F(NodesWindow, LeavingForAnotherWindowStoresAndComingBackRefills) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    TableGrid& grid = window.grid();
    clickCell(grid, NodeF, 3);
    typeIntoCell(grid, QStringLiteral("33"));
    EXPECT_EQ(app->state.cursor.col, NodeF);

    // Another window takes the activation; a change made meanwhile shows when this one has it back.
    main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    node(0).B = 1.5;
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(app->state.cursor.col, 1);
    EXPECT_EQ(app->state.cursor.row, 1);
    EXPECT_EQ(node(2).F, 33); // stored when the window was left
    EXPECT_EQ(grid.cellText(NodeF, 3), "  33.000");
    EXPECT_EQ(grid.cellText(NodeB, 1), "   1.500");
    EXPECT_EQ(editorText(grid), "      0.000");
}

TEST_F(NodesWindow, ReturningFromItsOwnHelpBoxIsNoNewActivation) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    TableGrid& grid = window.grid();
    clickCell(grid, NodeF, 3);
    typeIntoCell(grid, QStringLiteral("33"));
    // The box takes the activation while it is open and gives it back when it closes.
    QWidget box;
    dialogs.whileMessageOpen = [&](const std::string&) {
        box.show();
        box.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
        box.hide();
    };
    QTest::mouseClick(window.SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.col(), NodeF);
    EXPECT_EQ(editorText(grid), "33");
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(node(2).F, 33);

    // Leaving for another window and coming back is an activation as before.
    main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(grid.row(), 1);
}

TEST_F(NodesWindow, OwnCloseAndACommandBothKeepATypedValue) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    clickCell(window.grid(), NodeQ, 2);
    typeIntoCell(window.grid(), QStringLiteral("5"));
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(app->isShown(WindowId::Nodes));
    EXPECT_EQ(node(1).Q, 5);
    node(1).Q = 0;

    // Save hides the window: the value typed there is the value saved.
    open(main().SpeedButtonNode, WindowId::Nodes);
    clickCell(window.grid(), NodeQ, 2);
    typeIntoCell(window.grid(), QStringLiteral("5"));
    const std::string out = (std::filesystem::current_path() / "tables_typed.fem").string();
    dialogs.saveAnswers.push_back(out);
    QTest::mouseClick(main().SpeedButtonSave, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(node(1).Q, 5);
    Problem saved;
    saved.allocateTables(problem().limits);
    ASSERT_TRUE(readDatafile(saved, out).ok());
    EXPECT_EQ(saved.nodes[1].Q, 5);
    std::filesystem::remove(out);

    // Print leaves the window open; the report is printed from the value typed there all the same.
    open(main().SpeedButtonNode, WindowId::Nodes);
    clickCell(window.grid(), NodeQ, 2);
    typeIntoCell(window.grid(), QStringLiteral("7"));
    dialogs.printAnswers.push_back(std::nullopt);
    QTest::mouseClick(main().SpeedButtonPrint, Qt::LeftButton);
    EXPECT_EQ(dialogs.printRequests, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(node(1).Q, 7);
    EXPECT_FALSE(window.grid().hasPendingEdit());
}

TEST_F(NodesWindow, WindowLayoutFollowsTheRowsAndTheScreen) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    // Three nodes: all rows shown, no scroll bar; columns with their lines and the frame.
    EXPECT_EQ(window.grid().geometry(), QRect(0, 25, 580, 4 * 17 + 2));
    EXPECT_EQ(window.frameGeometry().size(), QSize(584, 4 * 17 + 2 + 56)); // the frame included
    EXPECT_FALSE(window.grid().scrollBar()->isVisible());
    const QSize screen = window.screen()->geometry().size();
    EXPECT_EQ(window.pos(), QPoint(screen.width() - 584 - 30, static_cast<int>(0.4 * screen.height())));

    QTest::mouseClick(window.SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Nodes :\n\n- i : Node number,\n", 0), 0u);
    EXPECT_NE(dialogs.messages[0].find("- Q : Water supply in node i (m\xB3/d),\n"), std::string::npos);
}

// ---- the element table ------------------------------------------------------------------------------

using ElementsWindow = TableWindows;

TEST_F(ElementsWindow, NodeAndSoilNumbersAreHeldToTheTables) {
    TableGrid& grid = open(main().SpeedButtonElement, WindowId::Elements).grid();
    ASSERT_EQ(problem().NN, 3);
    enter(grid, 1, 1, "4");
    EXPECT_EQ(problem().elements[0].node[0], 2); // node 3
    EXPECT_EQ(grid.cellText(1, 1), "       3");
    enter(grid, 2, 1, "0");
    EXPECT_EQ(problem().elements[0].node[1], 0); // node 1
    enter(grid, 4, 1, "9");
    EXPECT_EQ(problem().elements[0].soil, 0); // NB = 1
}

TEST_F(ElementsWindow, LookingKeepsTheResultsAndAnEditMakesThemStale) {
    openFile(testData("io_wells_particles.fem"));
    problem().elements[1].qx = 0.25; // as a solve left it
    TableWindow& window = open(main().SpeedButtonElement, WindowId::Elements);
    TableGrid& grid = window.grid();
    // Passing through cells and confirming a value unchanged leaves the results alone.
    clickCell(grid, 3, 2);
    pressKey(grid, Qt::Key_Return);
    enter(grid, 4, 2, "1");
    EXPECT_EQ(problem().elements[1].qx, 0.25);
    EXPECT_FALSE(problem().resultsStale);

    enter(grid, 4, 2, "2"); // a new soil: the element's velocity no longer holds
    EXPECT_EQ(problem().elements[1].soil, 1);
    EXPECT_EQ(problem().elements[1].qx, 0);
}

TEST_F(ElementsWindow, CopyInTheFirstRowTakesTheLastRow) {
    openFile(testData("io_wells_particles.fem")); // element 4: 2, 1, 5, soil 2
    TableGrid& grid = open(main().SpeedButtonElement, WindowId::Elements).grid();
    clickCell(grid, 1, 1);
    typeKey(grid, 'c');
    EXPECT_EQ(problem().elements[0].node[0], 1); // node 2, committed by the move down
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.cellText(1, 1), "       2");
    clickCell(grid, 4, 4);
    typeKey(grid, 'c'); // element 3's soil 2 onto element 4, and round to the first row
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(problem().elements[3].soil, 1);
}

// ---- the property tables --------------------------------------------------------------------------

using SoilsWindow = TableWindows;

TEST_F(SoilsWindow, CorrectionsCopyAndWrapping) {
    openFile(testData("io_wells_particles.fem")); // two blocks
    TableWindow& window = open(main().SpeedButtonSoils, WindowId::Properties);
    TableGrid& grid = window.grid();
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(grid.row(), 1);
    Soil& first = problem().soils[0];
    Soil& second = problem().soils[1];

    enter(grid, SoilK, 1, "-3");
    EXPECT_EQ(first.K, 0);
    EXPECT_EQ(grid.cellText(SoilK, 1), "    0.000000");
    enter(grid, SoilN, 1, "xyz"); // letters, but not the copy key: no number, nothing stored
    EXPECT_EQ(first.n, 0.3);
    enter(grid, SoilN, 1, "0");
    EXPECT_EQ(first.n, 0.000001);
    enter(grid, SoilN, 2, "1.5");
    EXPECT_EQ(second.n, 1);
    enter(grid, SoilR, 1, "0.5");
    EXPECT_EQ(first.R, 1);
    enter(grid, SoilI, 1, "2");
    EXPECT_EQ(first.I, 2);
    EXPECT_TRUE(dialogs.messages.empty()); // the corrections are silent

    // Enter in the last row stores the value and goes back to row 1 of the column.
    clickCell(grid, SoilR, 2);
    typeIntoCell(grid, QStringLiteral("3"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(second.R, 3);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), SoilR);

    // "c" in row 1 copies the last row and moves to row 2.
    clickCell(grid, SoilK, 1);
    typeKey(grid, 'c');
    EXPECT_EQ(first.K, 2);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(editorText(grid), "    2.000000");
}

TEST_F(SoilsWindow, ClosingKeepsTheTypedValueAndTwentyFiveBlocksScroll) {
    TableWindow& window = open(main().SpeedButtonSoils, WindowId::Properties);
    clickCell(window.grid(), SoilK, 1);
    typeIntoCell(window.grid(), QStringLiteral("5"));
    window.close();
    EXPECT_EQ(problem().soils[0].K, 5);
    problem().soils[0].K = 1;

    problem().NB = 20;
    open(main().SpeedButtonSoils, WindowId::Properties);
    EXPECT_EQ(window.grid().cellText(SoilK, 1), "    1.000000");
    EXPECT_EQ(window.frameGeometry().width(), 467 + 4);
    EXPECT_FALSE(window.grid().scrollBar()->isVisible());
    window.close();
    problem().NB = 25;
    open(main().SpeedButtonSoils, WindowId::Properties);
    EXPECT_EQ(window.frameGeometry().width(), 467 + 18 + 4);
    EXPECT_EQ(window.grid().height(), 359);
    EXPECT_TRUE(window.grid().scrollBar()->isVisible());
    EXPECT_EQ(window.grid().visibleRows(), 20);
}

using WellsWindow = TableWindows;

TEST_F(WellsWindow, UnreachableWithoutWellsAndParticlesWithoutParticles) {
    ASSERT_EQ(problem().NW, 0);
    ASSERT_EQ(problem().NP, 0);
    QTest::mouseClick(main().SpeedButtonWells, Qt::LeftButton);
    QTest::mouseClick(main().SpeedButtonParticles, Qt::LeftButton);
    main().Wells->trigger();
    main().Particles->trigger();
    EXPECT_FALSE(table(WindowId::Wells).isVisible());
    EXPECT_FALSE(table(WindowId::Particles).isVisible());
    EXPECT_FALSE(app->isShown(WindowId::Wells));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WellsWindow, AnEditShowsInTheNodeTableAndInTheNextSolve) {
    openFile(testData("io_wells_particles.fem")); // well 2 stands on node 3, head 10 prescribed
    TableWindow& nodes = open(main().SpeedButtonNode, WindowId::Nodes);
    clickCell(nodes.grid(), NodeF, 3); // the node table's editor stands on the well's head
    TableWindow& wells = open(main().SpeedButtonWells, WindowId::Wells);
    TableGrid& grid = wells.grid();
    EXPECT_EQ(grid.col(), WellF); // the cursor starts on the head
    EXPECT_EQ(grid.cellText(WellNode, 2), "     3");

    enter(grid, WellF, 2, "-4"); // below the bottom of node 3
    EXPECT_EQ(problem().nodes[2].F, 0);
    enter(grid, WellF, 2, "12");
    enter(grid, WellType, 1, "5");
    EXPECT_EQ(problem().nodes[4].Type, 1);
    enter(grid, WellType, 1, "0");
    EXPECT_EQ(problem().nodes[4].Type, 0);
    enter(grid, WellQ, 1, "-250");
    EXPECT_EQ(problem().wellQ[0], -250);
    EXPECT_EQ(editorText(nodes.grid()), "  12.000");

    // "c" in the first row takes the last row's text.
    clickCell(grid, WellQ, 1);
    typeKey(grid, 'c');
    EXPECT_EQ(problem().wellQ[0], 50.5);

    Problem reference;
    reference.allocateTables(problem().limits);
    ASSERT_TRUE(readDatafile(reference, testData("io_wells_particles.fem")).ok());
    const std::string out = (std::filesystem::current_path() / "tables_wells.fem").string();
    dialogs.saveAnswers.push_back(out);
    click(main().SpeedButtonCalc);
    std::filesystem::remove(out);
    EXPECT_EQ(problem().nodes[2].F, 12); // prescribed as edited
    EXPECT_NE(problem().nodes[4].F, reference.nodes[4].F);
    EXPECT_GT(problem().nodes[4].F, 12); // a recharge well of 50.5 m3/d raises the head around it
}

using ParticlesWindow = TableWindows;

TEST_F(ParticlesWindow, StartPointsStayInTheAreaAndAboveTheBottom) {
    openFile(testData("io_wells_particles.fem"));
    ASSERT_EQ(problem().NP, 2);
    TableWindow& window = open(main().SpeedButtonParticles, WindowId::Particles);
    TableGrid& grid = window.grid();
    enter(grid, ParticleX, 1, "5000");
    EXPECT_EQ(problem().particles[0].X, problem().LX);
    enter(grid, ParticleY, 1, "-1");
    EXPECT_EQ(problem().particles[0].Y, 0);
    enter(grid, ParticleZ, 2, "-2");
    EXPECT_EQ(problem().particles[1].Z, 0);
    clickCell(grid, ParticleY, 1);
    typeKey(grid, 'c');
    EXPECT_EQ(problem().particles[0].Y, problem().particles[1].Y);
    EXPECT_EQ(grid.row(), 2);

    // Fewer particles from the general grid while the table is shown: the table follows at once.
    main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    TableGrid& general = *main().GeneralGrid;
    general.setCurrentCell(1, static_cast<int>(GeneralRow::NP));
    typeIntoCell(general, QStringLiteral("1"));
    pressKey(general, Qt::Key_Return);
    ASSERT_EQ(problem().NP, 1);
    EXPECT_EQ(window.frameGeometry().height(), 2 * 17 + 2 + 56);

    // One row: Enter comes back to the same cell and stores what was typed.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    typeIntoCell(grid, QStringLiteral("8"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(problem().particles[0].X, 8);
}
