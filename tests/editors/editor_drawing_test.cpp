#include "editors/editor_drawing.h"

#include <gtest/gtest.h>

#include "editors/editors_test_support.h"
#include "mesh/refinement.h"
#include "results/plan_index.h"
#include "results/recording_canvas.h"
#include "results/zoom_view.h"

namespace velkor {
namespace {

using test::defaultProblem;

// A 401 x 300 client area shows the default 2000 x 1000 m area at 0.18 pixels per metre, from
// x = 20 to 380 and from y = 234 (y = 0 m) up to 54 (y = 1000 m).
const ViewMapping kView = ViewMapping::compute(401, 300, 2000, 1000);

const char* const kFrame = "pen 192,192,192 solid 1 copy\n"
                           "brush 192,192,192\n"
                           "rectangle 18 52 20 236\n"
                           "rectangle 380 52 382 236\n"
                           "rectangle 18 234 382 236\n"
                           "rectangle 18 52 382 54\n"
                           "pen 255,255,255 solid 1 copy\n"
                           "brush 255,255,255\n"
                           "rectangle 20 54 380 234\n";

TEST(EditorDrawing, BlocksNumberedOnTheirColourMainNodesOnWhite) {
    const Problem p = defaultProblem();
    RecordingCanvas canvas;
    drawBlockEditor(canvas, p, kView);
    EXPECT_EQ(canvas.joined(), std::string(kFrame) + "pen 0,0,0 solid 1 copy\n"
                                                     "font Courier New|13px|regular|italic\n"
                                                     "brush 240,8,8\n"
                                                     "polygon 20 234 20 144 110 234\n"
                                                     "text 50 204 |1|\n"
                                                     "brush 255,255,255\n"
                                                     "font Courier New|11px|regular|upright\n"
                                                     "text 18 230 |1|\n"
                                                     "text 18 140 |2|\n"
                                                     "text 108 230 |3|\n");
}

TEST(EditorDrawing, ElementsInTheirSoilColourWellsAsRedCircles) {
    Problem p = defaultProblem();
    splitAllInFour(p);      // elements (1,4,5), (2,6,4), (6,5,4), (3,5,6); node 6 at (250, 250)
    p.elements[1].soil = 1; // the second element in the colour of block 2
    p.wellNodes[0] = 5;
    p.wellNodes[1] = 99; // a well on a node the table does not hold is not drawn
    p.NW = 2;
    RecordingCanvas canvas;
    drawMeshEditor(canvas, p, kView);
    EXPECT_EQ(canvas.joined(), std::string(kFrame) + "pen 0,0,0 solid 1 copy\n"
                                                     "brush 240,8,8\n"
                                                     "polygon 20 234 20 189 65 234\n"
                                                     "brush 8,240,8\n"
                                                     "polygon 20 144 65 189 20 189\n"
                                                     "brush 240,8,8\n"
                                                     "polygon 65 189 65 234 20 189\n"
                                                     "polygon 110 234 65 234 65 189\n"
                                                     "pen 255,0,0 solid 1 copy\n"
                                                     "brush 255,255,255\n"
                                                     "ellipse 62 186 68 192\n"
                                                     "pen 0,0,0 solid 1 copy\n");
}

TEST(EditorDrawing, RubberBandInNotXorOnlyWhileALineIsStarted) {
    EditorState state;
    RecordingCanvas canvas;
    drawRubberBand(canvas, state, kView);
    EXPECT_TRUE(canvas.calls.empty());
    state.lineStarted = true;
    state.lineStartX = 0;
    state.lineStartY = 500;
    state.rubberEndX = 1000;
    state.rubberEndY = 1000;
    drawRubberBand(canvas, state, kView);
    EXPECT_EQ(canvas.joined(), "pen 0,0,0 solid 1 notxor\n"
                               "line 20 144 200 54\n"
                               "pen 0,0,0 solid 1 copy\n");
}

// Split five times the default block has 1024 elements of about 15 x 15 m: under 3 pixels at
// 0.18 pixels per metre.
Problem fineMesh() {
    Problem p = defaultProblem(Limits{20, 2000, 4000, 10});
    for (int pass = 0; pass < 5; ++pass)
        splitAllInFour(p);
    return p;
}

int countCalls(const RecordingCanvas& canvas, const std::string& kind) {
    int n = 0;
    for (const std::string& call : canvas.calls)
        n += call.rfind(kind + " ", 0) == 0;
    return n;
}

TEST(EditorDrawing, ElementsTooSmallForTheirSidesShowTheirBlockFilledAndOutlined) {
    const Problem p = fineMesh();
    RecordingCanvas canvas;
    drawMeshEditor(canvas, p, kView);
    // The block in its colour, outlined with black after; no element drawn.
    EXPECT_EQ(countCalls(canvas, "polygon"), 1);
    EXPECT_EQ(countCalls(canvas, "line"), 3);
    EXPECT_NE(
        canvas.joined().find("pen 240,8,8 solid 1 copy\nbrush 240,8,8\npolygon 20 234 20 144 110 234\n"),
        std::string::npos);

    // Eight times closer every element in view has its sides; with or without the runs of the
    // mesh the picture is the same; without mesh lines only the block is drawn.
    ZoomView zoom;
    kView.through(zoom);
    zoom.zoomAbout(40, 220, 8);
    const ViewMapping near = kView.through(zoom);
    const ElementRuns runs(p);
    MeshPictureOptions culled;
    culled.cull = true;
    culled.canvasWidth = 401;
    culled.canvasHeight = 300;
    RecordingCanvas plain, indexed, bare;
    drawMeshEditor(plain, p, near, culled);
    culled.runs = &runs;
    drawMeshEditor(indexed, p, near, culled);
    EXPECT_EQ(indexed.calls, plain.calls);
    EXPECT_GT(countCalls(plain, "polygon"), 20);
    EXPECT_LT(countCalls(plain, "polygon"), p.NM / 2);
    culled.meshLines = false;
    drawMeshEditor(bare, p, near, culled);
    EXPECT_EQ(countCalls(bare, "polygon"), 1);
}

} // namespace
} // namespace velkor

