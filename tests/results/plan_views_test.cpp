// The plan picture beyond its plain form: zoomed views, level of detail, labelled contours, the
// scale bar and the replay of the pathlines.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "results/contour_labels.h"
#include "results/contour_plot.h"
#include "results/recording_canvas.h"
#include "results/results_support.h"
#include "results/zoom_view.h"

namespace velkor {
namespace {

using testing::addParticle;
using testing::makeStrip;
using testing::StripLayout;

constexpr int kWidth = 900, kHeight = 500;

int count(const RecordingCanvas& canvas, const std::string& kind) {
    int n = 0;
    for (const std::string& call : canvas.calls)
        n += call.rfind(kind + " ", 0) == 0;
    return n;
}

std::vector<int> numbers(const std::string& call) {
    std::istringstream in(call.substr(call.find(' ')));
    std::vector<int> values;
    for (int v; in >> v;)
        values.push_back(v);
    return values;
}

// A strip 1000 m x 100 m, heads 15 m at x = 0 to 10 m at x = 1000 m: the contours are straight
// lines across it, one every 0.3 m of head (from 10 m to 14.8 m).
StripLayout strip(int nx, int ny) {
    StripLayout layout;
    layout.nx = nx;
    layout.ny = ny;
    return layout;
}

TEST(PlanViews, AZoomAtTheFullViewDrawsThePlainPicture) {
    Problem p;
    makeStrip(p, strip(20, 4));
    RecordingCanvas plain, fit;
    drawContourPlot(p, plain, kWidth, kHeight);
    const PlanView full = screenPlanView(p, kWidth, kHeight);
    ZoomView zoom;
    const CanvasArea area = full.drawingArea();
    zoom.setFit(full.planScale(), area.left, area.top, area.right, area.bottom);
    const PlanScale view = zoom.mapping();
    PlanOptions options;
    options.view = &view;
    drawContourPlot(p, fit, kWidth, kHeight, {}, options);
    EXPECT_EQ(fit.calls, plain.calls);
}

TEST(PlanViews, AZoomedPictureDrawsOnlyWhatItShowsWhereTheZoomPutsIt) {
    Problem p;
    makeStrip(p, strip(20, 4));
    const PlanView full = screenPlanView(p, kWidth, kHeight);
    ZoomView zoom;
    const CanvasArea area = full.drawingArea();
    zoom.setFit(full.planScale(), area.left, area.top, area.right, area.bottom);
    zoom.showWorld(WorldRect{450, 0, 550, 100}); // a tenth of the strip: two cells and their neighbours
    const PlanScale view = zoom.mapping();
    PlanOptions options;
    options.view = &view;
    RecordingCanvas zoomed;
    drawContourPlot(p, zoomed, kWidth, kHeight, {}, options);
    const int elements = count(zoomed, "polygon");
    EXPECT_GT(elements, 0);
    EXPECT_LE(elements, 2 * 4 * 6); // the window is 100 m high, and twice as wide: six columns of cells
    // The contour of 12.4 m (heads linear in x: at x = 520 m) is drawn at the zoomed place of x = 520.
    bool found = false;
    for (const std::string& call : zoomed.calls) {
        if (call.rfind("line ", 0) != 0) continue;
        const std::vector<int> n = numbers(call);
        found = found || (n[0] == n[2] && std::abs(n[0] - static_cast<int>(view.column(520))) <= 1);
    }
    EXPECT_TRUE(found);
}

TEST(PlanViews, RunsOfElementsChangeNothingInThePicture) {
    // A fine strip with a well pulling the heads down in its middle: contours everywhere, elements
    // of every size on the canvas as the zoom grows.
    Problem p;
    StripLayout layout = strip(200, 20);
    makeStrip(p, layout);
    for (int32_t n = 0; n < p.NN; ++n) {
        Node& node = p.nodes[static_cast<std::size_t>(n)];
        node.F -= 3 / (1 + std::hypot(node.X - 500, node.Y - 50) / 20);
    }
    const ElementRuns runs(p);
    const PlanView full = screenPlanView(p, kWidth, kHeight);
    ZoomView zoom;
    const CanvasArea area = full.drawingArea();
    zoom.setFit(full.planScale(), area.left, area.top, area.right, area.bottom);
    for (int step = 0; step < 6; ++step) {
        const PlanScale view = zoom.mapping();
        PlanOptions plain;
        plain.view = step > 0 ? &view : nullptr;
        plain.labelContours = true;
        PlanOptions indexed = plain;
        indexed.runs = &runs;
        RecordingCanvas a, b;
        drawContourPlot(p, a, kWidth, kHeight, {}, plain);
        drawContourPlot(p, b, kWidth, kHeight, {}, indexed);
        EXPECT_EQ(a.calls, b.calls) << "zoom " << zoom.zoom();
        EXPECT_GT(count(a, "line"), 10);
        zoom.zoomAbout(450, 250, 2.5);
    }
}

TEST(PlanViews, ElementsTooSmallForTheirSidesLeaveTheBlocksOutlined) {
    Problem p;
    makeStrip(p, strip(400, 40)); // cells of 2.5 m: about 2 pixels at the full view
    RecordingCanvas fine;
    drawContourPlot(p, fine, kWidth, kHeight);
    // The one block filled white and outlined in aqua; no element drawn; the contours still are.
    EXPECT_EQ(count(fine, "polygon"), p.NB);
    EXPECT_GE(count(fine, "line"), 3 * p.NB);
    EXPECT_GT(count(fine, "line"), 3 * p.NB + 40);

    // Zoomed in eight times, the cells are 16 pixels: every element in view with its sides.
    const PlanView full = screenPlanView(p, kWidth, kHeight);
    ZoomView zoom;
    const CanvasArea area = full.drawingArea();
    zoom.setFit(full.planScale(), area.left, area.top, area.right, area.bottom);
    zoom.zoomAbout(450, 250, 8);
    const PlanScale view = zoom.mapping();
    PlanOptions options;
    options.view = &view;
    RecordingCanvas near;
    drawContourPlot(p, near, kWidth, kHeight, {}, options);
    EXPECT_GT(count(near, "polygon"), 1000);
    EXPECT_LT(count(near, "polygon"), p.NM / 4);

    // Mesh lines off: no element at all, the block outlined.
    options.meshLines = false;
    RecordingCanvas bare;
    drawContourPlot(p, bare, kWidth, kHeight, {}, options);
    EXPECT_EQ(count(bare, "polygon"), p.NB);
}

TEST(PlanViews, ContourLabelsStandOnTheirLinesAndNameTheirHeads) {
    Problem p;
    makeStrip(p, strip(20, 4)); // every contour crosses eight elements: joined, it has room
    PlanOptions options;
    options.labelContours = true;
    RecordingCanvas canvas;
    drawContourPlot(p, canvas, kWidth, kHeight, {}, options);
    const PlanView view = screenPlanView(p, kWidth, kHeight);
    const PlanScale scale = view.planScale();
    // Each label: a white box, then its text in red; the box's middle lies on the contour of the
    // head it names (heads fall by 0.005 m per metre, the box is placed to the pixel).
    std::vector<std::vector<int>> boxes;
    std::vector<std::string> texts;
    for (const std::string& call : canvas.calls) {
        if (call.rfind("rectangle ", 0) == 0) boxes.push_back(numbers(call));
        if (call.rfind("text ", 0) == 0)
            texts.push_back(call.substr(call.find('|') + 1, call.rfind('|') - call.find('|') - 1));
    }
    // The levels 10.3 to 14.8 m, one label on each line; the 10 m line runs along the strip's
    // right edge, where its label would stand beyond the drawing area.
    ASSERT_EQ(texts.size(), 16u);
    ASSERT_EQ(boxes.size(), 1 + texts.size()); // the frame first
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::vector<int>& box = boxes[k + 1];
        const double x = scale.worldX((box[0] + box[2]) * 0.5);
        const double head = 15 - 0.005 * x;
        EXPECT_NEAR(head, std::stod(texts[k]), 0.005 * 1.5 / scale.s) << texts[k];
    }
    EXPECT_NE(std::find(canvas.calls.begin(), canvas.calls.end(), "font Arial|8|regular|upright|255,0,0"),
              canvas.calls.end());

