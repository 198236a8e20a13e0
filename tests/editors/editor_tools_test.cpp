#include "editors/editor_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "editors/editors_test_support.h"
#include "editors/view_mapping.h"
#include "mesh/refinement.h"
#include "model/number_text.h"
#include "operations/mesh_edits.h"

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
    EditorTool idle{p, state, display}; // no mode on
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

// A mode switched on changes nothing of the problem: its results go only when the mesh does.
TEST(EditorButtons, AtMostOneModeEachAndTheProblemUntouched) {
    BlockEditor editor(defaultProblem());
    editor.p.resultsStale = false;
    editor.state.exitCount = 5;
    editor.newNode.button();
    EXPECT_TRUE(editor.state.newNodeMode);
    EXPECT_EQ(editor.state.pendingNode, 3);
    EXPECT_EQ(editor.display.label, "New Node 4");
    EXPECT_FALSE(editor.p.resultsStale);
    EXPECT_EQ(editor.state.exitCount, 5); // only Drag Node starts the count again

    editor.p.resultsStale = false;
    editor.line.button();
    EXPECT_FALSE(editor.state.newNodeMode);
    EXPECT_TRUE(editor.state.lineMode);
    EXPECT_EQ(editor.display.label, "New Line");
    EXPECT_FALSE(editor.p.resultsStale);

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

TEST(NewNodeTool, PreviewNeverPassesTheNodeTableAndRefusalsKeepTheBlocks) {
    BlockEditor inside(defaultProblem());
    inside.newNode.button();
    EXPECT_FALSE(inside.newNode.move(1500, 800).redraw);
    EXPECT_EQ(inside.p.nodes[3].X, 1500); // the row of the node to come: a preview, not a node
    EXPECT_EQ(inside.p.nodes[3].F, 10);
    EXPECT_EQ(inside.p.NA, 3);
    const Problem before = inside.p;
    const ToolResponse onSide = inside.newNode.press(250, 250); // on the side of block 1
    EXPECT_EQ(onSide.message, "Node inside block\n\nA new node must be located outside all existing blocks.");
    EXPECT_EQ(onSide.changed, Change::None);
    EXPECT_FALSE(inside.state.newNodeMode);
    expectSameBlocksAndMesh(inside.p, before);

    // The default problem fills a node table of three rows: the preview and the boxes have no
    // row to write, and the click is refused.
    Limits limits;
    limits.NMAX = 3;
    BlockEditor full(defaultProblem(limits));
    ASSERT_EQ(full.p.nodes.size(), 3u);
    full.newNode.button();
    EXPECT_EQ(full.display.label, "New Node 4");
    full.newNode.move(1500, 800);
    EXPECT_EQ(full.display.editX, "  1500.000");
    EXPECT_EQ(full.newNode.exit(CoordinateBox::X, "100").changed, Change::None);
    const Problem fullBefore = full.p;
    const ToolResponse refused = full.newNode.press(1500, 800);
    EXPECT_EQ(refused.message.rfind("Capacity exceeded\n\nThe number of nodes and/or blocks", 0), 0u);
    EXPECT_FALSE(refused.redraw);
    EXPECT_FALSE(full.state.newNodeMode);
    expectSameBlocksAndMesh(full.p, fullBefore);
}

// The boxes vanished at the release, so that coordinates could never be typed for a dragged node.
TEST(DragNodeTool, BoxesStayWithTheNodeAndEnterMovesItToTheTypedPointHeldToTheArea) {
    BlockEditor editor(defaultProblem());
    const double LX = editor.p.LX, LY = editor.p.LY;
    ASSERT_GT(LX, 600);
    ASSERT_GT(LY, 600);
    editor.drag.button();
    editor.drag.press(0, 500); // node 2
    editor.drag.move(100, 600);
    editor.drag.release(100, 600);
    EXPECT_FALSE(editor.state.dragMode);
    EXPECT_TRUE(editor.display.panelShown);
    EXPECT_EQ(editor.display.editX, "   100.000");
    EXPECT_EQ(editor.display.editY, "   600.000");
    ASSERT_TRUE(editor.idle.takesEnter());
    EXPECT_STREQ(editor.idle.enterStepName(), "Move Node");

    // Beyond the area on both sides: the upper ends, then the lower ends (text that is no number
    // reads as 0).
    ToolResponse moved = editor.idle.enter(" 2500e0", "99999");
    EXPECT_EQ(editor.p.nodes[1].X, LX);
    EXPECT_EQ(editor.p.nodes[1].Y, LY);
    EXPECT_NE(moved.changed, Change::None);
    EXPECT_TRUE(moved.redraw);
    EXPECT_EQ(editor.display.editX, format("%10.3f", LX));
    EXPECT_EQ(editor.display.editY, format("%10.3f", LY));
    moved = editor.idle.enter("abc", "-7");
    EXPECT_EQ(editor.p.nodes[1].X, 0);
    EXPECT_EQ(editor.p.nodes[1].Y, 0);
    editor.idle.enter("123.5", "321.25");
    EXPECT_EQ(editor.p.nodes[1].X, 123.5);
    EXPECT_EQ(editor.p.nodes[1].Y, 321.25);
    EXPECT_EQ(editor.p.nodes[0].X, 0); // the other nodes stay
    EXPECT_EQ(editor.p.nodes[2].X, 500);
    EXPECT_TRUE(editor.display.panelShown);

    // A click elsewhere puts the boxes away; Enter then does nothing.
    editor.idle.press(1500, 900);
    EXPECT_FALSE(editor.display.panelShown);
    EXPECT_FALSE(editor.idle.takesEnter());
    EXPECT_EQ(editor.idle.enter("10", "10").changed, Change::None);
    EXPECT_EQ(editor.p.nodes[1].X, 123.5);

    // A press far from every node picks nothing: no boxes after the release.
    editor.drag.button();
    editor.drag.press(1500, 900);
    editor.drag.release(1500, 900);
    EXPECT_FALSE(editor.display.panelShown);
    EXPECT_FALSE(editor.idle.takesEnter());
}

TEST(NewNodeTool, EnterPlacesTheNewNodeAtTheTypedPointAsAClickThere) {
    BlockEditor editor(defaultProblem());
    const double LY = editor.p.LY;
    EXPECT_FALSE(editor.newNode.takesEnter());
    editor.newNode.button();
    ASSERT_TRUE(editor.newNode.takesEnter());
    EXPECT_STREQ(editor.newNode.enterStepName(), "New Node");
    const ToolResponse added = editor.newNode.enter("1500", "99999");
    EXPECT_TRUE(added.message.empty()) << added.message;
    EXPECT_EQ(editor.p.NA, 4);
    EXPECT_EQ(editor.p.NB, 2);
    EXPECT_EQ(editor.p.nodes[3].X, 1500);
    EXPECT_EQ(editor.p.nodes[3].Y, LY);
    EXPECT_FALSE(editor.state.newNodeMode); // one node per press of the button, as with a click
    EXPECT_FALSE(editor.newNode.takesEnter());

    editor.newNode.button();
    const Problem before = editor.p;
    const ToolResponse inside = editor.newNode.enter("100", "100");
    EXPECT_EQ(inside.message, "Node inside block\n\nA new node must be located outside all existing blocks.");
    expectSameBlocksAndMesh(editor.p, before);
}

// The mesh editor's tool, on a state shared with a block editor.
struct MeshEditor {
    explicit MeshEditor(Problem problem) : p(std::move(problem)) {}
    Problem p;
    EditorState state;
    EditorDisplay display;
    AddWellTool addWell{p, state, display};
};

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
    // Its discharge slot still holds the discharge of a well dropped earlier; the new one pumps
    // nothing.
    outside.p.wellQ[0] = -250;
    outside.addWell.button();
    EXPECT_EQ(outside.addWell.press(252, 126).changed, Change::Counts | Change::Wells);
    ASSERT_EQ(outside.p.NW, 1);
    EXPECT_EQ(outside.p.wellNodes[0], 11);
    EXPECT_EQ(outside.p.wellQ[0], 0);
    Problem withWell = before;
    withWell.NW = 1;
    expectSameBlocksAndMesh(outside.p, withWell);
    for (int32_t e = 0; e < outside.p.NM; ++e)
        EXPECT_EQ(outside.p.elements[at(e)].qx, e) << "element " << e + 1;
}

