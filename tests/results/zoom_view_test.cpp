#include "results/zoom_view.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velkor {
namespace {

// The full view of a 1000 m x 500 m plan in a drawing area from (50, 30) to (850, 530): 0.8
// pixels per metre, the plan centred vertically.
PlanScale fullView() {
    return PlanScale{0.8, 0, -62.5, 50, 530};
}

ZoomView zoomed() {
    ZoomView view;
    view.setFit(fullView(), 50, 30, 850, 530);
    return view;
}

TEST(ZoomView, FitIsTheFullViewBitForBit) {
    ZoomView view = zoomed();
    EXPECT_TRUE(view.atFit());
    const PlanScale m = view.mapping();
    EXPECT_EQ(m.s, 0.8);
    EXPECT_EQ(m.x0, 0);
    EXPECT_EQ(m.y0, -62.5);
    EXPECT_EQ(m.column0, 50);
    EXPECT_EQ(m.row0, 530);
    // Three notches in and three out (and a wheel turned further out) come back to Fit exactly.
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(view.zoomAbout(300 + 17 * k, 200 - 11 * k, 1.25));
    EXPECT_FALSE(view.atFit());
    EXPECT_NEAR(view.zoom(), 1.953125, 1e-12);
    for (int k = 0; k < 3; ++k)
        view.zoomAbout(100 + 7 * k, 400, 1 / 1.25);
    EXPECT_TRUE(view.atFit());
    EXPECT_FALSE(view.zoomAbout(400, 300, 0.5)); // no further out than the whole plan
    EXPECT_EQ(view.mapping().x0, 0);
}

TEST(ZoomView, TheWorldPointUnderTheCursorStaysThere) {
    ZoomView view = zoomed();
    const double column = 612.25, row = 97.5;
    const double x = view.mapping().worldX(column), y = view.mapping().worldY(row);
    view.zoomAbout(column, row, 1.25);
    view.zoomAbout(column, row, 4);
    const PlanScale m = view.mapping();
    EXPECT_NEAR(m.s, 0.8 * 5, 1e-12);
    EXPECT_NEAR(m.column(x), column, 1e-9);
    EXPECT_NEAR(m.row(y), row, 1e-9);
    EXPECT_NEAR(m.worldX(column), x, 1e-9);
    EXPECT_NEAR(m.worldY(row), y, 1e-9);
}

TEST(ZoomView, PanMovesThePictureWithTheMouseAndStopsAtTheEdgeOfThePlan) {
    ZoomView view = zoomed();
    EXPECT_FALSE(view.pan(30, 10)); // the whole plan is in view: nothing to move
    view.zoomAbout(450, 280, 10);
    const PlanScale before = view.mapping();
    EXPECT_TRUE(view.pan(40, -25));
    const PlanScale after = view.mapping();
    // The world point that was under (200, 200) is under (240, 175) now.
    EXPECT_NEAR(after.column(before.worldX(200)), 240, 1e-9);
    EXPECT_NEAR(after.row(before.worldY(200)), 175, 1e-9);
    // Pushed far beyond the plan, the centre stays on its edge.
    view.pan(-1e7, 1e7);
    const WorldRect seen = view.visibleWorld();
    EXPECT_NEAR((seen.xmin + seen.xmax) * 0.5, 1000, 1e-6);
    EXPECT_NEAR((seen.ymin + seen.ymax) * 0.5, 562.5, 1e-6);
}

TEST(ZoomView, BoxZoomShowsTheBoxAsLargeAsTheAreaHoldsIt) {
    ZoomView view = zoomed();
    EXPECT_FALSE(view.zoomToBox(100, 100, 103, 300)); // three pixels wide: a click, not a box
    // A box 200 x 50 pixels: the width decides (800 / 200 = 4), its centre goes to the middle.
    const double x = view.mapping().worldX(250), y = view.mapping().worldY(175);
    EXPECT_TRUE(view.zoomToBox(350, 200, 150, 150));
    EXPECT_NEAR(view.zoom(), 4, 1e-12);
    EXPECT_NEAR(view.mapping().column(x), 450, 1e-9);
    EXPECT_NEAR(view.mapping().row(y), 280, 1e-9);
    // A world window, as velkor-batch --view asks for it.
    EXPECT_TRUE(view.showWorld(WorldRect{400, 0, 600, 100}));
    const WorldRect seen = view.visibleWorld();
    EXPECT_NEAR(seen.xmin, 400, 1e-9);
    EXPECT_NEAR(seen.xmax, 600, 1e-9);
    EXPECT_NEAR((seen.ymin + seen.ymax) * 0.5, 50, 1e-9);
}

TEST(ZoomView, ZoomIsBoundedAndAResizeKeepsCentreAndMagnification) {
    ZoomView view = zoomed();
    view.zoomAbout(450, 280, 1e12);
    EXPECT_DOUBLE_EQ(view.zoom(), ZoomView::kLargestPicture / 800);
    view.fit();
    view.zoomAbout(250, 130, 3);
    const WorldRect before = view.visibleWorld();
    // The window grows: the full view has a new scale, the zoom and the centre stay.
    view.setFit(PlanScale{1.2, 0, -83.3, 60, 740}, 60, 40, 1260, 740);
    const WorldRect after = view.visibleWorld();
    EXPECT_NEAR(view.zoom(), 3, 1e-12);
    EXPECT_NEAR((after.xmin + after.xmax) * 0.5, (before.xmin + before.xmax) * 0.5, 1e-9);
    EXPECT_NEAR((after.ymin + after.ymax) * 0.5, (before.ymin + before.ymax) * 0.5, 1e-9);
    EXPECT_NEAR(view.mapping().s, 3.6, 1e-12);
}

} // namespace
} // namespace velkor
