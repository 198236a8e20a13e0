// The block editor and the mesh editor, driven as a user drives them: their tool buttons clicked
// and mouse events sent to the window at the screen points of world points.
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "editors/editor_drawing.h"
#include "editors_support.h"
#include "io/datafile.h"
#include "model/general_data.h"
#include "model/number_text.h"
#include "paint/qt_canvas.h"
#include "ui/editor_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

// Where the window puts a clicked world point (the block editor holds it to the area).
double clampedX(const TFormEdit& window, double x) {
    const ViewMapping view = window.viewMapping();
    return view.clampedWorldX(view.screenX(x));
}
double clampedY(const TFormEdit& window, double y) {
    const ViewMapping view = window.viewMapping();
    return view.clampedWorldY(view.screenY(y));
}

void click(QToolButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

std::string text(const QLineEdit* box) {
    return box->text().toStdString();
}
std::string text(const QLabel* label) {
    return label->text().toStdString();
}

struct Counts {
    int32_t NA, NB, NN, NM, NW;
    friend bool operator==(const Counts&, const Counts&) = default;
};
Counts countsOf(const Problem& p) {
    return {p.NA, p.NB, p.NN, p.NM, p.NW};
}

class EditorTest : public ProgramTest {
  protected:
    TFormEdit& blocks() { return blockEditorOf(*app); }
    TFormMesh& mesh() { return meshEditorOf(*app); }

    void newProblem() {
        click(main().SpeedButtonNew);
        ASSERT_TRUE(blocks().isVisible());
    }
    void showMesh() {
        click(main().SpeedButtonMesh);
        ASSERT_TRUE(mesh().isVisible());
    }
    // Two separate blocks: 1-2-3 at the lower left and 4-5-6 at the right.
    void twoSeparateBlocks() {
        Problem& p = problem();
        const double xy[6][2] = {{0, 0}, {0, 500}, {500, 0}, {1500, 500}, {1500, 1000}, {2000, 500}};
        for (int i = 0; i < 6; ++i) {
            Node& n = p.nodes[static_cast<std::size_t>(i)];
            n = p.nodes[0];
            n.X = xy[i][0];
            n.Y = xy[i][1];
        }
        p.NA = 6;
        p.blocks[1] = Block{{3, 4, 5}, 1};
        p.NB = 2;
        app->document.notify(Change::Counts | Change::Mesh);
        blocks().repaint();
    }
};

// ---- block editor ------------------------------------------------------------------------------

using BlockEditor = EditorTest;

TEST_F(BlockEditor, NewShowsTheDefaultBlockOnTopWithEveryModeOff) {
    newProblem();
    TFormEdit& w = blocks();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Edit Blocks"));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    const QSize screen = w.screen()->geometry().size();
    // The frame, title bar included, stands below the main window's tool bar and above the
    // bottom of the screen.
    EXPECT_EQ(w.frameGeometry(), QRect(20, 75, screen.width() - 40, screen.height() - 80));
    EXPECT_EQ(w.SpeedButtonDrag->toolTip(), QStringLiteral("Drag Node"));
    EXPECT_EQ(w.SpeedButtonNode->toolTip(), QStringLiteral("New Node"));
    EXPECT_EQ(w.SpeedButtonLine->toolTip(), QStringLiteral("New Line"));
    EXPECT_EQ(w.SpeedButtonHelp->x() + w.SpeedButtonHelp->width(), w.width() - 1);
    for (QToolButton* b : {w.SpeedButtonDrag, w.SpeedButtonNode, w.SpeedButtonLine})
        EXPECT_FALSE(b->isChecked());
    EXPECT_FALSE(w.PanelXY->isVisible());
    EXPECT_FALSE(w.LabelOperation->isVisible());
    EXPECT_EQ(w.PanelXY->x(), static_cast<int>(0.55 * w.width()));
    EXPECT_EQ(w.LabelOperation->x(), static_cast<int>(0.45 * w.width()));
    EXPECT_EQ(countsOf(problem()), (Counts{3, 1, 3, 1, 0}));
}

TEST_F(BlockEditor, NewNodeJoinsTheNearestSideAndRefusalsLeaveTheBlocks) {
    newProblem();
    TFormEdit& w = blocks();
    click(w.SpeedButtonNode);
    EXPECT_TRUE(w.SpeedButtonNode->isChecked());
    EXPECT_EQ(text(w.LabelOperation), "New Node 4");
    moveToWorld(w, 1000, 600);
    EXPECT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(text(w.EditX), format("%10.3f", clampedX(w, 1000)));
    clickAtWorld(w, 1000, 600);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(countsOf(problem()), (Counts{4, 2, 4, 2, 0}));
    const Block& added = problem().blocks[1];
    EXPECT_EQ(added.node[0], 1); // side 2-3 has the nearest midpoint
    EXPECT_EQ(added.node[1], 2);
    EXPECT_EQ(added.node[2], 3);
    EXPECT_EQ(problem().nodes[3].X, clampedX(w, 1000));
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    EXPECT_FALSE(w.LabelOperation->isVisible());
    EXPECT_FALSE(w.PanelXY->isVisible());
    EXPECT_EQ(main().GeneralGrid->cellText(1, 1), "           4"); // NA in the main window

    // Inside a block: the message, nothing added, the mode over.
    const Problem before = problem();
    click(w.SpeedButtonNode);
    clickAtWorld(w, 100, 100);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Node inside block\n\nA new node must be located outside all existing blocks.");
    EXPECT_EQ(countsOf(problem()), countsOf(before));
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());

    // A full block table: the capacity message, the blocks as they were.
    Problem& p = problem();
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size());
    for (int32_t b = 2; b < BMAX - 1; ++b)
        p.blocks[static_cast<std::size_t>(b)] = p.blocks[0];
    p.NB = BMAX - 1;
    app->document.notify(Change::Counts | Change::Mesh);
    const Problem full = problem();
    click(w.SpeedButtonNode);
    moveToWorld(w, 1800, 900);
    clickAtWorld(w, 1800, 900);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].rfind("Capacity exceeded\n\nThe number of nodes and/or blocks", 0), 0u);
    EXPECT_EQ(countsOf(problem()), countsOf(full));
    for (int32_t b = 0; b < p.NB; ++b)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(p.blocks[static_cast<std::size_t>(b)].node[k],
                      full.blocks[static_cast<std::size_t>(b)].node[k]);
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
}

