#include "editors/view_navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "editors/view_mapping.h"
#include "results/zoom_view.h"

namespace velkor {
namespace {

// The full view of a 1000 m x 500 m plan in a drawing area from (50, 30) to (850, 530).
ZoomView zoomed() {
    ZoomView view;
    view.setFit(PlanScale{0.8, 0, -62.5, 50, 530}, 50, 30, 850, 530);
    return view;
}

TEST(ViewMappingZoom, FitIsTheEditorsMappingAndZoomedPointsLandWhereTheZoomPutsThem) {
    const ViewMapping full = ViewMapping::compute(1001, 600, 2000, 1000);
    ZoomView zoom;
    const ViewMapping fit = full.through(zoom);
    EXPECT_EQ(fit.scale, full.scale);
    EXPECT_EQ(fit.xmin, full.xmin);
    EXPECT_EQ(fit.ymin, full.ymin);
    zoom.zoomAbout(700, 300, 8);
    const ViewMapping in = full.through(zoom);
    const PlanScale m = zoom.mapping();
    for (const auto& [x, y] : {std::pair{1234.5, 678.9}, {1301.3, 601.7}, {1100.25, 700.75}}) {
        EXPECT_EQ(in.screenX(x), static_cast<int>(std::trunc(m.column(x))));
        EXPECT_EQ(in.screenY(y), static_cast<int>(std::trunc(m.row(y))));
        EXPECT_NEAR(in.worldX(in.screenX(x)), x, 1 / in.scale);
        EXPECT_NEAR(in.worldY(in.screenY(y)), y, 1 / in.scale);
    }
    // The block editor's clamp onto the area still holds in a zoomed view.
    zoom.pan(-1e6, 0);
    const ViewMapping edge = full.through(zoom);
    EXPECT_EQ(edge.clampedWorldX(edge.ox + edge.width), 2000);
}

// ---- the navigation of the mouse and keys -----------------------------------------------------

TEST(ViewNavigation, WheelDragsBoxAndKeys) {
    ZoomView view = zoomed();
    ViewNavigation nav(view);
    // The wheel: a notch away is 1.25 times, about the cursor.
    EXPECT_TRUE(nav.wheel(300, 200, 2).viewChanged);
    EXPECT_NEAR(view.zoom(), 1.5625, 1e-12);
    // A left press without Space or Shift belongs to the tools.
    EXPECT_FALSE(nav.press(NavigationButton::Left, false, 10, 10).taken);
    EXPECT_FALSE(nav.move(20, 20).taken);
    // The middle button drags the picture.
    const double x = view.mapping().worldX(400);
    EXPECT_TRUE(nav.press(NavigationButton::Middle, false, 400, 300).taken);
    EXPECT_TRUE(nav.move(430, 300).viewChanged);
    EXPECT_TRUE(nav.release(NavigationButton::Middle, 450, 300).taken);
    EXPECT_NEAR(view.mapping().column(x), 450, 1e-9);
    // Space held: the left button drags too; released, the tools have it again.
    EXPECT_TRUE(nav.keyPress(NavigationKey::Space, 450, 280).taken);
    EXPECT_TRUE(nav.press(NavigationButton::Left, false, 100, 100).taken);
    EXPECT_TRUE(nav.release(NavigationButton::Left, 100, 140).taken);
    nav.keyRelease(NavigationKey::Space);
    EXPECT_FALSE(nav.press(NavigationButton::Left, false, 100, 100).taken);
    // Shift and the left button draw a box; the release zooms into it.
    const double zoomBefore = view.zoom();
    EXPECT_TRUE(nav.press(NavigationButton::Left, true, 200, 100).boxChanged);
    EXPECT_TRUE(nav.boxShown());
    EXPECT_TRUE(nav.move(300, 150).boxChanged);
    EXPECT_FALSE(view.zoom() != zoomBefore);
    const NavigationResponse released = nav.release(NavigationButton::Left, 400, 150);
    EXPECT_TRUE(released.viewChanged && released.boxChanged && !nav.boxShown());
    EXPECT_NEAR(view.zoom(), zoomBefore * 4, 1e-9);
    // + and - about the middle, Home back to the whole plan.
    nav.keyPress(NavigationKey::Plus, 450, 280);
    EXPECT_NEAR(view.zoom(), zoomBefore * 5, 1e-9);
    EXPECT_TRUE(nav.keyPress(NavigationKey::Home, 450, 280).viewChanged);
    EXPECT_TRUE(view.atFit());
    EXPECT_FALSE(nav.keyPress(NavigationKey::Other, 0, 0).taken);
}

TEST(ViewNavigation, AWindowWithoutToolsPansWithTheLeftButton) {
    ZoomView view = zoomed();
    ViewNavigation nav(view, true);
    view.zoomAbout(450, 280, 2);
    EXPECT_TRUE(nav.press(NavigationButton::Left, false, 100, 100).taken);
    EXPECT_TRUE(nav.panning());
    EXPECT_FALSE(nav.press(NavigationButton::Right, false, 100, 100).viewChanged);
    nav.cancel();
    EXPECT_FALSE(nav.panning());
    EXPECT_FALSE(nav.press(NavigationButton::Right, false, 100, 100).taken); // the context menu's
}

} // namespace
} // namespace velkor
