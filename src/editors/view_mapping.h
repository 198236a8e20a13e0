// World <-> screen mapping of the two editors for a client area of CW x CH pixels: margins, one
// scale for x and y, the problem area centred in the space left below the tool panel.
#pragma once

#include "results/zoom_view.h"

namespace velkor {

struct ViewMapping {
    int ox = 0, oy = 0;        // screen point of the lower left of the available space
    double scale = 1;          // pixels per metre
    double xmin = 0, ymin = 0; // world point at (ox, oy)
    double LX = 0, LY = 0;
    int width = 1, height = 1; // the available space, from (ox, oy - height) to (ox + width, oy)

    // The full view of the area in a client area of CW x CH pixels.
    static ViewMapping compute(int CW, int CH, double LX, double LY);

    // The same mapping as a plan scale, and this mapping moved to show another plan scale (a
    // zoomed view) with the same screen origin.
    PlanScale planScale() const;
    ViewMapping zoomedTo(const PlanScale& view) const;
    // The mapping through a zoom view whose full view is this one.
    ViewMapping through(ZoomView& zoom) const;

    // Truncated toward zero (held inside the int range).
    int screenX(double x) const;
    int screenY(double y) const;
    double worldX(int sx) const;
    double worldY(int sy) const;
    // The block editor's form: clamped into [0, LX] and [0, LY].
    double clampedWorldX(int sx) const;
    double clampedWorldY(int sy) const;
};

} // namespace velkor