TEST_F(BlockEditor, ClicksBeyondTheAreaLandOnItsBorder) {
    newProblem();
    TFormEdit& w = blocks();
    click(w.SpeedButtonNode);
    const QPoint above = screenPointOf(w, 800, 1100);
    ASSERT_GT(above.y(), kEditorPanelHeight); // in the picture, above the area
    clickAtWorld(w, 800, 1100);
    ASSERT_EQ(problem().NA, 4);
    EXPECT_EQ(problem().nodes[3].Y, 1000);

    // A dragged node is held to the area at its upper ends and at its lower ends.
    const QRect picture(0, kEditorPanelHeight, w.width(), w.height() - kEditorPanelHeight);
    ASSERT_TRUE(picture.contains(screenPointOf(w, 2040, 1040)));
    ASSERT_TRUE(picture.contains(screenPointOf(w, -40, -40)));
    click(w.SpeedButtonDrag);
    pressAtWorld(w, 500, 0);
    moveToWorld(w, 2040, 1040, Qt::LeftButton);
    EXPECT_EQ(problem().nodes[2].X, 2000);
    EXPECT_EQ(problem().nodes[2].Y, 1000);
    EXPECT_EQ(text(w.EditX), "  2000.000");
    EXPECT_EQ(text(w.EditY), "  1000.000");
    moveToWorld(w, -40, -40, Qt::LeftButton);
    EXPECT_EQ(problem().nodes[2].X, 0);
    EXPECT_EQ(problem().nodes[2].Y, 0);
    releaseAtWorld(w, -40, -40);
    EXPECT_EQ(problem().nodes[2].X, 0);
}