TEST(SplitMesh, ARefusedPassLeavesTheMeshAsItFoundIt) {
    // Up front: six nodes do not fit a quarter of a twelve-node table.
    Limits small;
    small.NMAX = 12;
    Problem p = defaultProblem(small);
    ASSERT_TRUE(splitMesh(p, SplitKind::IntoFour).ok());
    p.resultsStale = false;
    const Problem before = p;
    const Result refused = splitMesh(p, SplitKind::IntoFour).result;
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
    const Result stopped = splitMesh(q, SplitKind::IntoTwo).result;
    EXPECT_EQ(stopped.outcome, Outcome::RefusedCapacity);
    EXPECT_NE(stopped.message.find("into 2 elements"), std::string::npos);
    expectSameBlocksAndMesh(q, start);
    EXPECT_EQ(q.saved.NN, start.saved.NN);
}

} // namespace
} // namespace velkor

namespace velkor {
namespace {

// The default triangle split twice: nodes on a grid of 125 m, (0, 0) to (500, 0) and (0, 500).
// The window tells the tool that a pixel is a metre: drags start beyond 4 m, lines catch within
// 5 m.
struct SetNodesEditor {
    SetNodesEditor() : p(test::defaultProblem()) {
        splitAllInFour(p);
        splitAllInFour(p);
        tool.setPixelSize(1);
    }
    Problem p;
    EditorState state;
    EditorDisplay display;
    SetNodesTool tool{p, state, display};
    AddWellTool addWell{p, state, display};

