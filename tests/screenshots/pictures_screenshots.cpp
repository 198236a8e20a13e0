// SVG pictures of the contour plot and the 3D graph of a small strip with a well, on the screen and
// on printed pages, for a person to look at (make screenshots).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "results/contour_plot.h"
#include "results/results_support.h"
#include "results/svg_canvas.h"
#include "results/three_d_graph.h"

namespace velkor {
namespace {

TEST(ScreenshotsPictures, WellStripPlanAndGraph) {
    const char* directory = std::getenv("VELKOR_SCREENSHOT_DIR");
    ASSERT_TRUE(directory && *directory) << "VELKOR_SCREENSHOT_DIR names no folder";
    const std::string folder(directory);
    Problem problem;
    testing::makeWellStrip(problem);
    SvgCanvas plan(800, 400, kSilver), graph(800, 600, kSilver);
    drawContourPlot(problem, plan, 800, 400);
    GraphChoices choices;
    choices.CheckTop = true;
    draw3DGraph(problem, graph, 800, 600, choices);
    EXPECT_TRUE(std::ofstream(folder + "/well_strip_plan.svg") << plan.document());
    EXPECT_TRUE(std::ofstream(folder + "/well_strip_3d.svg") << graph.document());

    // The two printed pages, on pages of 800 by 1100 units.
    struct SvgSink : PageSink {
        SvgCanvas page{800, 1100};
        bool beginDocument() override { return true; }
        void newPage() override {}
        void endDocument() override {}
        int pageWidth() const override { return 800; }
        int pageHeight() const override { return 1100; }
        Canvas& canvas() override { return page; }
    } contourPage, graphPage;
    int pageCounter = 1;
    printContourPage(problem, contourPage, pageCounter, 80, printScaleFactor(10));
    print3DPage(problem, graphPage, pageCounter, 80, choices, printScaleFactor(10));
    EXPECT_TRUE(std::ofstream(folder + "/well_strip_contour_page.svg") << contourPage.page.document());
    EXPECT_TRUE(std::ofstream(folder + "/well_strip_3d_page.svg") << graphPage.page.document());
}

} // namespace
} // namespace velkor