TEST_F(BlockEditor, RubberBandLeavesNoTraceAndALineClosesABlock) {
    newProblem();
    TFormEdit& w = blocks();
    const QImage before = w.grab().toImage();
    click(w.SpeedButtonLine);
    EXPECT_EQ(text(w.LabelOperation), "New Line");
    const QImage withLabel = w.grab().toImage();
    pressAtWorld(w, 0, 0); // on node 1
    moveToWorld(w, 800, 900, Qt::LeftButton);
    moveToWorld(w, 1000, 700, Qt::LeftButton);
    const QImage band = w.grab().toImage();
    // The band inverts the white area it crosses: black pixels on its middle.
    const QPoint from = screenPointOf(w, 0, 0), to = screenPointOf(w, 1000, 700);
    const QPoint middle = (from + to) / 2;
    int black = 0;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            EXPECT_EQ(withLabel.pixelColor(middle + QPoint(dx, dy)), QColor(Qt::white));
            black += band.pixelColor(middle + QPoint(dx, dy)) == QColor(Qt::black);
        }
    EXPECT_GT(black, 0);
    // Released far from every node: nothing added, no message, and not a pixel left behind (the
    // panel shows where the mouse is).
    releaseAtWorld(w, 1000, 700);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(problem().NB, 1);
    EXPECT_FALSE(w.SpeedButtonLine->isChecked());
    const QRect picture(0, kEditorPanelHeight, w.width(), w.height() - kEditorPanelHeight);
    EXPECT_EQ(w.grab().toImage().copy(picture), before.copy(picture));

    // From node 1 to node 2 the third node is 3: a block on top of block 1, which nothing prevents.
    click(w.SpeedButtonLine);
    pressAtWorld(w, 0, 0);
    moveToWorld(w, 0, 300, Qt::LeftButton);
    releaseAtWorld(w, 0, 500);
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(problem().NB, 2);
    EXPECT_EQ(problem().blocks[1].node[0], 0);
    EXPECT_EQ(problem().blocks[1].node[1], 1);
    EXPECT_EQ(problem().blocks[1].node[2], 2);
    EXPECT_EQ(problem().NM, 2);
}

TEST_F(BlockEditor, LineRefusalsShowTheirMessageAndKeepTheBlocks) {
    newProblem();
    twoSeparateBlocks();
    TFormEdit& w = blocks();
    const Problem before = problem();
    click(w.SpeedButtonLine);
    pressAtWorld(w, 0, 0);
    releaseAtWorld(w, 1500, 500);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "No triangle created.\n\nA new line must create a new triangular block.");
    EXPECT_EQ(countsOf(problem()), countsOf(before));

    Problem& p = problem();
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size());
    for (int32_t b = 2; b < BMAX; ++b)
        p.blocks[static_cast<std::size_t>(b)] = p.blocks[0];
    p.NB = BMAX;
    app->document.notify(Change::Counts | Change::Mesh);
    click(w.SpeedButtonLine);
    pressAtWorld(w, 0, 0);
    releaseAtWorld(w, 0, 500);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].rfind("Capacity exceeded\n\nThe number of blocks", 0), 0u);
    EXPECT_EQ(problem().NB, BMAX);
}

TEST_F(BlockEditor, DragNodeMovesOneNodeAndTheBoxesFollow) {
    newProblem();
    TFormEdit& w = blocks();
    click(w.SpeedButtonDrag);
    EXPECT_TRUE(w.SpeedButtonDrag->isChecked());
    EXPECT_EQ(text(w.LabelOperation), "Drag Node");
    pressAtWorld(w, 0, 500);
    EXPECT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(text(w.EditX), "     0.000");
    EXPECT_EQ(text(w.EditY), "   500.000");
    moveToWorld(w, 300, 800, Qt::LeftButton);
    EXPECT_EQ(text(w.LabelOperation), "Drag Node 2");
    EXPECT_EQ(text(w.EditY), format("%10.3f", clampedY(w, 800)));
    releaseAtWorld(w, 300, 800);
    EXPECT_EQ(problem().nodes[1].X, clampedX(w, 300));
    EXPECT_EQ(problem().nodes[1].Y, clampedY(w, 800));
    EXPECT_FALSE(w.SpeedButtonDrag->isChecked());
    // The boxes stay with the node, for coordinates typed in.
    EXPECT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(text(w.EditX), format("%10.3f", clampedX(w, 300)));
    EXPECT_FALSE(w.LabelOperation->isVisible());
    moveToWorld(w, 600, 900, Qt::LeftButton); // one node per press of the button
    EXPECT_EQ(problem().nodes[1].Y, clampedY(w, 800));
}