namespace velkor {
namespace {

// The band over the mesh in not-xor (gone when drawn again), the caught nodes as yellow squares
// only once the pick is complete, and nothing at all while the mode is off.
TEST(EditorDrawing, SetNodesBandLineAndCaughtNodes) {
    Problem p = test::defaultProblem();
    splitAllInFour(p); // nodes at (0, 0), (0, 500), (500, 0), (0, 250), (250, 0), (250, 250)
    EditorState state;
    EditorDisplay display;
    SetNodesTool tool(p, state, display);
    tool.setPixelSize(1 / kView.scale);
    RecordingCanvas idle;
    drawNodePick(idle, p, tool, kView);
    EXPECT_TRUE(idle.calls.empty());

    tool.button();
    tool.press(-100, -100);
    tool.move(300, 100);
    // From (-100, -100) to (300, 100) m: x 2 to 74 and y 252 to 216 pixels.
    const std::string rectangle = "pen 0,0,0 solid 1 notxor\n"
                                  "line 2 252 74 252\n"
                                  "line 74 252 74 216\n"
                                  "line 74 216 2 216\n"
                                  "line 2 216 2 252\n"
                                  "pen 0,0,0 solid 1 copy\n";
    RecordingCanvas band;
    drawNodePick(band, p, tool, kView);
    EXPECT_EQ(band.joined(), rectangle);
    tool.release(300, 100);
    ASSERT_TRUE(tool.selectionReady());
    RecordingCanvas caught;
    drawNodePick(caught, p, tool, kView);
    EXPECT_EQ(caught.joined(), rectangle + "brush 255,255,0\n"
                                           "rectangle 17 231 23 237\n"
                                           "rectangle 62 231 68 237\n");
    tool.finish();

    // A line being laid runs on to the mouse.
    tool.button();
    tool.press(0, 0);
    tool.release(0, 0);
    tool.move(0, 500);
    RecordingCanvas line;
    drawNodePick(line, p, tool, kView);
    EXPECT_EQ(line.joined(), "pen 0,0,0 solid 1 notxor\n"
                             "line 20 234 20 144\n"
                             "pen 0,0,0 solid 1 copy\n");
}

} // namespace
} // namespace velkor