    // The caught nodes as coordinates, in the order of the selection.
    std::vector<std::pair<double, double>> caught() const {
        std::vector<std::pair<double, double>> points;
        for (const int32_t n : tool.selection().nodes)
            points.emplace_back(p.nodes[static_cast<std::size_t>(n)].X,
                                p.nodes[static_cast<std::size_t>(n)].Y);
        std::sort(points.begin(), points.end());
        return points;
    }
    void click(double x, double y) {
        tool.press(x, y);
        tool.release(x, y);
    }
};

using Points = std::vector<std::pair<double, double>>;

TEST(SetNodesTool, ADragCatchesItsRectangleAndSetsNothingItself) {
    SetNodesEditor editor;
    SetNodesTool& tool = editor.tool;
    // Moves and clicks while the mode is off pick nothing.
    editor.click(0, 0);
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::None);

    editor.addWell.button();
    ASSERT_TRUE(editor.state.newNodeMode);
    tool.button();
    EXPECT_TRUE(tool.active());
    EXPECT_FALSE(editor.state.newNodeMode); // Add Well is off
    EXPECT_EQ(editor.display.label, "Set Nodes");
    EXPECT_TRUE(editor.display.labelShown);

    const Problem before = editor.p;
    tool.press(-10, -10);
    // Within 4 pixels of the press it may still be a click: nothing is drawn.
    EXPECT_FALSE(tool.move(-6, -6).redraw);
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::Pressed);
    EXPECT_TRUE(tool.move(200, 60).redraw);
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::Rectangle);
    EXPECT_EQ(editor.display.editX, "   200.000");
    EXPECT_TRUE(editor.display.panelShown);
    const ToolResponse released = tool.release(260, 10);
    EXPECT_TRUE(released.redraw);
    EXPECT_EQ(released.changed, Change::None);
    ASSERT_TRUE(tool.selectionReady());
    EXPECT_EQ(tool.selection().shape, SelectionShape::Rectangle);
    EXPECT_EQ(editor.caught(), (Points{{0, 0}, {125, 0}, {250, 0}}));
    // Picking reads the problem only.
    EXPECT_EQ(editor.p.nodes[0].Type, before.nodes[0].Type);
    EXPECT_EQ(editor.p.nodes[0].F, before.nodes[0].F);

    // A complete pick waits for the window: more events change nothing.
    tool.press(400, 400);
    tool.release(400, 400);
    EXPECT_EQ(tool.selection().nodes.size(), 3u);
    tool.finish();
    EXPECT_FALSE(tool.active());
    EXPECT_FALSE(tool.selectionReady());
    EXPECT_FALSE(editor.display.labelShown);
}