TEST_F(BlockEditor, BoxesTakeWhatWasTypedAndTheSecondExitHidesThePanel) {
    newProblem();
    TFormEdit& w = blocks();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    click(w.SpeedButtonNode);
    moveToWorld(w, 1500, 800);
    ASSERT_TRUE(w.PanelXY->isVisible());
    w.EditX->setFocus(Qt::MouseFocusReason);
    w.EditX->selectAll();
    QTest::keyClicks(w.EditX, QStringLiteral("2500abc"));
    moveToWorld(w, 1400, 700); // the box being typed into keeps what was typed
    EXPECT_EQ(text(w.EditX), "2500abc");
    QTest::keyClick(w.EditX, Qt::Key_Tab);
    EXPECT_EQ(text(w.EditX), "  2000.000"); // held to LX
    EXPECT_EQ(problem().nodes[3].X, 2000);  // the row of the node to come
    EXPECT_TRUE(w.PanelXY->isVisible());
    w.EditY->selectAll();
    QTest::keyClicks(w.EditY, QStringLiteral("x"));
    QTest::keyClick(w.EditY, Qt::Key_Tab);
    EXPECT_EQ(problem().nodes[3].Y, 0);
    EXPECT_FALSE(w.PanelXY->isVisible());
    EXPECT_FALSE(w.LabelOperation->isVisible());
    EXPECT_EQ(app->state.editor.exitCount, 2);
    // The row of the node to come is no node of the problem yet: nothing to undo, nothing unsaved.
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo New"));
    EXPECT_FALSE(app->document.modified());
}

// The help promised that coordinates "may also be entered manually", but the boxes went at the
// release and Enter only moved to the other box.
TEST_F(BlockEditor, EnterInTheBoxesMovesTheDraggedNodeOrPlacesTheNewNodeAsOneStep) {
    newProblem();
    TFormEdit& w = blocks();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    click(w.SpeedButtonDrag);
    pressAtWorld(w, 0, 500);
    releaseAtWorld(w, 0, 500);
    ASSERT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(text(w.EditX), "     0.000");
    EXPECT_EQ(text(w.EditY), "   500.000");

    auto typeAndEnter = [&](QLineEdit* box, const char* typedText) {
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(typedText));
        QTest::keyClick(box, Qt::Key_Return);
    };
    typeAndEnter(w.EditX, "2500"); // beyond LX
    EXPECT_EQ(problem().nodes[1].X, 2000);
    EXPECT_EQ(problem().nodes[1].Y, 500);
    EXPECT_EQ(text(w.EditX), "  2000.000");
    EXPECT_TRUE(w.PanelXY->isVisible());
    EXPECT_TRUE(w.EditX->hasFocus()); // Enter stays in the box
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Move Node"));
    // The picture shows the node where it went: block 1 now covers (1000, 200).
    const ViewMapping view = w.viewMapping();
    const QImage picture = w.grab().toImage();
    EXPECT_EQ(picture.pixel(view.screenX(1000), view.screenY(200)),
              picture.pixel(view.screenX(200), view.screenY(30))); // inside the block before and after
    EXPECT_NE(picture.pixel(view.screenX(1000), view.screenY(200)) & 0xFFFFFFu, 0xFFFFFFu);
    main().Undo1->trigger();
    EXPECT_EQ(problem().nodes[1].X, 0);
    main().Redo1->trigger();
    EXPECT_EQ(problem().nodes[1].X, 2000);
    typeAndEnter(w.EditX, "-3"); // below 0
    EXPECT_EQ(problem().nodes[1].X, 0);
    EXPECT_EQ(text(w.EditX), "     0.000"); // the box shows where the node went
    EXPECT_EQ(problem().NA, 3);

    // New Node: Enter places the node at the typed point as a click there would, one step.
    click(w.SpeedButtonNode);
    moveToWorld(w, 1500, 800);
    ASSERT_TRUE(w.PanelXY->isVisible());
    typeAndEnter(w.EditX, "1800");
    EXPECT_EQ(problem().NA, 4);
    EXPECT_EQ(problem().NB, 2);
    EXPECT_EQ(problem().nodes[3].X, 1800);
    EXPECT_EQ(format("%10.3f", problem().nodes[3].Y),
              format("%10.3f", clampedY(w, 800))); // as the box showed
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    EXPECT_FALSE(w.PanelXY->isVisible());
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo New Node"));
    EXPECT_TRUE(dialogs.messages.empty());

    // Typed beyond the left edge of the area: held to it, as a click there is.
    click(w.SpeedButtonNode);
    moveToWorld(w, 300, 600);
    typeAndEnter(w.EditX, "-20");
    EXPECT_EQ(problem().NA, 5);
    EXPECT_EQ(problem().nodes[4].X, 0);
}

