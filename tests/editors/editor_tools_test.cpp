#include "editors/editor_tools.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "editors/editors_test_support.h"
#include "editors/view_mapping.h"
#include "mesh/refinement.h"

namespace velkor {
namespace {

std::size_t at(int32_t i) {
    return static_cast<std::size_t>(i);
}

using test::defaultProblem;

// Everything a refused edit must leave exactly as it was.
void expectSameBlocksAndMesh(const Problem& a, const Problem& b) {
    EXPECT_EQ(a.NA, b.NA);
    EXPECT_EQ(a.NB, b.NB);
    EXPECT_EQ(a.NN, b.NN);
    EXPECT_EQ(a.NM, b.NM);
    EXPECT_EQ(a.NW, b.NW);
    for (int32_t i = 0; i < a.NN; ++i) {
        EXPECT_EQ(a.nodes[at(i)].X, b.nodes[at(i)].X) << "node " << i;
        EXPECT_EQ(a.nodes[at(i)].Y, b.nodes[at(i)].Y) << "node " << i;
    }
    for (int32_t i = 0; i < a.NB; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(a.blocks[at(i)].node[k], b.blocks[at(i)].node[k]) << "block " << i;
    for (int32_t i = 0; i < a.NM; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(a.elements[at(i)].node[k], b.elements[at(i)].node[k]) << "element " << i;
}

// The state, display and problem one block editor works on.
struct BlockEditor {
    explicit BlockEditor(Problem problem) : p(std::move(problem)) {}
    Problem p;
    EditorState state;
    EditorDisplay display;
    DragNodeTool drag{p, state, display};
    NewNodeTool newNode{p, state, display};
    NewLineTool line{p, state, display};
};

TEST(ViewMapping, CentresTheAreaAndClampsClicksOntoIt) {
    const ViewMapping v = ViewMapping::compute(1001, 600, 2000, 1000);
    EXPECT_EQ(v.ox, 50);
    EXPECT_EQ(v.oy, 574);
    // W = 900, H = 545: the width decides, 0.45 pixels per metre; y is centred.
    EXPECT_DOUBLE_EQ(v.scale, 0.45);
    EXPECT_NEAR(v.xmin, 0, 1e-9);
    EXPECT_NEAR(v.ymin, -(545 / 0.45 - 1000) * 0.5, 1e-9);
    EXPECT_NEAR(v.screenX(1000), 500, 1);
    EXPECT_NEAR(v.worldX(v.screenX(1000)), 1000, 1 / 0.45);
    // A click left of and below the area lands on its border in the block editor only.
    EXPECT_LT(v.worldX(10), 0);
    EXPECT_EQ(v.clampedWorldX(10), 0);
    EXPECT_EQ(v.clampedWorldY(599), 0);
    EXPECT_EQ(v.clampedWorldY(0), 1000);
    EXPECT_EQ(v.clampedWorldX(5000), 2000);
    // Equal scales take the width's.
    const ViewMapping square = ViewMapping::compute(1001, 600, 900, 545);
    EXPECT_EQ(square.scale, 1.0);
    // Absurd sizes stay inside the int range instead of overflowing.
    const ViewMapping tiny = ViewMapping::compute(1001, 600, 1e-300, 1e-300);
    EXPECT_EQ(tiny.screenX(1), INT_MAX);
    // A window squeezed to nothing still gives finite world points.
    const ViewMapping squeezed = ViewMapping::compute(1, 1, 2000, 1000);
    EXPECT_TRUE(std::isfinite(squeezed.worldX(0)));
    EXPECT_TRUE(std::isfinite(squeezed.clampedWorldY(0)));
}

TEST(EditorButtons, AtMostOneModeEachSwitchOnMakesResultsStale) {
    BlockEditor editor(defaultProblem());
    editor.p.resultsStale = false;
    editor.state.exitCount = 5;
    editor.newNode.button();
    EXPECT_TRUE(editor.state.newNodeMode);
    EXPECT_EQ(editor.state.pendingNode, 3);
    EXPECT_EQ(editor.display.label, "New Node 4");
    EXPECT_TRUE(editor.p.resultsStale);
    EXPECT_EQ(editor.state.exitCount, 5); // only Drag Node starts the count again

    editor.p.resultsStale = false;
    editor.line.button();
    EXPECT_FALSE(editor.state.newNodeMode);
    EXPECT_TRUE(editor.state.lineMode);
    EXPECT_EQ(editor.display.label, "New Line");
    EXPECT_TRUE(editor.p.resultsStale);

    editor.drag.button();
    EXPECT_FALSE(editor.state.lineMode);
    EXPECT_TRUE(editor.state.dragMode);
    EXPECT_EQ(editor.state.exitCount, 0);
    EXPECT_EQ(editor.display.label, "Drag Node");

    editor.drag.button(); // the same button again: no mode
    EXPECT_FALSE(editor.state.dragMode);
    EXPECT_FALSE(editor.display.labelShown);
    EXPECT_EQ(editor.display.label, "");
}

TEST(DragNodeTool, MovesOneNodePerPressBoxesStartAtTheNode) {
    BlockEditor editor(defaultProblem());
    editor.drag.button();
    editor.drag.press(5, 495); // near node 2 at (0, 500)
    EXPECT_TRUE(editor.state.dragging);
    EXPECT_TRUE(editor.display.panelShown);
    EXPECT_EQ(editor.display.editX, "     0.000");
    EXPECT_EQ(editor.display.editY, "   500.000");
    const ToolResponse moved = editor.drag.move(0, 700);
    EXPECT_TRUE(moved.redraw);
    EXPECT_EQ(moved.changed, Change::Mesh);
    EXPECT_EQ(editor.display.label, "Drag Node 2");
    EXPECT_EQ(editor.display.editY, "   700.000");
    editor.drag.release(0, 700);
    EXPECT_EQ(editor.p.nodes[1].Y, 700);
    EXPECT_FALSE(editor.state.dragMode);
    EXPECT_FALSE(editor.display.panelShown);
    EXPECT_FALSE(editor.display.labelShown);
    editor.drag.move(0, 900); // the mode has ended
    EXPECT_EQ(editor.p.nodes[1].Y, 700);

    // A press far from every node holds nothing; the release still ends the mode.
    editor.drag.button();
    editor.drag.press(1500, 900);
    EXPECT_FALSE(editor.drag.move(1600, 900).redraw);
    editor.drag.release(1600, 900);
    EXPECT_FALSE(editor.state.dragMode);
}

TEST(NewNodeTool, PreviewFillsTheNextRowAndTheClickAddsTheBlock) {
    BlockEditor editor(defaultProblem());
    editor.newNode.button();
    const ToolResponse moved = editor.newNode.move(1500, 800);
    EXPECT_FALSE(moved.redraw);
    EXPECT_TRUE(editor.display.panelShown);
    EXPECT_EQ(editor.display.editX, "  1500.000");
    const Node& preview = editor.p.nodes[3];
    EXPECT_EQ(preview.X, 1500);
    EXPECT_EQ(preview.T, 10);
    EXPECT_EQ(preview.F, 10);
    EXPECT_EQ(editor.p.NA, 3); // a preview is not a node yet

    const ToolResponse pressed = editor.newNode.press(1500, 800);
    EXPECT_TRUE(pressed.message.empty());
    EXPECT_TRUE(pressed.redraw);
    EXPECT_EQ(pressed.changed, Change::Counts | Change::Mesh | Change::NodeValues);
    EXPECT_EQ(editor.p.NA, 4);
    EXPECT_EQ(editor.p.NB, 2);
    EXPECT_FALSE(editor.state.newNodeMode);
    EXPECT_FALSE(editor.display.labelShown);
}

TEST(NewNodeTool, RefusalsShowTheirMessageAndLeaveTheBlocksAlone) {
    BlockEditor inside(defaultProblem());
    inside.newNode.button();
    const Problem before = inside.p;
    const ToolResponse onSide = inside.newNode.press(250, 250); // on the side of block 1
    EXPECT_EQ(onSide.message, "Node inside block\n\nA new node must be located outside all existing blocks.");
    EXPECT_TRUE(onSide.redraw);
    EXPECT_EQ(onSide.changed, Change::None);
    EXPECT_FALSE(inside.state.newNodeMode);
    expectSameBlocksAndMesh(inside.p, before);

    // The default problem fills a node table of three rows: the preview has no row to write.
    Limits limits;
    limits.NMAX = 3;
    BlockEditor full(defaultProblem(limits));
    ASSERT_EQ(full.p.nodes.capacity(), 3u);
    full.newNode.button();
    EXPECT_EQ(full.display.label, "New Node 4");
    full.newNode.move(1500, 800);
    EXPECT_EQ(full.display.editX, "  1500.000");
    const Problem fullBefore = full.p;
    const ToolResponse refused = full.newNode.press(1500, 800);
    EXPECT_EQ(refused.message, "Capacity exceeded\n\n"
                               "The number of nodes and/or blocks in the problem is too large to add "
                               "another node or block.\n\n"
                               "The capacity of the program can be increased by increasing the values of "
                               "NMAX and BMAX in the Installation Grid of the main window.");
    EXPECT_FALSE(refused.redraw);
    EXPECT_FALSE(full.state.newNodeMode);
    expectSameBlocksAndMesh(full.p, fullBefore);
}

TEST(NewLineTool, RubberBandFollowsTheMouseAndTheReleaseClosesABlock) {
    // Two blocks sharing the side 1-3 of a square; a line from 2 to 4 closes on node 3 (and 1).
    BlockEditor editor(defaultProblem());
    Problem& p = editor.p;
    const double xy[4][2] = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
    for (int i = 0; i < 4; ++i) {
        p.nodes[at(i)].X = xy[i][0];
        p.nodes[at(i)].Y = xy[i][1];
    }
    p.NA = 4;
    p.blocks[0] = Block{{0, 1, 2}, 0};
    p.blocks[1] = Block{{0, 2, 3}, 1};
    p.NB = 2;
    resetMesh(p);

    editor.line.button();
    EXPECT_TRUE(editor.line.press(1005, 5).redraw); // on node 2
    EXPECT_TRUE(editor.state.lineStarted);
    EXPECT_EQ(editor.state.lineStartNode, 1);
    EXPECT_EQ(editor.state.rubberEndX, 1000);
    EXPECT_TRUE(editor.line.move(400, 700).redraw);
    EXPECT_EQ(editor.state.rubberEndX, 400);
    EXPECT_EQ(editor.state.rubberEndY, 700);
    EXPECT_EQ(editor.state.lineStartX, 1000);

    const ToolResponse released = editor.line.release(3, 998); // on node 4
    EXPECT_TRUE(released.message.empty());
    EXPECT_TRUE(released.redraw);
    EXPECT_EQ(released.changed, Change::Counts | Change::Mesh);
    ASSERT_EQ(p.NB, 3);
    EXPECT_EQ(p.blocks[2].node[0], 1);
    EXPECT_EQ(p.blocks[2].node[1], 3);
    EXPECT_EQ(p.blocks[2].node[2], 0); // the later candidate wins
    EXPECT_FALSE(editor.state.lineStarted);
    EXPECT_FALSE(editor.state.lineMode);
    EXPECT_FALSE(editor.display.labelShown);
}

TEST(NewLineTool, RefusedOrSilentEndsLeaveTheBlocksAlone) {
    BlockEditor editor(defaultProblem());
    const Problem before = editor.p;
    // Released on the start node: silently nothing.
    editor.line.button();
    editor.line.press(0, 0);
    const ToolResponse onStart = editor.line.release(2, 2);
    EXPECT_TRUE(onStart.message.empty());
    EXPECT_FALSE(editor.state.lineMode);
    // Pressed far from every node: no line starts, the release ends the mode.
    editor.line.button();
    editor.line.press(1500, 900);
    EXPECT_FALSE(editor.state.lineStarted);
    EXPECT_FALSE(editor.line.move(1000, 900).redraw);
    EXPECT_TRUE(editor.line.release(0, 0).message.empty());
    expectSameBlocksAndMesh(editor.p, before);

    // A full block table refuses before anything is picked.
    Limits limits;
    limits.BMAX = 1;
    BlockEditor full(defaultProblem(limits));
    const Problem fullBefore = full.p;
    full.line.button();
    full.line.press(0, 0);
    const ToolResponse refused = full.line.release(0, 500);
    EXPECT_EQ(refused.message, "Capacity exceeded\n\n"
                               "The number of blocks in the problem is too large to add another block.\n\n"
                               "The capacity of the program can be increased by increasing the value of "
                               "BMAX in the Installation Grid of the main window.");
    expectSameBlocksAndMesh(full.p, fullBefore);
}

TEST(CoordinateBoxes, ExitsHoldTheAreaAndHideThePanelFromTheSecondOn) {
    BlockEditor editor(defaultProblem());
    editor.drag.button();
    editor.drag.press(500, 0); // node 3
    EXPECT_EQ(editor.drag.exit(CoordinateBox::X, "  2500abc").changed, Change::Mesh);
    EXPECT_EQ(editor.p.nodes[2].X, 2000);
    EXPECT_EQ(editor.display.editX, "  2000.000");
    EXPECT_TRUE(editor.display.panelShown);
    editor.p.resultsStale = false;
    EXPECT_TRUE(editor.drag.exit(CoordinateBox::Y, "x").redraw);
    EXPECT_EQ(editor.p.nodes[2].Y, 0);
    EXPECT_FALSE(editor.display.panelShown);
    EXPECT_FALSE(editor.display.labelShown);
    EXPECT_TRUE(editor.p.resultsStale);

    // The pending node of New Node at full capacity is a row that does not exist.
    Limits limits;
    limits.NMAX = 3;
    BlockEditor full(defaultProblem(limits));
    full.newNode.button();
    EXPECT_EQ(full.newNode.exit(CoordinateBox::X, "100").changed, Change::None);
    EXPECT_EQ(full.display.editX, "   100.000");
}

// The mesh editor's tool, on a state shared with a block editor.
struct MeshEditor {
    explicit MeshEditor(Problem problem) : p(std::move(problem)) {}
    Problem p;
    EditorState state;
    EditorDisplay display;
    AddWellTool addWell{p, state, display};
};

TEST(AddWellTool, OneShotModeAndMovesThatNeverRedraw) {
    MeshEditor editor(defaultProblem());
    splitAllInFour(editor.p);
    ASSERT_TRUE(editor.addWell.button().message.empty());
    EXPECT_TRUE(editor.state.newNodeMode);
    EXPECT_EQ(editor.state.pendingNode, 6);
    EXPECT_EQ(editor.display.label, "New Well");

    const ToolResponse moved = editor.addWell.move(-50, 2000); // not clamped here
    EXPECT_FALSE(moved.redraw);
    EXPECT_EQ(moved.changed, Change::None);
    EXPECT_TRUE(editor.display.panelShown);
    EXPECT_EQ(editor.display.editX, "   -50.000");
    EXPECT_EQ(editor.display.editY, "  2000.000");

    // Within the snap radius of node 5 (250, 0): a well there, nothing added. Its slot held the
    // discharge of a well dropped earlier; the new well pumps nothing.
    editor.p.wellQ[0] = -250;
    const ToolResponse snapped = editor.addWell.press(251, 2);
    EXPECT_TRUE(snapped.message.empty());
    EXPECT_EQ(editor.p.NW, 1);
    EXPECT_EQ(editor.p.wellQ[0], 0);
    EXPECT_EQ(editor.p.NN, 6);
    EXPECT_EQ(editor.p.NM, 4);
    EXPECT_FALSE(editor.state.newNodeMode);
    EXPECT_FALSE(editor.display.panelShown);
    EXPECT_FALSE(editor.display.labelShown);
    // The mode is over: a further click does nothing.
    EXPECT_FALSE(editor.addWell.press(100, 100).redraw);
    EXPECT_EQ(editor.p.NW, 1);
}

// Renumbering a mesh that is in order already reorders elements of equal key: a click that adds
// no node must not shuffle the numbers, nor leave element results on other elements.
TEST(AddWellTool, RefusalOrSnapKeepsTheMeshInItsOrder) {
    MeshEditor outside(defaultProblem());
    splitAllInFour(outside.p);
    splitAllInFour(outside.p);
    for (int32_t e = 0; e < outside.p.NM; ++e)
        outside.p.elements[at(e)].qx = e; // results of a solve, one per element
    const Problem before = outside.p;
    outside.addWell.button();
    const ToolResponse refused = outside.addWell.press(1500, 800);
    EXPECT_EQ(refused.message,
              "Well outside mesh\n\nA new well must be located inside the mesh of finite elements.");
    EXPECT_EQ(refused.changed, Change::None);
    expectSameBlocksAndMesh(outside.p, before);
    EXPECT_FALSE(outside.state.newNodeMode);

    // On node 12 (250, 125): the well is there, in the numbering the mesh had.
    ASSERT_EQ(outside.p.nodes[11].X, 250);
    ASSERT_EQ(outside.p.nodes[11].Y, 125);
    outside.addWell.button();
    EXPECT_EQ(outside.addWell.press(252, 126).changed, Change::Counts | Change::Wells);
    ASSERT_EQ(outside.p.NW, 1);
    EXPECT_EQ(outside.p.wellNodes[0], 11);
    Problem withWell = before;
    withWell.NW = 1;
    expectSameBlocksAndMesh(outside.p, withWell);
    for (int32_t e = 0; e < outside.p.NM; ++e)
        EXPECT_EQ(outside.p.elements[at(e)].qx, e) << "element " << e + 1;
}

TEST(AddWellTool, RefusedAtTheWellCapacity) {
    Limits limits;
    limits.BMAX = 1;
    MeshEditor full(defaultProblem(limits));
    full.addWell.button();
    full.addWell.press(100, 100); // a new centre node takes the one well
    ASSERT_EQ(full.p.NW, 1);
    const ToolResponse button = full.addWell.button();
    EXPECT_EQ(button.message, "Capacity exceeded\n\n"
                              "The number of wells can not be increased further.\n\n"
                              "The capacity of the program can be increased by increasing the value of "
                              "BMAX in the main window.");
    EXPECT_FALSE(full.state.newNodeMode);
    EXPECT_FALSE(full.display.labelShown);
}

TEST(SplitMesh, ARefusedPassLeavesTheMeshAsItFoundIt) {
    // Up front: six nodes do not fit a quarter of a twelve-node table.
    Limits small;
    small.NMAX = 12;
    Problem p = defaultProblem(small);
    ASSERT_TRUE(splitMesh(p, SplitKind::IntoFour).ok());
    p.resultsStale = false;
    const Problem before = p;
    const Result refused = splitMesh(p, SplitKind::IntoFour);
    EXPECT_EQ(refused.outcome, Outcome::RefusedCapacity);
    EXPECT_NE(refused.message.find("into 4 elements"), std::string::npos);
    expectSameBlocksAndMesh(p, before);
    EXPECT_FALSE(p.resultsStale);

    // Part-way: the second Split 2 of these two blocks cuts a half of the first pass a second
    // time and grows from 4 elements to 9, past a table of 8.
    Limits tight;
    tight.MMAX = 8;
    Problem q = defaultProblem(tight);
    q.LX = q.LY = 1000;
    const double xy[4][2] = {{1000, 800}, {650, 800}, {250, 750}, {100, 200}};
    for (int i = 0; i < 4; ++i) {
        q.nodes[at(i)].X = xy[i][0];
        q.nodes[at(i)].Y = xy[i][1];
    }
    q.NA = 4;
    q.blocks[0] = Block{{0, 1, 2}, 0};
    q.blocks[1] = Block{{0, 2, 3}, 1};
    q.NB = 2;
    resetMesh(q);
    ASSERT_TRUE(splitMesh(q, SplitKind::IntoTwo).ok());
    ASSERT_EQ(q.NM, 4);
    const Problem start = q;
    const Result stopped = splitMesh(q, SplitKind::IntoTwo);
    EXPECT_EQ(stopped.outcome, Outcome::RefusedCapacity);
    EXPECT_NE(stopped.message.find("into 2 elements"), std::string::npos);
    expectSameBlocksAndMesh(q, start);
    EXPECT_EQ(q.saved.NN, start.saved.NN);
}

} // namespace
} // namespace velkor
