// World <-> screen mapping of the two editors for a client area of CW x CH pixels: margins, one
// scale for x and y, the problem area centred in the space left below the tool panel.
#pragma once

namespace velkor {

struct ViewMapping {
    int ox = 0, oy = 0;        // screen point of the lower left of the available space
    double scale = 1;          // pixels per metre
    double xmin = 0, ymin = 0; // world point at (ox, oy)
    double LX = 0, LY = 0;

    static ViewMapping compute(int CW, int CH, double LX, double LY);

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