    // Cut into pieces one element long the lines would be too short: no label without the join.
    EXPECT_EQ(contourLabelText(14.800000001), "14.8");
    EXPECT_EQ(contourLabelText(10.00003), "10");
    EXPECT_EQ(contourLabelText(-0.04), "0");
}

TEST(PlanViews, ScaleBarIsARoundLengthWithinAFifthOfTheArea) {
    const struct {
        double s;
        int length;
        const char* label;
    } cases[] = {
        {0.9, 90, "100 m"}, {0.5, 100, "200 m"}, {0.08, 160, "2000 m"}, {40, 80, "2 m"}, {0.3, 150, "500 m"}};
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        drawScaleBar(canvas, c.s, CanvasArea{40, 20, 840, 470});
        ASSERT_FALSE(canvas.calls.empty()) << c.s;
        bool bar = false, text = false;
        for (const std::string& call : canvas.calls) {
            if (call.rfind("line ", 0) == 0) {
                const std::vector<int> n = numbers(call);
                bar = bar || (n[1] == n[3] && n[2] - n[0] == c.length);
            }
            text = text || call.find(std::string("|") + c.label + "|") != std::string::npos;
        }
        EXPECT_TRUE(bar) << c.s;
        EXPECT_TRUE(text) << c.label;
    }
    RecordingCanvas none;
    drawScaleBar(none, 0, CanvasArea{40, 20, 840, 470});
    EXPECT_TRUE(none.calls.empty());
}

TEST(PlanViews, KeptPathlinesReplayWhatANewRunDraws) {
    Problem p;
    makeStrip(p, strip(20, 4));
    addParticle(p, 10, 50, 5);
    addParticle(p, 10, 20, 3);
    TrackRecording kept;
    PlotCallbacks callbacks;
    callbacks.tracks = &kept;
    RecordingCanvas first, replayed, fresh;
    const PlotReport run = drawContourPlot(p, first, kWidth, kHeight, callbacks);
    EXPECT_FALSE(run.tracksReplayed);
    EXPECT_GT(kept.steps(), 10u);
    const PlotReport again = drawContourPlot(p, replayed, kWidth, kHeight, callbacks);
    EXPECT_TRUE(again.tracksReplayed);
    EXPECT_EQ(again.track.steps, run.track.steps);
    EXPECT_EQ(replayed.calls, first.calls);
    drawContourPlot(p, fresh, kWidth, kHeight);
    EXPECT_EQ(fresh.calls, first.calls);
    // Forgotten (the problem changed), the next drawing tracks again.
    kept.clear();
    EXPECT_FALSE(drawContourPlot(p, fresh, kWidth, kHeight, callbacks).tracksReplayed);
}

} // namespace
} // namespace velkor