// A size of the plan that comes back by Undo while Edit Blocks is open is drawn at once.
TEST_F(BlockEditor, UndoOfThePlanSizeRedrawsTheBlocks) {
    newProblem();
    TableGrid& grid = *main().GeneralGrid;
    grid.setCurrentCell(1, static_cast<int>(GeneralRow::LX));
    const double before = problem().LX;
    typeIntoCell(grid, QStringLiteral("1500"));
    pressKey(grid, Qt::Key_Return);
    ASSERT_EQ(problem().LX, 1500);
    ASSERT_NE(before, 1500);
    click(main().SpeedButtonEdit);
    ASSERT_TRUE(blocks().isVisible());
    QCoreApplication::processEvents();
    PaintCounter paints(&blocks());
    main().Undo1->trigger();
    ASSERT_EQ(problem().LX, before);
    ASSERT_TRUE(blocks().isVisible());
    QCoreApplication::processEvents();
    EXPECT_GT(paints.paints, 0);
}

TEST_F(BlockEditor, OpeningShowsTheBlocksAsTheMeshAndClosingResetsTheModes) {
    openFile(testData("ui_square.fem"));
    ASSERT_EQ(problem().NW, 1);
    click(main().SpeedButtonEdit);
    TFormEdit& w = blocks();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(problem().NW, 0); // the refinement and the wells go with the first paint
    EXPECT_EQ(main().GeneralGrid->cellText(1, 3), "           0");
    click(w.SpeedButtonNode);
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(app->isShown(WindowId::EditBlocks));
    EXPECT_FALSE(problem().resultsStale); // the main window repainted and cleared them
    click(main().SpeedButtonEdit);
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    EXPECT_FALSE(app->state.editor.newNodeMode);
    EXPECT_FALSE(w.LabelOperation->isVisible());
    click(main().SpeedButtonMesh); // closes Edit Blocks: the mesh editor shows the blocks
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(countsOf(problem()), (Counts{4, 2, 4, 2, 0}));
}

TEST_F(BlockEditor, HelpTextsOfBothEditors) {
    newProblem();
    click(blocks().SpeedButtonHelp);
    blocks().close();
    showMesh();
    click(mesh().SpeedButtonHelp);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].rfind(
                  "Edit Blocks\n\nIn this window a mesh of triangular blocks can be generated. "
                  "The mesh can be modified by activating one of the editing keys :\n"
                  "- Drag Node : drag a node",
                  0),
              0u);
    EXPECT_NE(
        dialogs.messages[0].find("              formed from these two nodes and a third existing node."),
        std::string::npos);
    EXPECT_EQ(
        dialogs.messages[1].rfind("Edit Mesh\n\nIn this window a mesh of finite elements can be generated, "
                                  "from an initial mesh\nof triangular blocks. The mesh",
                                  0),
        0u);
    EXPECT_NE(
        dialogs.messages[1].find("- Split 4   : subdivide all elements into 4 elements, with new nodes in "
                                 "the mid-points of\n              the 3 sides of the original element,\n"),
        std::string::npos);
    EXPECT_NE(
        dialogs.messages[1].find("- Set Nodes : set the Type, the head F and, if wanted, B and T of many "
                                 "nodes at once:\n"),
        std::string::npos);
}

