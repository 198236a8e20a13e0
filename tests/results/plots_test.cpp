#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

#include "results/contour_plot.h"
#include "results/recording_canvas.h"
#include "results/results_support.h"
#include "results/svg_canvas.h"
#include "results/three_d_graph.h"

namespace velkor {
namespace {

using testing::addParticle;
using testing::addWell;
using testing::compareWithGolden;
using testing::makeDefaultProblem;
using testing::makeStrip;
using testing::makeWellStrip;
using testing::StripLayout;

class RecordingSink : public PageSink {
  public:
    RecordingCanvas recording;
    int width = 800, height = 1100;
    bool beginDocument() override { return true; }
    void newPage() override { recording.calls.push_back("newpage"); }
    void endDocument() override {}
    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    Canvas& canvas() override { return recording; }
};

PlotCallbacks recordLegendIn(RecordingCanvas& canvas) {
    PlotCallbacks callbacks;
    callbacks.legendReady = [&canvas](const std::string& legend) {
        canvas.calls.push_back("legend " + legend);
    };
    return callbacks;
}

bool drawsAnyShape(const RecordingCanvas& canvas) {
    for (const std::string& call : canvas.calls)
        if (call.rfind("line", 0) == 0 || call.rfind("polygon", 0) == 0) return true;
    return false;
}

TEST(ContourPlot, ScreenGeometryOfTheDefaultProblem) {
    Problem problem;
    makeDefaultProblem(problem);
    const PlanView view = screenPlanView(problem, 800, 600);
    ASSERT_TRUE(view.valid);
    // W 799, H 599: margins 39 and 29, drawing area 721 by 545, bottom line 574.
    EXPECT_EQ(view.mx, 39);
    EXPECT_EQ(view.dw, 721);
    EXPECT_EQ(view.dh, 545);
    EXPECT_EQ(view.bottom, 574);
    EXPECT_DOUBLE_EQ(view.s, 545.0 / 500);
    // The plan is limited by the height and centred horizontally: x0 = trunc(-(721/s - 500)/2).
    EXPECT_EQ(view.x0, -80);
    EXPECT_EQ(view.y0, 0);
    EXPECT_DOUBLE_EQ(view.h, 0.1 * std::sqrt(500000.0 / 3));
    CanvasPoint p;
    ASSERT_TRUE(view.map(0, 0, p));
    EXPECT_EQ(p, (CanvasPoint{126, 574}));
    ASSERT_TRUE(view.map(500, 0, p));
    EXPECT_EQ(p, (CanvasPoint{671, 574}));
}

TEST(ContourPlot, NarrowWindowCentresThePlanVertically) {
    Problem problem;
    makeDefaultProblem(problem);
    const PlanView view = screenPlanView(problem, 301, 800);
    ASSERT_TRUE(view.valid);
    EXPECT_DOUBLE_EQ(view.s, 270.0 / 500); // dw = 300 - 2 x 15
    EXPECT_EQ(view.x0, 0);
    EXPECT_LT(view.y0, -100); // the spare height is split above and below
}

TEST(ContourPlot, PrintedGeometryFillsTheScaleFactorOfThePage) {
    Problem problem;
    makeDefaultProblem(problem);
    const PlanView view = printedPlanView(problem, 1000, 1400, printScaleFactor(5));
    ASSERT_TRUE(view.valid);
    // Wp 454, Hp 636, centred: offsets 273 and 382; margins 28 and 39; area 398 by 558.
    EXPECT_EQ(view.ox, 273);
    EXPECT_EQ(view.oy, 382);
    EXPECT_EQ(view.dw, 398);
    EXPECT_EQ(view.dh, 558);
    EXPECT_DOUBLE_EQ(view.s, 398.0 / 500);
    EXPECT_NEAR(view.y0, -(558 / view.s - 500) * 0.5, 1e-12); // not truncated on paper
    CanvasPoint p;
    ASSERT_TRUE(view.map(0, 0, p));
    EXPECT_EQ(p.x, 273 + 28);
}

TEST(ContourPlot, ScreenDrawingOfTheDefaultProblemMatchesItsGolden) {
    Problem problem;
    makeDefaultProblem(problem);
    addParticle(problem, 380, 100, 5);
    RecordingCanvas canvas;
    const PlotReport report = drawContourPlot(problem, canvas, 400, 300, recordLegendIn(canvas));
    EXPECT_EQ(report.legend, "Minimum Contour : 10 m, Maximum Contour : 20 m, Contour Interval : 0.5 m");
    EXPECT_EQ(report.track.result.outcome, Outcome::Done);
    EXPECT_EQ(compareWithGolden(canvas.joined(), "results_contours_default.txt"), "");
}

TEST(ContourPlot, PrintedPageMatchesItsGolden) {
    Problem problem;
    makeWellStrip(problem);
    RecordingSink sink;
    int pageCounter = 2;
    const PlotReport report = printContourPage(problem, sink, pageCounter, 80, printScaleFactor(10));
    EXPECT_EQ(pageCounter, 3);
    EXPECT_TRUE(report.contoursDrawn);
    EXPECT_EQ(compareWithGolden(sink.recording.joined(), "results_print_contours.txt"), "");
}

TEST(ContourPlot, WithoutExtentOrScaleOnlyFrameAndTextAreDrawn) {
    Problem problem;
    makeDefaultProblem(problem);
    for (int i = 0; i < 3; ++i)
        problem.nodes[static_cast<std::size_t>(i)].X = problem.nodes[0].Y = 0;
    problem.nodes[1].Y = problem.nodes[2].Y = 0; // all three nodes on the origin
    addParticle(problem, 0, 0, 5);
    RecordingCanvas canvas;
    const PlotReport report = drawContourPlot(problem, canvas, 400, 300);
    EXPECT_FALSE(report.geometry);
    EXPECT_FALSE(drawsAnyShape(canvas));
    EXPECT_EQ(canvas.calls.back(), "rectangle 19 14 380 274");

    // A print scale factor of 0 leaves no drawing area: header and legend only.
    Problem strip;
    makeWellStrip(strip);
    RecordingSink sink;
    int pageCounter = 1;
    printContourPage(strip, sink, pageCounter, 80, printScaleFactor(0));
    EXPECT_FALSE(drawsAnyShape(sink.recording));
    EXPECT_EQ(sink.recording.calls.back().rfind("text 80 112 |Minimum Contour", 0), 0u);
}

TEST(ContourPlot, NodesOnOneVerticalLineTakeTheScaleFromTheHeight) {
    Problem problem;
    makeDefaultProblem(problem);
    problem.nodes[2].X = 0;
    problem.nodes[2].Y = 250;
    const PlanView view = screenPlanView(problem, 800, 600);
    ASSERT_TRUE(view.valid);
    EXPECT_DOUBLE_EQ(view.s, 545.0 / 500);
}

// A drawing only reads the problem: one made while another one's tracking run is under way (a
// window and a printed page at once) draws the same pathlines, and a cancel stops a drawing
// between sweeps and part-way through the mesh.
TEST(ContourPlot, DrawingsBesideEachOtherAndCancelledOnes) {
    Problem problem;
    makeWellStrip(problem);
    const std::vector<Particle> particles(problem.particles.begin(), problem.particles.begin() + problem.NP);
    RecordingCanvas outer, inner, alone;
    PlotReport nested;
    struct Nested : Feedback {
        const Problem* problem;
        RecordingCanvas* inner;
        PlotReport* nested;
        int sweeps = 0;
        void progress(const Progress&) override {
            if (++sweeps == 1) *nested = drawContourPlot(*problem, *inner, 400, 300);
        }
        bool cancelRequested() override { return sweeps >= 5; }
    } feedback;
    feedback.problem = &problem;
    feedback.inner = &inner;
    feedback.nested = &nested;
    PlotCallbacks callbacks;
    callbacks.feedback = &feedback;
    const PlotReport report = drawContourPlot(problem, outer, 400, 300, callbacks);
    EXPECT_EQ(report.track.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(report.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(report.track.sweeps, 5);
    EXPECT_EQ(nested.track.result.outcome, Outcome::Done);
    EXPECT_EQ(nested.result.outcome, Outcome::Done);
    drawContourPlot(problem, alone, 400, 300);
    EXPECT_EQ(inner.calls, alone.calls);
    for (int32_t p = 0; p < problem.NP; ++p) {
        EXPECT_EQ(problem.particles[static_cast<std::size_t>(p)].Z, particles[static_cast<std::size_t>(p)].Z);
        EXPECT_EQ(problem.particles[static_cast<std::size_t>(p)].element,
                  particles[static_cast<std::size_t>(p)].element);
    }

    // Cancelled before the mesh is done: no contour and no pathline is drawn.
    Problem large;
    StripLayout layout;
    layout.nx = 400; // 16000 elements: the first ask comes after 4096 of them
    layout.ny = 20;
    makeStrip(large, layout);
    addParticle(large, 20, 50, 4);
    struct Cancelling : Feedback {
        bool cancelRequested() override { return true; }
    } cancelling;
    PlotCallbacks stop;
    stop.feedback = &cancelling;
    // Wide enough that every element is drawn with its sides (not the block outline of a dense
    // mesh).
    RecordingCanvas cut, whole;
    const PlotReport stopped = drawContourPlot(large, cut, 2000, 600, stop);
    EXPECT_EQ(stopped.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(stopped.track.result.outcome, Outcome::NothingToDo);
    drawContourPlot(large, whole, 2000, 600);
    const auto polygons = [](const RecordingCanvas& canvas) {
        return std::count_if(canvas.calls.begin(), canvas.calls.end(),
                             [](const std::string& call) { return call.rfind("polygon", 0) == 0; });
    };
    EXPECT_EQ(polygons(whole), 16000);
    EXPECT_LT(polygons(cut), 1000); // asked after a few hundred elements
    const PlotReport graph = draw3DGraph(large, cut, 400, 300, GraphChoices{}, stop);
    EXPECT_EQ(graph.result.outcome, Outcome::Cancelled);
}

TEST(ThreeDGraph, DefaultOptionsAtFortyFiveDegrees) {
    const OptionSettings options;
    const GraphChoices choices = options.graphChoices();
    EXPECT_TRUE(choices.CheckWater);
    EXPECT_TRUE(choices.CheckCont);
    EXPECT_TRUE(choices.CheckBottom);
    EXPECT_FALSE(choices.CheckTop);
    EXPECT_DOUBLE_EQ(choices.angleDegrees, 45);

    Problem problem;
    makeDefaultProblem(problem);
    const GraphView view = screenGraphView(problem, choices.angleDegrees, 800, 600);
    ASSERT_TRUE(view.valid);
    EXPECT_NEAR(view.cosTheta, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(view.sinTheta, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(view.A, 500 + 500 * std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(view.P, 500 * std::sqrt(0.5), 1e-9);
    EXPECT_DOUBLE_EQ(view.Zr, 20); // heads 10..20, bottom 0
    // The plan takes half the drawing height (545 / 2P < 721 / A); the elevations fill the rest.
    EXPECT_DOUBLE_EQ(view.s, 545 / (2 * view.P));
    EXPECT_NEAR(view.e, view.P / 20, 1e-9);
    EXPECT_NEAR(view.x0, -(721 / view.s - view.A) * 0.5, 1e-12);
    // The far corner of the water table projects to the top of the drawing area.
    CanvasPoint top;
    ASSERT_TRUE(view.map(0, 500, 20, top));
    EXPECT_NEAR(top.y, 574 - 545, 1);

    // The bottom mesh is drawn first and the groundwater table over it.
    RecordingCanvas canvas;
    draw3DGraph(problem, canvas, 800, 600, choices);
    std::vector<std::string> pens;
    for (const std::string& call : canvas.calls)
        if (call.rfind("pen", 0) == 0) pens.push_back(call.substr(4, call.find(' ', 4) - 4));
    const std::vector<std::string> expected = {"0,0,0",   "0,255,0", "0,255,255",
                                               "255,0,0", "255,0,0", "0,0,0"};
    EXPECT_EQ(pens, expected);
}

TEST(ViewingAngle, TrackPositionsGiveOneToEightyNineDegrees) {
    EXPECT_DOUBLE_EQ(viewingAngleDegrees(0), 1);
    EXPECT_DOUBLE_EQ(viewingAngleDegrees(1), 9);
    EXPECT_DOUBLE_EQ(viewingAngleDegrees(5), 45);
    EXPECT_DOUBLE_EQ(viewingAngleDegrees(10), 89);
    EXPECT_DOUBLE_EQ(printScaleFactor(10), 10 / 11.0);
    EXPECT_DOUBLE_EQ(printScaleFactor(5), 5 / 11.0);
    EXPECT_EQ(printScaleFactor(0), 0);
}

TEST(ThreeDGraph, StripWithWellAndPathlinesMatchesItsGolden) {
    Problem problem;
    makeWellStrip(problem);
    RecordingCanvas canvas;
    GraphChoices choices;
    choices.CheckTop = true;
    const PlotReport report = draw3DGraph(problem, canvas, 400, 300, choices, recordLegendIn(canvas));
    EXPECT_TRUE(report.contoursDrawn);
    EXPECT_EQ(compareWithGolden(canvas.joined(), "results_3d_well.txt"), "");
}

TEST(ThreeDGraph, PrintedPageMatchesItsGolden) {
    Problem problem;
    makeWellStrip(problem);
    RecordingSink sink;
    int pageCounter = 1;
    GraphChoices choices;
    choices.angleDegrees = 30;
    print3DPage(problem, sink, pageCounter, 80, choices, printScaleFactor(8));
    EXPECT_EQ(pageCounter, 2);
    EXPECT_EQ(compareWithGolden(sink.recording.joined(), "results_print_3d.txt"), "");

    // With contours switched off no legend is printed.
    RecordingSink plain;
    choices.CheckCont = false;
    print3DPage(problem, plain, pageCounter, 80, choices, printScaleFactor(8));
    for (const std::string& call : plain.recording.calls)
        EXPECT_EQ(call.find("Minimum Contour"), std::string::npos);
    EXPECT_EQ(plain.recording.calls.front(), "font Courier New|8|regular|upright");
    EXPECT_EQ(plain.recording.calls[1], "newpage");
}

TEST(ThreeDGraph, FlatOrLineShapedProblemsDrawWithoutInvalidNumbers) {
    // All elevations equal: no exaggeration, the plan alone.
    Problem flat;
    makeDefaultProblem(flat);
    for (int i = 0; i < 3; ++i) {
        Node& node = flat.nodes[static_cast<std::size_t>(i)];
        node.B = node.T = node.F = 10;
    }
    GraphView view = screenGraphView(flat, 45, 800, 600);
    ASSERT_TRUE(view.valid);
    EXPECT_EQ(view.e, 0);
    RecordingCanvas canvas;
    draw3DGraph(flat, canvas, 800, 600, GraphChoices{});
    EXPECT_TRUE(drawsAnyShape(canvas));

    // Nodes on one line of constant y: no plan depth; the width sets the scale.
    Problem line;
    makeDefaultProblem(line);
    line.nodes[1].Y = 0;
    line.nodes[1].X = 250;
    view = screenGraphView(line, 45, 800, 600);
    ASSERT_TRUE(view.valid);
    EXPECT_DOUBLE_EQ(view.P, 0);
    EXPECT_DOUBLE_EQ(view.s, 721 / view.A);

    // One point, or no room at all: the frame of the drawing area only.
    Problem point;
    makeDefaultProblem(point);
    for (int i = 0; i < 3; ++i)
        point.nodes[static_cast<std::size_t>(i)].X = point.nodes[static_cast<std::size_t>(i)].Y = 0;
    RecordingCanvas empty;
    const PlotReport report = draw3DGraph(point, empty, 800, 600, GraphChoices{});
    EXPECT_FALSE(report.geometry);
    EXPECT_FALSE(drawsAnyShape(empty));
    RecordingSink sink;
    int pageCounter = 1;
    print3DPage(line, sink, pageCounter, 80, GraphChoices{}, 0);
    EXPECT_FALSE(drawsAnyShape(sink.recording));
}

TEST(SvgCanvas, TextIsEscapedAndStylesAreGrouped) {
    SvgCanvas canvas(100, 50);
    EXPECT_EQ(svgEscapedText("Q (m\xb3/d) <a & b> \x80"), "Q (m&#xB3;/d) &lt;a &amp; b&gt; &#x20AC;");
    canvas.setPenColour(kRed);
    canvas.line(0, 0, 10, 10);
    canvas.line(10, 10, 20, 0);
    canvas.setPenColour(kBlue);
    canvas.polygon({0, 0}, {5, 5}, {0, 5});
    canvas.text(3, 4, "W");
    const std::string svg = canvas.document();
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(
        svg.find("<g fill=\"rgb(255,255,255)\" stroke=\"rgb(255,0,0)\" stroke-width=\"1\">\n<line x1=\"0\" "
                 "y1=\"0\" x2=\"10\" y2=\"10\"/>\n<line x1=\"10\" y1=\"10\" x2=\"20\" y2=\"0\"/>\n</g>"),
        std::string::npos);
    EXPECT_NE(svg.find("<polygon points=\"0,0 5,5 0,5\"/>\n</g>\n<text x=\"3\""), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_GT(canvas.textWidth("WWWW"), canvas.textWidth("W"));
}

TEST(SvgCanvas, StreamedPictureIsTheSameInBoundedPieces) {
    // Regression: a picture was built whole in memory (440 MB for a stagnant tracking run).
    struct Pieces : TextSink {
        std::string text;
        std::size_t count = 0, largest = 0;
        void write(std::string_view piece) override {
            text.append(piece);
            ++count;
            largest = std::max(largest, piece.size());
        }
    } pieces;
    SvgCanvas held(640, 480, kSilver), streamed(pieces, 640, 480, kSilver);
    for (SvgCanvas* canvas : {&held, &streamed}) {
        for (int i = 0; i < 20000; ++i) {
            canvas->setPenColour(i % 1000 == 0 ? kBlue : kRed);
            canvas->line(i % 640, i % 480, (i * 7) % 640, (i * 3) % 480);
        }
        canvas->text(5, 5, "Contour Interval : 0.3 m");
    }
    streamed.finish();
    EXPECT_EQ(pieces.text, held.document());
    EXPECT_GT(pieces.count, 5u);
    EXPECT_LT(pieces.largest, std::size_t{70000});
}

} // namespace
} // namespace velkor