TEST(SetNodesTool, ClicksLayALineEndedByEnterOrADoubleClickAndEscapeDropsIt) {
    SetNodesEditor editor;
    SetNodesTool& tool = editor.tool;
    tool.button();
    editor.click(0, 0);
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::Polyline);
    editor.click(3, 2); // the same point, a pixel or two off: no new corner
    EXPECT_EQ(tool.pick().points.size(), 1u);
    EXPECT_TRUE(tool.move(2, 300).redraw);
    EXPECT_EQ(tool.pick().end.y, 300);
    // A drag while a line is laid is a click where the mouse lets go.
    tool.press(0, 250);
    tool.move(60, 250);
    tool.release(4, 500);
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::Polyline);
    ASSERT_EQ(tool.pick().points.size(), 2u);
    EXPECT_FALSE(tool.selectionReady());
    tool.enterKey();
    ASSERT_TRUE(tool.selectionReady());
    EXPECT_EQ(tool.selection().shape, SelectionShape::Polyline);
    // Within 5 m of the line from (0, 0) to (4, 500): the five nodes of the side x = 0.
    EXPECT_EQ(editor.caught(), (Points{{0, 0}, {0, 125}, {0, 250}, {0, 375}, {0, 500}}));
    tool.finish();

    // A double click ends a line with the point of its first click; Qt sends press, release,
    // double click, release.
    tool.button();
    editor.click(125, 4);
    editor.click(500, 4);
    tool.doubleClick(500, 4);
    tool.release(500, 4);
    ASSERT_TRUE(tool.selectionReady());
    EXPECT_EQ(editor.caught(), (Points{{125, 0}, {250, 0}, {375, 0}, {500, 0}}));
    tool.finish();

    // Farther than the tolerance: caught is nothing, and the pick is complete all the same.
    tool.button();
    editor.click(60, 10);
    tool.doubleClick(60, 10);
    ASSERT_TRUE(tool.selectionReady());
    EXPECT_TRUE(tool.selection().empty());
    tool.finish();

    // Escape drops the line and ends the mode; Enter without a line does nothing.
    tool.button();
    tool.enterKey();
    EXPECT_FALSE(tool.selectionReady());
    editor.click(0, 0);
    EXPECT_TRUE(tool.escapeKey().redraw);
    EXPECT_FALSE(tool.active());
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::None);
    EXPECT_FALSE(tool.selectionReady());
}

// At two metres a pixel the same gestures reach twice as far.
TEST(SetNodesTool, DistancesFollowTheScaleOfTheView) {
    SetNodesEditor editor;
    SetNodesTool& tool = editor.tool;
    tool.setPixelSize(2);
    EXPECT_EQ(tool.tolerance(), 10);
    tool.button();
    tool.press(0, 0);
    tool.move(7, 7); // 3.5 pixels
    EXPECT_EQ(tool.pick().phase, NodePick::Phase::Pressed);
    tool.release(7, 7);
    tool.doubleClick(7, 7);
    EXPECT_EQ(editor.caught(), (Points{{0, 0}}));
}

} // namespace
} // namespace velkor