// ---- mesh editor -------------------------------------------------------------------------------

using MeshEditor = EditorTest;

TEST_F(MeshEditor, AddWellIsOneClickSnappingToANodeOrRefusedOutsideTheMesh) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    const Counts before = countsOf(problem());
    click(w.SpeedButtonNode);
    EXPECT_TRUE(w.SpeedButtonNode->isChecked());
    EXPECT_EQ(text(w.LabelOperation), "New Well");
    // Outside the area the point is not held to it: outside the mesh.
    clickAtWorld(w, 115, 50);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Well outside mesh\n\nA new well must be located inside the mesh of finite elements.");
    EXPECT_EQ(countsOf(problem()), before);
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    clickAtWorld(w, 60, 60); // the mode is over: nothing
    EXPECT_EQ(countsOf(problem()), before);

    // Near node 3 (100, 0): a second well there, no node or element added.
    click(w.SpeedButtonNode);
    clickAtWorld(w, 98, 2);
    EXPECT_EQ(problem().NW, 2);
    EXPECT_EQ(problem().wellNodes[1], 2);
    EXPECT_EQ(problem().NN, before.NN);
    EXPECT_EQ(problem().NM, before.NM);

    // Inside an element, away from the nodes: a centre node and a local refinement.
    click(w.SpeedButtonNode);
    clickAtWorld(w, 70, 30);
    EXPECT_EQ(problem().NW, 3);
    EXPECT_EQ(problem().NN, before.NN + 4);
    EXPECT_EQ(problem().NM, before.NM + 6); // one outer side has a neighbour
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(MeshEditor, AddWellRefusedAtTheWellCapacity) {
    openFile(testData("ui_square.fem"));
    Problem& p = problem();
    p.NW = static_cast<int32_t>(p.wellNodes.size());
    for (int32_t i = 0; i < p.NW; ++i)
        p.wellNodes[static_cast<std::size_t>(i)] = 0;
    showMesh();
    click(mesh().SpeedButtonNode);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Capacity exceeded\n\n"
                                   "The number of wells can not be increased further.\n\n"
                                   "The capacity of the program can be increased by increasing the value of "
                                   "BMAX in the main window.");
    EXPECT_FALSE(mesh().SpeedButtonNode->isChecked());
    EXPECT_FALSE(app->state.editor.newNodeMode);
    EXPECT_FALSE(mesh().LabelOperation->isVisible());
}

TEST_F(MeshEditor, SplitLeavesItsFinalCountsInTheLabelAndTheMainWindow) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    click(w.SpeedButtonNode); // a pass ends Add Well
    click(w.SpeedButtonSplit4);
    EXPECT_EQ(text(w.LabelOperation), "Split 4 : 9 Nodes, 8 Elements");
    EXPECT_TRUE(w.LabelOperation->isVisible());
    EXPECT_FALSE(w.SpeedButtonSplit4->isChecked());
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    EXPECT_FALSE(app->state.editor.newNodeMode);
    EXPECT_EQ(main().GeneralGrid->cellText(1, 4), "           9");
    EXPECT_EQ(main().GeneralGrid->cellText(1, 5), "           8");
    click(w.SpeedButtonSplit2);
    EXPECT_EQ(text(w.LabelOperation), format("Split 2 : %d Nodes, %d Elements", problem().NN, problem().NM));
    EXPECT_GE(problem().NM, 16);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MeshEditor, SplitRefusedForCapacityShowsItsMessageAndKeepsTheMesh) {
    newProblem();
    blocks().close();
    showMesh();
    TFormMesh& w = mesh();
    for (int pass = 0; pass < 7; ++pass) // 1 element to 16384 in a table of 20000
        click(w.SpeedButtonSplit4);
    ASSERT_EQ(problem().NM, 16384);
    ASSERT_TRUE(dialogs.messages.empty());
    const Problem before = problem();
    w.repaint();
    const int drawings = w.meshDrawings();
    click(w.SpeedButtonSplit4);
    w.repaint();
    EXPECT_EQ(w.meshDrawings(), drawings); // nothing changed, nothing to draw again
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Capacity exceeded\n\n"
              "The number of nodes or elements in the problem is too large to split all "
              "elements into 4 elements.\n\n"
              "The capacity of the program can be increased by increasing the values of NMAX "
              "and MMAX in the main window.");
    EXPECT_EQ(text(w.LabelOperation), "Split 4 : 8385 Nodes, 16384 Elements");
    EXPECT_EQ(countsOf(problem()), countsOf(before));
    for (int32_t e = 0; e < before.NM; ++e)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(problem().elements[static_cast<std::size_t>(e)].node[k],
                      before.elements[static_cast<std::size_t>(e)].node[k]);
}

