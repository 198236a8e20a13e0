// Zoom and pan of a plan view, without a window. A plan picture maps a world point (x, y) in metres
// to the canvas by one scale for x and y: column = (x - x0) s + column0, row = row0 - (y - y0) s
// (before truncation). Each picture has its full view, "Fit", worked out from the window's size;
// the zoomed view is kept as a magnification of that scale and the world point shown at the centre
// of the drawing area, so that a resized window keeps showing the same place. At Fit the mapping
// is the full view's own, bit for bit, so that the picture there is the one drawn without zoom.
#pragma once

namespace velkor {

// The affine mapping of a plan picture, in canvas units that are not yet truncated.
struct PlanScale {
    double s = 1;                 // canvas units per metre
    double x0 = 0, y0 = 0;        // a world point ...
    double column0 = 0, row0 = 0; // ... and where it lies on the canvas

    double column(double x) const { return (x - x0) * s + column0; }
    double row(double y) const { return row0 - (y - y0) * s; }
    double worldX(double column) const { return (column - column0) / s + x0; }
    double worldY(double row) const { return y0 - (row - row0) / s; }
};

// A rectangle of the world, in metres.
struct WorldRect {
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    bool contains(double x, double y) const { return x >= xmin && x <= xmax && y >= ymin && y <= ymax; }
};

class ZoomView {
  public:
    // Pictures never grow beyond this many canvas units across: far enough in to see single
    // elements of a mesh of millions, and well inside the range a canvas coordinate can take.
    static constexpr double kLargestPicture = 4194304; // 2^22

    // The full view of the present size and its drawing area (canvas units, left, top, right,
    // bottom). A zoomed view keeps its magnification and its centre.
    void setFit(const PlanScale& fit, double left, double top, double right, double bottom);

    bool atFit() const { return fit_; }
    // Magnification against the full view (1 at Fit).
    double zoom() const { return fit_ ? 1.0 : zoom_; }
    double largestZoom() const;

    // The mapping to draw with: the full view's own at Fit.
    PlanScale mapping() const;
    // The part of the world inside the drawing area.
    WorldRect visibleWorld() const;

    // Each returns true when the view changed.
    // Magnifies by factor about the canvas point (column, row): the world point under it stays
    // under it. Zooming out to the full view's scale (or beyond) returns to Fit.
    bool zoomAbout(double column, double row, double factor);
    // Moves the picture by (columns, rows) canvas units; the centre stays inside the full view.
    bool pan(double columns, double rows);
    // Shows the box from (column1, row1) to (column2, row2) as large as the drawing area holds it.
    // A box of less than kSmallestBox units either way is no box.
    bool zoomToBox(double column1, double row1, double column2, double row2);
    // Shows the world window as large as the drawing area holds it (at least the full view).
    bool showWorld(const WorldRect& window);
    bool fit();

    static constexpr double kSmallestBox = 4;

  private:
    // Keeps the zoom within its limits and the centre inside the full view; Fit below zoom 1.
    void hold();

    PlanScale fitScale_;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    bool fit_ = true;
    double zoom_ = 1;
    double centreX_ = 0, centreY_ = 0; // world point at the centre of the drawing area
};

} // namespace velkor