TEST_F(MeshEditor, MovesInAddWellModeNeverDrawTheMeshAgain) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    click(w.SpeedButtonSplit4);
    w.repaint();
    click(w.SpeedButtonNode);
    w.repaint();
    const int drawings = w.meshDrawings();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    w.installEventFilter(&counter);
    for (int i = 0; i < 20; ++i) {
        moveToWorld(w, 10 + 4 * i, 40);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(text(w.EditX), format("%10.3f", w.viewMapping().worldX(screenPointOf(w, 86, 40).x())));
    EXPECT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(w.meshDrawings(), drawings);
    w.removeEventFilter(&counter);

    // Add Well takes no typed point: Enter goes from one box to the other, as Tab does, and adds
    // nothing.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const int32_t wells = problem().NW;
    w.EditX->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w.EditX, Qt::Key_Return);
    EXPECT_TRUE(w.EditY->hasFocus());
    QTest::keyClick(w.EditY, Qt::Key_Return);
    EXPECT_TRUE(w.EditX->hasFocus());
    EXPECT_EQ(problem().NW, wells);
}

TEST_F(MeshEditor, KeptPictureIsTheDrawingOfTheMeshInHand) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    click(w.SpeedButtonSplit4);
    w.repaint();
    const int drawings = w.meshDrawings();
    click(w.SpeedButtonNode);
    w.repaint();
    EXPECT_EQ(w.meshDrawings(), drawings); // a mode changes nothing in the picture
    clickAtWorld(w, 70, 30);
    const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(w.meshDrawings(), drawings + 1); // the new well and its elements
    QImage fresh(w.size(), QImage::Format_RGB32);
    fresh.fill(QColor(0xC0, 0xC0, 0xC0));
    {
        QPainter painter(&fresh);
        QtCanvas canvas(painter);
        drawMeshEditor(canvas, problem(), w.viewMapping());
    }
    const QRect picture(0, kEditorPanelHeight, w.width(), w.height() - kEditorPanelHeight);
    EXPECT_EQ(shown.copy(picture), fresh.copy(picture));
    w.grab();
    EXPECT_EQ(w.meshDrawings(), drawings + 1); // nothing changed: the kept picture
}

TEST_F(MeshEditor, ClosingDuringASplitWaitsForTheWholePass) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    int closes = 0;
    w.onSplitProgress = [&] {
        if (closes++ == 0) w.close();
    };
    click(w.SpeedButtonSplit4);
    EXPECT_GE(closes, 1);
    EXPECT_EQ(problem().NM, 8); // the whole pass, a conforming mesh
    EXPECT_EQ(problem().NN, 9);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(app->isShown(WindowId::Mesh));
    EXPECT_EQ(problem().saved.NN, 9);
    EXPECT_EQ(problem().saved.NM, 8);
    EXPECT_EQ(main().GeneralGrid->cellText(1, 5), "           8");
}

// The pass is cancelled (on its copy: the mesh is as it was) and the program ends when it has
// stopped.
TEST_F(MeshEditor, QuittingDuringASplitCancelsItAndEndsTheProgram) {
    openFile(testData("ui_square.fem"));
    showMesh();
    int closes = 0;
    bool tablesKeptDuringThePass = true;
    mesh().onSplitProgress = [&] {
        if (closes++ == 0) main().close();
        tablesKeptDuringThePass = tablesKeptDuringThePass && problem().tablesAllocated;
    };
    click(mesh().SpeedButtonSplit4);
    EXPECT_GE(closes, 1);
    EXPECT_TRUE(tablesKeptDuringThePass);
    EXPECT_EQ(endRequests, 1);
    EXPECT_FALSE(problem().tablesAllocated);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MeshEditor, ClosingKeepsTheCountsAndShowingAgainEndsAddWell) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    click(w.SpeedButtonSplit4);
    click(w.SpeedButtonNode);
    w.close();
    EXPECT_FALSE(app->isShown(WindowId::Mesh));
    EXPECT_EQ(problem().saved.NN, 9);
    EXPECT_FALSE(problem().resultsStale); // the main window repainted and cleared them
    const int32_t wells = problem().NW;
    showMesh();
    EXPECT_FALSE(w.SpeedButtonNode->isChecked());
    EXPECT_FALSE(app->state.editor.newNodeMode);
    EXPECT_FALSE(w.LabelOperation->isVisible());
    clickAtWorld(w, 70, 30); // no mode: no well
    EXPECT_EQ(problem().NW, wells);
}

// ---- the whole road --------------------------------------------------------------------------

using DrawingSession = EditorTest;

TEST_F(DrawingSession, FromNothingToASolvedAndSavedProblem) {
    newProblem();
    TFormEdit& b = blocks();
    // Three new nodes, each joined to the side nearest to it.
    for (const auto& [x, y] : {std::pair{600.0, 600.0}, {1200.0, 100.0}, {1300.0, 800.0}}) {
        click(b.SpeedButtonNode);
        moveToWorld(b, x, y);
        clickAtWorld(b, x, y);
    }
    ASSERT_EQ(countsOf(problem()), (Counts{6, 4, 6, 4, 0}));
    // A line from node 2 to node 6 closes on node 4.
    click(b.SpeedButtonLine);
    pressAtWorld(b, 0, 500);
    moveToWorld(b, 700, 650, Qt::LeftButton);
    releaseAtWorld(b, 1300, 800);
    ASSERT_EQ(problem().NB, 5);
    EXPECT_EQ(problem().blocks[4].node[2], 3);
    // Node 6 dragged up and to the right.
    click(b.SpeedButtonDrag);
    pressAtWorld(b, 1300, 800);
    moveToWorld(b, 1400, 900, Qt::LeftButton);
    releaseAtWorld(b, 1400, 900);
    EXPECT_EQ(problem().nodes[5].Y, clampedY(b, 900));
    b.close();
    EXPECT_EQ(main().GeneralGrid->cellText(1, 2), "           5");

    showMesh();
    TFormMesh& m = mesh();
    click(m.SpeedButtonSplit4);
    click(m.SpeedButtonSplit4);
    EXPECT_EQ(problem().NM, 80);
    EXPECT_EQ(text(m.LabelOperation), format("Split 4 : %d Nodes, 80 Elements", problem().NN));
    click(m.SpeedButtonNode);
    moveToWorld(m, 200, 150);
    clickAtWorld(m, 200, 150); // in an element with three neighbours
    EXPECT_EQ(problem().NW, 1);
    EXPECT_EQ(problem().NM, 88);
    m.close();
    EXPECT_TRUE(dialogs.messages.empty());

    const std::string out = (std::filesystem::current_path() / "drawn.fem").string();
    dialogs.saveAnswers.push_back(out);
    click(main().SpeedButtonCalc);
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u); // offered only after a solve that ended well
    Problem saved;
    saved.allocateTables(problem().limits);
    ASSERT_TRUE(readDatafile(saved, out).ok());
    EXPECT_EQ(countsOf(saved), countsOf(problem()));
    EXPECT_EQ(saved.NB, 5);
    EXPECT_EQ(saved.NW, 1);
    // The new nodes started at 10 m and the midpoints between them at 10 to 20 m; with one side
    // held at 20 m, no pumping and no infiltration the whole aquifer stands at 20 m.
    for (int32_t i = 0; i < saved.NN; ++i)
        EXPECT_NEAR(saved.nodes[static_cast<std::size_t>(i)].F, 20, 1e-3) << "node " << i + 1;
}

} // namespace
